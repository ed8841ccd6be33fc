// What a folder holds, for deciding what an uninstall may take: whether anything is in it,
// and the removal of the folders below it that are left empty. Links are never followed.
#pragma once
#include <string>

namespace vx {

// True when the folder exists and holds at least one file, folder or link.
bool FolderHasEntries(const std::string& folder);
// Removes every folder in the tree of `folder` (itself included) that holds nothing once the
// folders below it are gone; files and links are left alone.
void RemoveEmptyFolders(const std::string& folder);

}  // namespace vx
