// A volume's tree as it should be, kept beside volkit by the randomized test
// and the model fuzzing target: folders by path ("" is the root), files by
// path with their contents.
#pragma once

#include <cctype>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace volkit_testing {

struct Model {
  std::set<std::string> folders{""};
  std::map<std::string, std::string> files;

  bool operator==(const Model&) const = default;

  static std::string Join(const std::string& folder, const std::string& name) { return folder + "\\" + name; }
  static std::string Parent(const std::string& path) { return path.substr(0, path.rfind('\\')); }

  // The path of the entry in `folder` named `name` regardless of case (as FAT
  // compares names), if any.
  std::optional<std::string> Find(const std::string& folder, const std::string& name) const {
    for (const std::string& path : ChildrenOf(folder)) {
      if (Lower(path.substr(path.rfind('\\') + 1)) == Lower(name)) return path;
    }
    return std::nullopt;
  }
  std::vector<std::string> ChildrenOf(const std::string& folder) const {
    std::vector<std::string> children;
    for (const std::string& path : folders) {
      if (!path.empty() && Parent(path) == folder) children.push_back(path);
    }
    for (const auto& [path, data] : files) {
      if (Parent(path) == folder) children.push_back(path);
    }
    return children;
  }
  // Moves an entry and everything below it.
  void Rename(const std::string& from, const std::string& to) {
    auto moved = [&](const std::string& path) {
      return path == from || path.rfind(from + "\\", 0) == 0 ? to + path.substr(from.size()) : path;
    };
    std::set<std::string> newFolders;
    for (const std::string& path : folders) newFolders.insert(moved(path));
    folders = newFolders;
    std::map<std::string, std::string> newFiles;
    for (const auto& [path, data] : files) newFiles[moved(path)] = data;
    files = newFiles;
  }

 private:
  static std::string Lower(std::string text) {
    for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
  }
};

}  // namespace volkit_testing
