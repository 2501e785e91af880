// End-to-end cases: each case in tests/cases/*.case is a picture as annotated
// bytes, run through the built filter with the test messages; its status,
// messages and document (golden <file>/<case>.tov; none: writes nothing) are
// compared.
//   = NAME KIND [noheader] [frame T L B R] [stdin|both] [fonts] [prefixes]
//     [classic] [ARG...]
//   status N / err TEXT   exit status (default 0) / a line of standard error
//   HEX ...   hex digits, XX*N for N bytes XX, (HEX ...)*N for N copies,
//             "text" for its bytes, "#" a comment; | TEXT a line of a TOV
// KIND v1/v2 wraps the opcodes in a picture (512-byte header unless noheader,
// frame default 0 0 100 200, version opcode(s), end opcode); raw takes them
// as they are; tov is a tovpreview document, golden <case>.svg. stdin: via a
// pipe; both: file and pipe alike. fonts: kFonts in pictfonts.cfg. prefixes:
// every prefix ends with message 1007 or 1008 and writes a prefix of the
// document. classic adds NAMEClassic, the same without -full.
// PICTTOTOV_UPDATE_GOLDENS=1 rewrites the golden of a case whose status and
// messages are as stated (review with git diff).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "pict_bytes.h"
#include "support/run_filter.h"
#include "support/sre_fixture.h"

namespace {

namespace fs = std::filesystem;
using runfilter::Options;

// Font 3 Helvetica (its "a" in Symbol, A5 as B7), 20 Courier New, others none.
const char kFonts[] =
    "# fonts of the test pictures\n"
    "3 \"Helvetica\"\n"
    "\\x61 \"Symbol\" \\x61\n"
    "\\xA5 \\xB7\n"
    "20 \"Courier New\"\n";

const fs::path kCases = fs::path(PICTTOTOV_SOURCE_DIR) / "tests" / "cases";

struct Case {
  std::string file, name, kind = "raw", opcodes, err;
  std::vector<std::string> args;
  pictbytes::Frame frame;
  bool header = true, fonts = false, prefixes = false, file_input = true,
       pipe_input = false, classic = false;
  int status = 0;
  fs::path golden() const {
    return kCases / file / (name + (kind == "tov" ? ".svg" : ".tov"));
  }
};

void PrintTo(const Case &c, std::ostream *os) {
  *os << c.file << "/" << c.name;
}

// The bytes of one line of opcodes.
std::string LineBytes(const std::string &line) {
  std::string bytes, hex;
  auto flush = [&](size_t keep = 0) {  // the hex digits but the last `keep`
    bytes += pictbytes::Hex(hex.substr(0, hex.size() - keep));
    hex.erase(0, hex.size() - keep);
  };
  for (size_t i = 0, end = 0; i < line.size() && line[i] != '#'; ++i) {
    if (line[i] == '"') {
      end = line.find('"', i + 1);
      if (end == std::string::npos) throw std::invalid_argument(line);
      flush();
      bytes += line.substr(i + 1, end - i - 1);
      i = end;
    } else if (line[i] == '(') {
      size_t close = line.find(")*", i);
      if (close == std::string::npos) throw std::invalid_argument(line);
      int count = std::stoi(line.substr(close + 2), &end);
      flush();
      const std::string group = LineBytes(line.substr(i + 1, close - i - 1));
      for (int copy = 0; copy < count; ++copy) bytes += group;
      i = close + 1 + end;
    } else if (line[i] == '*') {
      int count = std::stoi(line.substr(i + 1), &end);
      flush(2);
      bytes += std::string(count, pictbytes::Hex(hex)[0]);
      hex.clear();
      i += end;
    } else if (line[i] != ' ') {
      hex += line[i];
    }
  }
  flush();
  return bytes;
}

void Head(const std::string &line, Case &c) {
  std::istringstream words(line.substr(2));
  words >> c.name >> c.kind;
  for (std::string word; words >> word;) {
    if (word == "noheader") {
      c.header = false;
    } else if (word == "frame") {
      words >> c.frame.top >> c.frame.left >> c.frame.bottom >> c.frame.right;
    } else if (word == "stdin" || word == "both") {
      c.pipe_input = true;
      c.file_input = word == "both";
    } else if (word == "fonts" || word == "prefixes" || word == "classic") {
      (word == "fonts"     ? c.fonts
       : word == "classic" ? c.classic
                           : c.prefixes) = true;
    } else {
      c.args.push_back(word);
    }
  }
}

std::vector<Case> LoadCases() {
  std::vector<Case> cases;
  std::set<fs::path> files;
  for (const auto &entry : fs::directory_iterator(kCases))
    if (entry.path().extension() == ".case") files.insert(entry.path());
  for (const fs::path &path : files) {
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
      if (line.empty() || line[0] == '#') continue;
      if (line.rfind("= ", 0) == 0) {
        cases.emplace_back();
        cases.back().file = path.stem().string();
        Head(line, cases.back());
      } else if (cases.empty()) {
        throw std::invalid_argument("bytes before the first case: " + line);
      } else if (line.rfind("status ", 0) == 0) {
        cases.back().status = std::stoi(line.substr(7));
      } else if (line[0] == '|') {
        cases.back().opcodes += line.substr(line.size() > 1 ? 2 : 1) + "\n";
      } else if (line.rfind("err ", 0) == 0) {
        cases.back().err += line.substr(4) + "\n";
      } else {
        cases.back().opcodes += LineBytes(line);
      }
    }
  }
  for (size_t i = 0, n = cases.size(); i < n; ++i) {
    if (!cases[i].classic) continue;
    Case classic = cases[i];
    classic.name += "Classic";
    classic.args.erase(
        std::remove(classic.args.begin(), classic.args.end(), "-full"),
        classic.args.end());
    cases.push_back(classic);
  }
  return cases;
}

