// Line edits of action code 5 and its undo, as pure operations on one line.
#pragma once
#include <array>
#include <string>

namespace vx {

// Replaces every occurrence of `find` (compared without regard to case) by `replacement`.
// After each replacement the search starts again in front of it, so an occurrence that the
// replacement makes together with the text before it is replaced as well. An empty `find`
// changes nothing; a replacement that holds `find` itself is passed over (the scan goes on
// behind it); the line stops growing at a bound, so the loop always ends.
std::string ReplaceEvery(std::string line, const std::string& find, const std::string& replacement);

// Puts `text` in front of (after = false) or behind (after = true) every occurrence of
// `find`; the scan goes on behind each insertion. An empty `find` changes nothing.
std::string InsertAtEach(std::string line, const std::string& find, const std::string& text,
                         bool after);

// The five numbers of "%d, %d, %d, %d, %d" as scanf reads them; missing ones are 0.
std::array<int, 5> ScanFiveNumbers(const std::string& field);

}  // namespace vx
