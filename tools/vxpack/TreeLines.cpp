#include "tools/vxpack/TreeLines.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <system_error>

#include "engine/base/NextField.h"
#include "engine/base/PathOps.h"
#include "engine/base/Store.h"
#include "platform/ProfileParse.h"
#include "platform/WinPath.h"
#include "tools/vxpack/SourceTree.h"

namespace vx::pack {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Patterns(std::string field) {
  std::vector<std::string> out;
  std::size_t start = 0;
  while (start <= field.size()) {
    std::size_t end = field.find(';', start);
    if (end == std::string::npos) end = field.size();
    std::string p(winpath::ToBackslashes(Trim(std::string_view(field).substr(start, end - start))));
    if (!p.empty()) out.push_back(std::move(p));
    start = end + 1;
  }
  return out;
}

bool AnyMatches(const std::vector<std::string>& patterns, const std::string& name,
                const std::string& path) {
  for (const std::string& p : patterns)
    if (winpath::MatchWildcard(p, p.find('\\') != std::string::npos ? path : name)) return true;
  return false;
}

std::string Joined(const std::string& folder, const std::string& sub) {
  if (sub.empty()) return folder;
  if (folder.empty()) return sub;
  return folder.back() == '\\' ? folder + sub : folder + "\\" + sub;
}

}  // namespace

bool ParseTreeLine(std::string_view value, TreeLine& out, std::string& why) {
  std::string rest(value);
  out = TreeLine{};
  out.source = NextField(rest);
  out.destination = NextField(rest);
  out.shared = NextField(rest);
  out.include = Patterns(NextField(rest));
  out.exclude = Patterns(NextField(rest));
  if (!rest.empty()) {
    why = "a Tree line has at most five fields: SOURCE | DESTINATION | SHARED | INCLUDE | EXCLUDE";
    return false;
  }
  if (out.source.empty() || out.destination.empty() || out.shared.empty()) {
    why = "a Tree line needs SOURCE | DESTINATION | SHARED [| INCLUDE [| EXCLUDE]]";
    return false;
  }
  if (out.shared != "0" && out.shared != "1") {
    why = "the shared flag \"" + out.shared + "\" of a Tree line must be 0 or 1";
    return false;
  }
  return true;
}

bool ListTree(const std::string& sourceRoot, const TreeLine& tree, std::vector<TreeFile>& out,
              std::string& why) {
  out.clear();
  auto folder = SourceTree(sourceRoot).FindFolder(tree.source, why);
  if (!folder) return false;
  std::error_code ec;
  fs::recursive_directory_iterator it(*folder, fs::directory_options::none, ec), end;
  if (ec) {
    why = "cannot read the folder " + *folder + ": " + ec.message();
    return false;
  }
  std::vector<std::pair<std::string, TreeFile>> found;  // lower-cased path -> file
  for (; it != end; it.increment(ec)) {
    if (ec) {
      why = "cannot read the folder " + *folder + ": " + ec.message();
      return false;
    }
    // The links of a folder are not entered: they may lead out of the tree or round in a loop.
    if (it->is_symlink(ec) && it->is_directory(ec)) {
      it.disable_recursion_pending();
      continue;
    }
    if (!it->is_regular_file(ec)) continue;
    fs::path relative = it->path().lexically_relative(*folder);
    TreeFile file;
    file.name = relative.filename().string();
    file.subfolder = winpath::ToBackslashes(relative.parent_path().string());
    std::string path = Joined(file.subfolder, file.name);
    if (!tree.include.empty() && !AnyMatches(tree.include, file.name, path)) continue;
    if (AnyMatches(tree.exclude, file.name, path)) continue;
    if (found.size() >= kMaxTreeFiles) {
      why =
          "the folder " + *folder + " holds more than " + std::to_string(kMaxTreeFiles) + " files";
      return false;
    }
    found.emplace_back(winpath::ToLower(path), std::move(file));
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& f : found) out.push_back(std::move(f.second));
  return true;
}

std::string FileLineOf(const TreeLine& tree, const TreeFile& file) {
  return file.name + " | " + Joined(tree.destination, file.subfolder) + " | " +
         Joined(tree.source, file.subfolder) + " | " + tree.shared;
}

std::string ExpandTrees(const std::string& text, const std::string& sourceRoot,
                        std::vector<TreeFault>& faults) {
  auto doc = std::make_unique<profile::Document>(text.data(), text.size());
  std::string current = text;
  bool changed = false;
  for (const std::string& section : doc->SectionNames()) {
    std::map<int, std::string> trees;  // number -> key as written
    for (const std::string& key : doc->KeyNames(section)) {
      int n = ListItemNumber(key, kTreePrefix);
      if (n >= 0) trees.emplace(n, key);
    }
    if (trees.empty()) continue;
    const profile::KeyLine* count = doc->FindKey(section, "nItems");
    long next = count ? std::max(0, profile::ParseInt(count->value)) : 0;
    std::vector<std::string> keys, values;
    for (const auto& [n, key] : trees) {
      const profile::KeyLine* line = doc->FindKey(section, key);
      TreeLine tree;
      std::vector<TreeFile> files;
      std::string why;
      if (!ParseTreeLine(line->value, tree, why) || !ListTree(sourceRoot, tree, files, why)) {
        faults.push_back({section, key, why});
        continue;
      }
      for (const TreeFile& f : files) {
        keys.push_back(std::to_string(next++));
        values.push_back(FileLineOf(tree, f));
      }
    }
    std::vector<profile::Assignment> changes;
    for (std::size_t i = 0; i < keys.size(); ++i) changes.push_back({section, keys[i], values[i]});
    std::string countText = std::to_string(next);
    changes.push_back({section, "nItems", countText});
    current = profile::SetValues(*doc, changes);
    for (const auto& entry : trees) {
      doc = std::make_unique<profile::Document>(current.data(), current.size());
      current = profile::RemoveKey(*doc, section, entry.second);
    }
    doc = std::make_unique<profile::Document>(current.data(), current.size());
    changed = true;
  }
  return changed ? current : text;
}

}  // namespace vx::pack
