// The expected TOV document around a drawing, for whole-output comparisons.
#ifndef PICTTOTOV_TESTS_SUPPORT_TOV_DOCUMENT_H
#define PICTTOTOV_TESTS_SUPPORT_TOV_DOCUMENT_H

#include <string>

#include "support/run_filter.h"

namespace tov {

// What follows the objects: the end of the frame and the page's text flow.
inline std::string Epilog() {
  return " >\n>\n<TextFlow\n  <TFTag `A'>\n  <TextRectID 1>\n  <Para\n"
         "    <ParaLine\n      <AFrame 100>\n    >\n  >\n>\n";
}

// The whole document of a picture with the default 200 x 100 test frame:
// the checked document of the empty picture, with `objects` in its frame.
inline std::string Document(const std::string &objects) {
  std::string document = runfilter::ReadFile(
      PICTTOTOV_SOURCE_DIR "/tests/cases/skeleton/EmptyV1.tov");
  return document.insert(document.size() - Epilog().size(), objects);
}

}  // namespace tov

#endif  // PICTTOTOV_TESTS_SUPPORT_TOV_DOCUMENT_H