std::string Picture(const Case &c) {
  if (c.kind == "v1") return pictbytes::PictV1(c.opcodes, c.frame, c.header);
  if (c.kind == "v2") return pictbytes::PictV2(c.opcodes, c.frame, c.header);
  if (c.kind != "raw" && c.kind != "tov")
    throw std::invalid_argument("kind " + c.kind);
  return c.opcodes;
}

class Cases : public testing::TestWithParam<Case> {};

TEST_P(Cases, Converts) {
  const Case &c = GetParam();
  // A missing golden reads as nothing.
  const std::string picture = Picture(c);
  std::string document = runfilter::ReadFile(c.golden().string());
  const char *updating = std::getenv("PICTTOTOV_UPDATE_GOLDENS");
  bool update = updating != nullptr && std::string(updating) == "1";
  runfilter::TempDir dir;
  if (c.fonts) dir.Write("pictfonts.cfg", kFonts);
  for (bool pipe : {false, true}) {
    if (!(pipe ? c.pipe_input : c.file_input)) continue;
    SCOPED_TRACE(pipe ? "from a pipe" : "from a file");
    Options options = srefixture::WithMessages(
        dir, pipe ? Options::Input::kStdin : Options::Input::kFile);
    if (c.kind == "tov") options.binary = options.argv0 = TOVPREVIEW_BINARY;
    runfilter::Result result = runfilter::Run(picture, c.args, options);
    // No document: no golden; a second input way is compared with the first.
    if (update && result.status == c.status && result.err == c.err) {
      fs::remove(c.golden());
      if (!result.out.empty()) {
        fs::create_directories(c.golden().parent_path());
        std::ofstream(c.golden(), std::ios::binary) << result.out;
      }
      document = result.out;
      update = false;
    }
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.out, document);
  }
  if (!c.prefixes) return;
  Options options = srefixture::WithMessages(dir, Options::Input::kFile);
  for (size_t length = 0; length < picture.size(); ++length) {
    runfilter::Result cut =
        runfilter::Run(picture.substr(0, length), c.args, options);
    ASSERT_EQ(cut.status, 1) << length;
    ASSERT_EQ(cut.err, length == 0 ? "MSG 1007\n" : "MSG 1008\n") << length;
    ASSERT_EQ(document.compare(0, cut.out.size(), cut.out), 0) << length;
  }
}

INSTANTIATE_TEST_SUITE_P(All, Cases, testing::ValuesIn(LoadCases()),
                         [](const testing::TestParamInfo<Case> &info) {
                           return info.param.file + "_" + info.param.name;
                         });

// Every golden has its case: a misnamed one cannot pass as "writes nothing".
TEST(CaseFiles, EveryGoldenHasItsCase) {
  std::set<fs::path> used;
  for (const Case &c : LoadCases()) used.insert(c.golden());
  int goldens = 0;
  for (const auto &entry : fs::recursive_directory_iterator(kCases)) {
    if (entry.path().extension() != ".tov" &&
        entry.path().extension() != ".svg")
      continue;
    ++goldens;
    EXPECT_TRUE(used.count(entry.path())) << entry.path();
  }
  EXPECT_GT(goldens, 50);
}

}  // namespace
