// The source tree that the script's files come from, on the host. Scripts name folders
// the Windows way (backslashes, any case); the tree is searched without regard to case.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx::pack {

// Splits a relative Windows path ("bin\Tools", ".\bin", "bin/x") into its parts. Refuses
// (false, with a reason) a rooted path, a drive, a ".." part and a macro: whatever the
// script names must stay inside the tree, and inside the output folder it is copied to.
bool SplitRelative(std::string_view path, std::vector<std::string>& parts, std::string& why);

class SourceTree {
 public:
  explicit SourceTree(std::string root) : root_(std::move(root)) {}
  const std::string& Root() const { return root_; }

  // The host path of the regular file `name` in `folder` (relative, may be empty), found
  // without regard to case; nothing (with the reason) when it is refused or missing.
  std::optional<std::string> FindFile(std::string_view folder, std::string_view name,
                                      std::string& why) const;
  // The host path of the folder `folder` (relative, may be empty for the root), found the
  // same way; nothing (with the reason) when it is refused, missing or not a folder.
  std::optional<std::string> FindFolder(std::string_view folder, std::string& why) const;

 private:
  std::string root_;
};

}  // namespace vx::pack
