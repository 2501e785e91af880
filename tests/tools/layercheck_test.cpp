// The floor check on tiny source trees: what passes, and the exact line
// reported for each kind of problem.
#include "layercheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/run_filter.h"

namespace {

namespace fs = std::filesystem;

struct TreeCase {
  const char *what;
  std::vector<std::pair<std::string, std::string>> files;  // path, contents
  int problems;
  std::string errors;  // exactly what is reported, one line per problem
};

TEST(LayerCheck, ReportsEachProblemOfATree) {
  const std::vector<TreeCase> cases = {
      {"downward includes, same-floor ones without a cycle and ones of the "
       "own folder without a slash pass; system includes, comments, other "
       "directives and the build script are no includes",
       {{"CMakeLists.txt", "add_library(core)\n"},
        {"runtime/vok.h", "#include <cstdio>\n"},
        {"runtime/memory.cpp", "#include \"vok.h\"\n"},
        {"pict/pict.h", "#include \"runtime/vok.h\"\n"},
        {"graphics/graphics.h", ""},
        {"text/text.h", "#include \"graphics/graphics.h\"\n"},
        {"image/image.h",
         "#include \"graphics/graphics.h\"\n#include \"text/text.h\"\n"},
        {"driver/run.cpp",
         "  #  include \"pict/pict.h\"\n"
         "#include <text/text.h>\n"
         "// #include \"preview/preview.h\"\n"
         "#line 12 \"preview/preview.h\"\n"}},
       0,
       ""},
      {"an include of a higher floor fails",
       {{"driver/driver.h", ""},
        {"pict/reader.cpp",
         "#include <cstdio>\n  #  include \"driver/driver.h\"\n"}},
       1,
       "src/pict/reader.cpp:2: includes driver/driver.h: pict (floor 2) may "
       "not include driver (floor 5)\n"},
      {"a cycle between same-floor folders fails",
       {{"graphics/g.cpp", "#include \"text/text.h\"\n"},
        {"text/t.cpp", "\n#include \"graphics/graphics.h\"\n"}},
       1,
       "src: folders form a cycle: graphics -> text -> graphics "
       "(src/graphics/g.cpp:1 includes text/text.h; src/text/t.cpp:2 includes "
       "graphics/graphics.h)\n"},
      {"a file in an unknown folder fails, once per folder",
       {{"misc/a.cpp", ""}, {"misc/b.cpp", ""}, {"runtime/vok.h", ""}},
       1,
       "src/misc/a.cpp: misc is not a folder in the floor table\n"},
      {"an include of an unknown folder fails",
       {{"graphics/g.cpp", "#include \"util/u.h\"\n"}},
       1,
       "src/graphics/g.cpp:1: includes util/u.h: util is not a folder in the "
       "floor table\n"},
      {"a source file outside every folder fails",
       {{"stray.cpp", ""}, {"runtime/vok.h", ""}},
       1,
       "src/stray.cpp: lies outside every folder, so has no floor\n"},
      {"the previewer may include runtime but not graphics",
       {{"preview/svg.cpp",
         "#include \"runtime/vok.h\"\n#include \"graphics/graphics.h\"\n"}},
       1,
       "src/preview/svg.cpp:2: includes graphics/graphics.h: preview "
       "(tovpreview) may not include graphics (picttotov)\n"},
      {"the converter may not include the previewer",
       {{"driver/main.cpp", "#include \"preview/preview.h\"\n"}},
       1,
       "src/driver/main.cpp:1: includes preview/preview.h: driver (picttotov) "
       "may not include preview (tovpreview)\n"},
  };
  for (const TreeCase &tree : cases) {
    SCOPED_TRACE(tree.what);
    runfilter::TempDir dir;
    const fs::path root = fs::path(dir.path()) / "src";
    for (const auto &[name, contents] : tree.files) {
      fs::create_directories((root / name).parent_path());
      std::ofstream(root / name) << contents;
    }
    std::ostringstream errors;
    std::ostringstream summary;
    EXPECT_EQ(layercheck::CheckLayers(root, errors, summary), tree.problems);
    EXPECT_EQ(errors.str(), tree.errors);
    EXPECT_EQ(summary.str().empty(), tree.problems != 0) << summary.str();
  }
}

}  // namespace
