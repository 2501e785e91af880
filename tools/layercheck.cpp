// The floor table and the checks behind layercheck (see layercheck.h).
#include "layercheck.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace layercheck {
namespace {

namespace fs = std::filesystem;

// Which program a folder belongs to. A folder may include folders of its own
// program and shared ones, never the other program's.
enum class Program { kShared, kConverter, kPreviewer };

struct Folder {
  std::string_view name;
  int floor;
  Program program;
};

// The floors, bottom up. A folder may include its own folder, any folder on
// a lower floor, and a folder on its own floor as long as the folders form
// no cycle.
constexpr std::array<Folder, 9> kFolders = {{
    {"runtime", 0, Program::kShared},  // memory, channels, printf, strings
    {"base", 1, Program::kConverter},  // messages, failures, options
    {"pict", 2, Program::kConverter},  // the PICT reader
    {"graphics", 3, Program::kConverter},
    {"text", 3, Program::kConverter},
    {"image", 3, Program::kConverter},
    {"dispatch", 4, Program::kConverter},  // opcode and comment dispatch
    {"driver", 5, Program::kConverter},    // command line, run, main
    {"preview", 1, Program::kPreviewer},   // tovpreview, on runtime only
}};

constexpr std::array<std::string_view, 10> kSourceExtensions = {
    ".h", ".hh", ".hpp", ".c", ".cc", ".cpp", ".cxx", ".inc", ".inl", ".ipp"};

std::string_view ProgramName(Program program) {
  switch (program) {
    case Program::kShared:
      return "shared";
    case Program::kConverter:
      return "picttotov";
    case Program::kPreviewer:
      return "tovpreview";
  }
  return "";
}

std::optional<std::size_t> FindFolder(std::string_view name) {
  for (std::size_t i = 0; i < kFolders.size(); ++i)
    if (kFolders[i].name == name) return i;
  return std::nullopt;
}

bool IsSourceFile(const fs::path &path) {
  const std::string extension = path.extension().string();
  return std::find(kSourceExtensions.begin(), kSourceExtensions.end(),
                   extension) != kSourceExtensions.end();
}

// The quoted name of an `#include "..."` line, or nothing for any other line
// (system includes among them).
std::optional<std::string_view> QuotedInclude(std::string_view line) {
  auto skipBlanks = [&line](std::size_t at) {
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    return at;
  };
  std::size_t at = skipBlanks(0);
  if (at >= line.size() || line[at] != '#') return std::nullopt;
  at = skipBlanks(at + 1);
  constexpr std::string_view kDirective = "include";
  if (line.compare(at, kDirective.size(), kDirective) != 0) return std::nullopt;
  at = skipBlanks(at + kDirective.size());
  if (at >= line.size() || line[at] != '"') return std::nullopt;
  const std::size_t close = line.find('"', at + 1);
  if (close == std::string_view::npos) return std::nullopt;
  return line.substr(at + 1, close - at - 1);
}

// The folder an include names: its first path component, or the including
// file's own folder when the name has no slash.
std::string_view IncludedFolder(std::string_view include,
                                std::string_view ownFolder) {
  const std::size_t slash = include.find('/');
  return slash == std::string_view::npos ? ownFolder : include.substr(0, slash);
}

class Checker {
 public:
  Checker(const fs::path &sourceRoot, std::ostream &errors)
      : root_(sourceRoot.lexically_normal()), errors_(errors) {
    if (!root_.has_filename()) root_ = root_.parent_path();
    shownRoot_ = root_.filename().generic_string();
  }

  void CheckTree() {
    if (!fs::is_directory(root_)) {
      Report(shownRoot_ + ": is not a directory");
      return;
    }
    std::vector<fs::path> files;
    for (const auto &entry : fs::recursive_directory_iterator(root_))
      if (entry.is_regular_file())
        files.push_back(entry.path().lexically_relative(root_));
    std::sort(files.begin(), files.end());
    if (files.empty()) Report(shownRoot_ + ": holds no files to check");
    for (const fs::path &file : files) CheckFile(file);
    FindCycles();
  }

  int problems() const { return problems_; }
  std::size_t files() const { return filesRead_; }
  std::size_t includes() const { return includes_; }
  std::size_t folders() const { return foldersSeen_.size(); }

 private:
  std::string Shown(const fs::path &relative) const {
    return shownRoot_ + "/" + relative.generic_string();
  }

  void Report(const std::string &problem) {
    errors_ << problem << '\n';
    ++problems_;
  }

