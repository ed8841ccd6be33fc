// Whole folders in one line: "TreeN=SOURCE | DESTINATION | SHARED [| INCLUDE [| EXCLUDE]]"
// in a component section stands for one file line per file of the source folder and its
// subfolders, in sorted order, each going to DESTINATION plus the file's subfolder. INCLUDE
// and EXCLUDE are ";"-separated wildcards matched without regard to case against the file
// name (or, for a pattern holding "\", against its path below SOURCE). vxpack ships the
// ordinary file lines, so the engine reads only what it always read.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vx::pack {

inline constexpr char kTreePrefix[] = "Tree";
// A folder of more files than this is refused rather than written into a script of
// millions of lines.
inline constexpr std::size_t kMaxTreeFiles = 200000;

struct TreeLine {
  std::string source;
  std::string destination;
  std::string shared;
  std::vector<std::string> include;
  std::vector<std::string> exclude;
};

// Parses the value of a Tree key; false with the reason for a line that lacks a field or
// holds a shared flag other than 0 or 1.
bool ParseTreeLine(std::string_view value, TreeLine& out, std::string& why);

// One file found by a Tree line.
struct TreeFile {
  std::string subfolder;  // below SOURCE, Windows separators, "" for SOURCE itself
  std::string name;
};

// The files a Tree line names, sorted by their path below SOURCE (without regard to case).
// Linked folders are not entered. False with the reason when the source folder is refused
// or missing, or holds more than kMaxTreeFiles files.
bool ListTree(const std::string& sourceRoot, const TreeLine& tree, std::vector<TreeFile>& out,
              std::string& why);

// The file line of one file: "name | DESTINATION\sub | SOURCE\sub | SHARED".
std::string FileLineOf(const TreeLine& tree, const TreeFile& file);

// A Tree key that could not be expanded.
struct TreeFault {
  std::string section;
  std::string key;
  std::string why;
};

// The script with every Tree key of every section replaced by numbered file lines appended
// to the section's list (its nItems raised); the text as it was when it has none. Faults
// are gathered; a faulty Tree key is dropped.
std::string ExpandTrees(const std::string& text, const std::string& sourceRoot,
                        std::vector<TreeFault>& faults);

}  // namespace vx::pack
