// Shared pieces of the program-starting actions (codes 1, 6, 7, 8).
#pragma once
#include <cstdint>
#include <string>

namespace vx {

// The profile section through which started programs hand values back.
inline constexpr const char* kHandOverSection = "Tessaro Installer";

// "0" hidden, "1" normal, "2" minimised, "3" maximised, anything else hidden.
int ShowStateFromField(const std::string& field);

// False for "0" (no wait). "-1" waits without limit; a number N waits N seconds; anything
// else leaves the count at -1, so -1000 ms taken unsigned.
bool WaitPeriod(const std::string& field, std::uint32_t* milliseconds);

// Fills the "%s" of `format` with a, then b; false when the result would not fit the
// 1024-byte command line buffer (it is refused, never cut).
bool ComposeCommandLine(const std::string& format, const std::string& a, const std::string& b,
                        std::string* out);

// ProjectName of the bootstrap file: the key of the "STOP" hand-over.
std::string ProjectName();

// Reads and deletes the project's hand-over value; true when it is "STOP" (any case).
bool TakeStopHandOver();

}  // namespace vx