  void CheckFile(const fs::path &relative) {
    const std::string folderName = relative.begin()->generic_string();
    if (std::next(relative.begin()) == relative.end()) {
      // Directly in the root: only the build script belongs there.
      if (IsSourceFile(relative))
        Report(Shown(relative) +
               ": lies outside every folder, so has no floor");
      return;
    }
    const std::optional<std::size_t> folder = FindFolder(folderName);
    if (!folder) {
      if (unknownFolders_.insert(folderName).second)
        Report(Shown(relative) + ": " + folderName +
               " is not a folder in the floor table");
      return;
    }
    std::ifstream in(root_ / relative, std::ios::binary);
    if (!in) {
      Report(Shown(relative) + ": cannot be read");
      return;
    }
    ++filesRead_;
    foldersSeen_.insert(*folder);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      if (const auto include = QuotedInclude(line))
        CheckInclude(relative, number, *folder, *include);
    }
  }

  void CheckInclude(const fs::path &relative, int line, std::size_t from,
                    std::string_view include) {
    ++includes_;
    const Folder &source = kFolders[from];
    const std::string where = Shown(relative) + ":" + std::to_string(line) +
                              ": includes " + std::string(include) + ": ";
    const std::string_view targetName = IncludedFolder(include, source.name);
    const std::optional<std::size_t> to = FindFolder(targetName);
    if (!to) {
      Report(where + std::string(targetName) +
             " is not a folder in the floor table");
      return;
    }
    if (*to == from) return;
    edges_.emplace(std::make_pair(from, *to),
                   Shown(relative) + ":" + std::to_string(line) + " includes " +
                       std::string(include));
    const Folder &target = kFolders[*to];
    if (source.program != Program::kShared &&
        target.program != Program::kShared &&
        target.program != source.program) {
      Report(where + std::string(source.name) + " (" +
             std::string(ProgramName(source.program)) + ") may not include " +
             std::string(target.name) + " (" +
             std::string(ProgramName(target.program)) + ")");
    } else if (target.floor > source.floor) {
      Report(where + std::string(source.name) + " (floor " +
             std::to_string(source.floor) + ") may not include " +
             std::string(target.name) + " (floor " +
             std::to_string(target.floor) + ")");
    }
  }

  enum class Mark { kUnvisited, kOnPath, kDone };

  // Depth-first search over the whole folder graph; every edge back to a
  // folder still on the path closes a cycle, reported with the includes
  // that make it.
  void FindCycles() {
    std::array<Mark, kFolders.size()> marks{};
    std::vector<std::size_t> path;
    for (std::size_t start = 0; start < kFolders.size(); ++start)
      if (marks[start] == Mark::kUnvisited) Visit(start, marks, path);
  }

  void Visit(std::size_t folder, std::array<Mark, kFolders.size()> &marks,
             std::vector<std::size_t> &path) {
    marks[folder] = Mark::kOnPath;
    path.push_back(folder);
    for (std::size_t next = 0; next < kFolders.size(); ++next) {
      if (edges_.count({folder, next}) == 0) continue;
      if (marks[next] == Mark::kOnPath)
        ReportCycle(path, next);
      else if (marks[next] == Mark::kUnvisited)
        Visit(next, marks, path);
    }
    path.pop_back();
    marks[folder] = Mark::kDone;
  }

  void ReportCycle(const std::vector<std::size_t> &path, std::size_t first) {
    const auto start = std::find(path.begin(), path.end(), first);
    std::string names;
    std::string because;
    for (auto at = start; at != path.end(); ++at) {
      const std::size_t next =
          std::next(at) == path.end() ? first : *std::next(at);
      names += std::string(kFolders[*at].name) + " -> ";
      if (!because.empty()) because += "; ";
      because += edges_.at({*at, next});
    }
    names += std::string(kFolders[first].name);
    Report(shownRoot_ + ": folders form a cycle: " + names + " (" + because +
           ")");
  }

  fs::path root_;
  std::string shownRoot_;
  std::ostream &errors_;
  int problems_ = 0;
  std::size_t filesRead_ = 0;
  std::size_t includes_ = 0;
  std::set<std::size_t> foldersSeen_;
  std::set<std::string> unknownFolders_;
  // Folder to folder, with the first include that makes the edge.
  std::map<std::pair<std::size_t, std::size_t>, std::string> edges_;
};

}  // namespace

int CheckLayers(const fs::path &sourceRoot, std::ostream &errors,
                std::ostream &summary) {
  Checker checker(sourceRoot, errors);
  try {
    checker.CheckTree();
  } catch (const fs::filesystem_error &error) {
    errors << error.what() << '\n';
    return checker.problems() + 1;
  }
  if (checker.problems() == 0)
    summary << "layercheck: " << checker.files() << " files in "
            << checker.folders() << " folders, " << checker.includes()
            << " includes: every include runs downward, no folder cycle\n";
  return checker.problems();
}

}  // namespace layercheck
