// The built tovpreview program: files, standard streams, messages and exit
// status, and the well-formed SVG of every corpus picture's conversion,
// whose canvas holds all it draws.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/run_filter.h"

namespace {

using runfilter::Options;
using runfilter::Result;

// Runs `binary`, by default the previewer.
Result run(const std::string &input, const std::vector<std::string> &args,
           Options::Input how = Options::Input::kNone,
           const std::string &binary = TOVPREVIEW_BINARY) {
  Options options;
  options.binary = binary;
  options.input = how;
  return runfilter::Run(input, args, options);
}

const std::string kDocument =
    "<Units Upt >\n<Ellipse\n\t<Fill 0>\n\t<BRect 0 0 10 10>\n>\n";

// Named files in and out; a broken document and a missing file give a
// message and status 1, an unknown option the usage and status 2. (The
// cases run it on files and pipes.)
TEST(PreviewProgram, FilesAndMessages) {
  runfilter::TempDir dir;
  std::string output = dir.path() + "/out.svg";
  Result named = run("", {dir.Write("in.tov", kDocument), output});
  EXPECT_EQ(named.status, 0);
  EXPECT_EQ(named.out + named.err, "");
  EXPECT_NE(runfilter::ReadFile(output).find("<ellipse cx=\"5\""),
            std::string::npos);

  Result broken = run(kDocument + "<Rectangle\n\t<BRect 1 2>\n>\n", {},
                      Options::Input::kStdin);
  EXPECT_EQ(broken.status, 1);
  EXPECT_EQ(broken.err, "tovpreview: line 7: <BRect> needs 4 values\n");

  Result missing = run("", {dir.path() + "/none.tov"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err.rfind("tovpreview: cannot open ", 0), 0u);

  Result usage = run("", {"-x"});
  EXPECT_EQ(usage.status, 2);
  EXPECT_EQ(usage.err.rfind("usage: tovpreview", 0), 0u);
  EXPECT_EQ(run("", {"-V"}).out, "tovpreview version 5.1\n");
}

// The input is never overwritten, by its own name or a link to it; a failed
// run leaves no output file, and an existing one as it was.
TEST(PreviewProgram, KeepsTheInputAndLeavesNoBrokenOutput) {
  runfilter::TempDir dir;
  const std::string in = dir.Write("in.tov", kDocument), link = in + ".lnk";
  std::filesystem::create_hard_link(in, link);
  for (const std::string &output : {in, link}) {
    Result same = run("", {in, output});
    EXPECT_EQ(same.status, 1);
    EXPECT_EQ(same.err,
              "tovpreview: the input and the output are the same file\n");
  }
  EXPECT_EQ(runfilter::ReadFile(in), kDocument);
  const std::string kept = dir.Write("kept.svg", "old"),
                    cut = dir.Write("cut.tov", kDocument.substr(0, 28));
  for (const std::string &output : {dir.path() + "/new.svg", kept}) {
    Result failed = run("", {cut, output});
    EXPECT_EQ(failed.err,
              "tovpreview: line 3: document ends inside <Fill> "
              "of line 3\n");
  }
  EXPECT_EQ(runfilter::ReadFile(kept), "old");
  // in.tov, its link, kept.svg and cut.tov: no new.svg, no temporary file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            4);
}

// The value of attribute `name` of a tag, or "".
std::string attribute(const std::string &tag, const std::string &name) {
  size_t at = tag.find(" " + name + "=\"");
  if (at == std::string::npos) return "";
  at += name.size() + 3;
  return tag.substr(at, tag.find('"', at) - at);
}

double number(const std::string &tag, const std::string &name) {
  return std::strtod(attribute(tag, name).c_str(), nullptr);
}

// The points of an SVG path: end and control points, relative h and v
// steps followed, of an arc only its end point.
std::vector<std::pair<double, double>> pathPoints(const std::string &d) {
  std::vector<std::pair<double, double>> points;
  double x = 0, y = 0;
  char command = 'M';
  for (const char *p = d.c_str(); *p != '\0';) {
    if (std::isalpha(static_cast<unsigned char>(*p))) command = *p;
    if (std::isalpha(static_cast<unsigned char>(*p)) || *p == ' ') {
      ++p;
      continue;
    }
    auto next = [&p] {
      char *end;
      double value = std::strtod(p, &end);
      p = end == p ? p + 1 : end;  // a stray character counts as 0
      return value;
    };
    if (command == 'h') {
      x += next();
    } else if (command == 'v') {
      y += next();
    } else {
      for (int i = 0; command == 'A' && i < 5; ++i) next();
      x = next();
      y = next();
    }
    points.push_back({x, y});
  }
  return points;
}

// "" when every element drawn, moved by the translations of its groups and
// widened by its stroke (square caps by half the pen's diagonal), lies in
// the viewBox, which is shown whole at one point per unit; otherwise what
// lies outside. Text is checked by its origin.
std::string drawnOutsideCanvas(const std::string &svg) {
  size_t open = svg.find("<svg ");
  std::string tag = svg.substr(open, svg.find('>', open) - open);
  double left, top, width, height;
  if (std::sscanf(attribute(tag, "viewBox").c_str(), "%lf %lf %lf %lf", &left,
                  &top, &width, &height) != 4)
    return "no canvas";
  if (number(tag, "width") != width || number(tag, "height") != height)
    return "canvas of " + attribute(tag, "width") + " by " +
           attribute(tag, "height") + " shows a viewBox of another size";
  std::vector<std::pair<double, double>> offsets = {{0, 0}};
  int drawn = 0;
  for (size_t at = svg.find('<', open + 1); at != std::string::npos;
       at = svg.find('<', at + 1)) {
    tag = svg.substr(at, svg.find('>', at) + 1 - at);
    std::string name = tag.substr(1, tag.find_first_of(" />") - 1);
    if (name == "defs") at = svg.find("</defs>", at);
    if (name == "/g" && offsets.size() == 1) return "unbalanced </g>";
    if (name == "/g") offsets.pop_back();
    if (name == "g") {
      double dx = 0, dy = 0;
      std::sscanf(attribute(tag, "transform").c_str(), "translate(%lf %lf)",
                  &dx, &dy);
      offsets.push_back(
          {offsets.back().first + dx, offsets.back().second + dy});
    }
    std::vector<std::pair<double, double>> points;
    if ((name == "rect" || name == "image") &&
        attribute(tag, "width").find('%') == std::string::npos) {
      points = {{number(tag, "x"), number(tag, "y")},
                {number(tag, "x") + number(tag, "width"),
                 number(tag, "y") + number(tag, "height")}};
    } else if (name == "ellipse") {
      points = {{number(tag, "cx") - number(tag, "rx"),
                 number(tag, "cy") - number(tag, "ry")},
                {number(tag, "cx") + number(tag, "rx"),
                 number(tag, "cy") + number(tag, "ry")}};
    } else if (name == "polyline" || name == "polygon" || name == "path") {
      points = pathPoints(attribute(tag, name == "path" ? "d" : "points"));
    } else if (name == "text") {
      points = {{number(tag, "x"), number(tag, "y")}};
    }
    const std::string stroke = attribute(tag, "stroke");
    double margin = stroke.empty() || stroke == "none"
                        ? 0
                        : number(tag, "stroke-width") / 2;
    if (attribute(tag, "stroke-linecap") == "square") margin *= std::sqrt(2);
    for (auto [x, y] : points) {
      x += offsets.back().first;
      y += offsets.back().second;
      if (x - margin < left - 2e-3 || y - margin < top - 2e-3 ||
          x + margin > left + width + 2e-3 || y + margin > top + height + 2e-3)
        return "outside the canvas: " + tag;
    }
    drawn += !points.empty();
  }
  return drawn > 0 ? "" : "nothing drawn";
}

// Plain and -full: well-formed, checked by a real XML parser, xmllint (of
// libxml2-utils), all at once; and the canvas holds the whole drawing.
TEST(PreviewProgram, EveryCorpusConversionIsWellFormedSvgOnItsWholeCanvas) {
  runfilter::TempDir dir;
  std::vector<std::string> svgs = {"--noout"};
  for (const auto &entry : std::filesystem::recursive_directory_iterator(
           std::string(PICTTOTOV_SOURCE_DIR) + "/tests/data/corpus")) {
    if (entry.path().extension() != ".pict") continue;
    bool noHeader = entry.path().parent_path().filename() == "noheader";
    for (bool full : {false, true}) {
      std::vector<std::string> args;
      if (noHeader) args.push_back("-aframe");
      if (full) args.push_back("-full");
      Result tov =
          runfilter::Run(runfilter::ReadFile(entry.path().string()), args);
      ASSERT_EQ(tov.status, 0) << entry.path() << full << tov.err;
      // Named as a file: a pipe would have to be written and drained at once.
      Result svg = run(tov.out, {}, Options::Input::kFile);
      ASSERT_EQ(svg.status, 0) << entry.path() << ": " << svg.err;
      EXPECT_EQ(drawnOutsideCanvas(svg.out), "") << entry.path() << full;
      svgs.push_back(dir.Write(
          entry.path().stem().string() + (full ? "-full.svg" : ".svg"),
          svg.out));
    }
  }
  EXPECT_GE(svgs.size(), 103u);
  Result lint = run("", svgs, Options::Input::kNone, "/usr/bin/xmllint");
  EXPECT_EQ(lint.status, 0) << lint.err;
}

}  // namespace
