// Converts a picture given as bytes with the built filter and the test
// message file, so that messages read "MSG <number> <arguments>".
#ifndef PICTTOTOV_TESTS_SUPPORT_CONVERT_H
#define PICTTOTOV_TESTS_SUPPORT_CONVERT_H

#include <string>
#include <vector>

#include "support/run_filter.h"
#include "support/sre_fixture.h"

namespace convert {

inline runfilter::Result Convert(const std::string &picture,
                                 const std::vector<std::string> &args) {
  runfilter::TempDir dir;
  return runfilter::Run(
      picture, args,
      srefixture::WithMessages(dir, runfilter::Options::Input::kFile));
}

// The same under -full.
inline runfilter::Result ConvertFull(const std::string &picture) {
  return Convert(picture, {"-full"});
}

}  // namespace convert

#endif  // PICTTOTOV_TESTS_SUPPORT_CONVERT_H
