// The texts of the two restart queues, without the machine: the NT queue's multi-string value
// (pairs of "\\??\\"-prefixed paths, a "!" before a target that is to be replaced) and the
// [Rename] section of Wininit.ini.
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RestartQueue.h"

namespace vx {

std::vector<PendingOperation> ParseNtQueue(std::string_view data);
std::string SerializeNtQueue(const std::vector<PendingOperation>& ops);
std::vector<PendingOperation> ParseWininit(std::string_view text);
// True when `op` deletes `path` (a Windows path made full) or a folder holding it, or moves a
// file onto it; without regard to case, "." and ".." resolved.
bool TakesPath(const PendingOperation& op, std::string_view path);
// The text without the [Rename] lines for which `drop` is true; every other byte stays.
std::string WininitWithout(std::string_view text,
                           const std::function<bool(const PendingOperation&)>& drop);
// Whether the last section of the text is [Rename]: lines written at its end belong to it.
bool WininitEndsInRename(std::string_view text);

}  // namespace vx
