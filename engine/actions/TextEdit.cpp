#include "engine/actions/TextEdit.h"

#include <algorithm>
#include <climits>

#include "engine/actions/Catalogue.h"
#include "engine/actions/TextFile.h"
#include "engine/base/Flags.h"
#include "engine/base/Macros.h"
#include "engine/ui/MessageBox.h"
#include "engine/base/NextField.h"
#include "engine/base/RunJournal.h"
#include "engine/ui/Ui.h"
#include "platform/Files.h"
#include "platform/Trim.h"

namespace vx {

namespace {

// Bounds of a replacement whose result keeps making new occurrences ("ab" by "bba").
constexpr int kMaxReplacements = 10000;
constexpr std::size_t kMinLineBound = 65536;

std::string Upper(std::string s) {
  for (char& c : s) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return s;
}

struct EditArgs {
  std::string file, search, second, newText, fallback;
  int operation = 0, position = 0, mode = 0, policy = 0;
  // The file is this installation's own: lines appended to it end with CR LF, so that the
  // uninstall's undo, which reads only complete lines, finds them again.
  bool ours = false;
};

void Append(TextFile& file, const EditArgs& a, const std::string& text) {
  if (a.ours)
    file.AppendLine(text);
  else
    file.InsertLine(-1, text);
}

EditArgs SplitEditArgs(std::string arguments) {
  EditArgs a;
  a.file = NextField(arguments);
  a.search = NextField(arguments);
  a.second = NextField(arguments);
  a.newText = NextField(arguments);
  a.fallback = NextField(arguments);
  auto numbers = ScanFiveNumbers(NextField(arguments));
  a.operation = numbers[0];
  a.position = numbers[1];
  a.mode = numbers[2];
  a.policy = numbers[3];
  return a;
}

// Delete and change find their line by position 0, 1 or 2; -2 for any other position.
int FindByPosition(TextFile& file, int position, const std::string& text, std::string& line) {
  switch (position) {
    case 0:
      return file.FindStartingWith(text, line);
    case 1:
      return file.FindEndingWith(text, line);
    case 2:
      return file.FindContaining(text, line);
    default:
      return -2;
  }
}

void ApplyMissingLinePolicy(TextFile& file, const EditArgs& a) {
  const std::string& fallback = a.fallback;
  switch (a.policy) {
    case 1:
      ShowMessage(fallback, kMbOk);
      break;
    case 2:
      if (ShowMessage(fallback, kMbYesNo | kMbIconExclamation) == kIdYes)
        Flags().stopRequest = true;
      break;
    case 3:
      ShowMessage(fallback, kMbOk | kMbIconStop);
      Flags().stopRequest = true;
      break;
    case 4:
      file.InsertLine(0, fallback);
      break;
    case 5:
      Append(file, a, fallback);
      break;
    default:
      break;
  }
}

void Insert(TextFile& file, const EditArgs& a) {
  std::string line;
  int found;
  switch (a.position) {
    case 0:
      file.InsertLine(0, a.newText);
      return;
    case 1:
      Append(file, a, a.newText);
      return;
    case 2:
    case 3:
      found = file.FindStartingWith(a.search, line);
      break;
    case 4:
    case 5:
      found = file.FindEndingWith(a.search, line);
      break;
    case 7:
    case 8:
      found = file.FindContaining(a.search, line);
      break;
    default:
      return;
  }
  if (found < 0) {
    ApplyMissingLinePolicy(file, a);
    return;
  }
  bool after = a.position == 3 || a.position == 5 || a.position == 8;
  file.InsertLine(after ? found + 1 : found, a.newText);
}

void Change(TextFile& file, const EditArgs& a) {
  if (a.mode < 0 || a.mode > 5) return;
  std::string line;
  int found = FindByPosition(file, a.position, a.search, line);
  if (found == -2) return;
  if (found < 0) {
    ApplyMissingLinePolicy(file, a);
    return;
  }
  std::string changed;
  switch (a.mode) {
    case 0:
      changed = a.newText;
      break;
    case 1:
      changed = ReplaceEvery(line, a.second, a.newText);
      break;
    case 2:
      changed = InsertAtEach(line, a.second, a.newText, false);
      break;
    case 3:
      changed = InsertAtEach(line, a.second, a.newText, true);
      break;
    case 4:
      changed = line + a.newText;
      break;
    case 5:
      changed = ReplaceEvery(line, a.second, "");
      break;
  }
  if (changed != line) file.ReplaceCurrentLine(changed);
}

}  // namespace

std::string ReplaceEvery(std::string line, const std::string& find,
                         const std::string& replacement) {
  if (find.empty()) return line;
  const std::string wanted = Upper(find);
  const std::string upperReplacement = Upper(replacement);
  std::string upper = Upper(line);
  // A replacement holding the text would be found again forever: go on behind it instead.
  const bool skipReplacement = upperReplacement.find(wanted) != std::string::npos;
  const std::size_t bound = std::max(kMinLineBound, line.size() * 2);
  std::size_t from = 0;
  for (int n = 0; n < kMaxReplacements; ++n) {
    std::size_t at = upper.find(wanted, from);
    if (at == std::string::npos) break;
    if (line.size() - find.size() + replacement.size() > bound) break;
    line.replace(at, find.size(), replacement);
    upper.replace(at, find.size(), upperReplacement);
    // Nothing before the replaced occurrence matched, so a new one must reach into the
    // replacement: searching again from there equals searching from the start of the line.
    from = skipReplacement ? at + replacement.size()
                           : (at + 1 > find.size() ? at + 1 - find.size() : 0);
  }
  return line;
}

std::string InsertAtEach(std::string line, const std::string& find, const std::string& text,
                         bool after) {
  if (find.empty() || text.empty()) return line;
  const std::string wanted = Upper(find);
  const std::string upperText = Upper(text);
  std::string upper = Upper(line);
  std::size_t from = 0;
  while (true) {
    std::size_t at = upper.find(wanted, from);
    if (at == std::string::npos) break;
    std::size_t insertAt = after ? at + find.size() : at;
    line.insert(insertAt, text);
    upper.insert(insertAt, upperText);
    from = at + find.size() + text.size();
  }
  return line;
}

std::array<int, 5> ScanFiveNumbers(const std::string& field) {
  std::array<int, 5> out{};
  std::size_t i = 0;
  for (int n = 0; n < 5; ++n) {
    if (n > 0) {
      // ", " of the format: the comma exactly, then any white space.
      if (i >= field.size() || field[i] != ',') break;
      ++i;
    }
    while (i < field.size() && IsWhiteSpace(field[i])) ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == '+' || field[i] == '-')) {
      negative = field[i] == '-';
      ++i;
    }
    if (i >= field.size() || field[i] < '0' || field[i] > '9') break;
    long long v = 0;
    while (i < field.size() && field[i] >= '0' && field[i] <= '9') {
      v = std::min<long long>(v * 10 + (field[i] - '0'), static_cast<long long>(INT_MAX) + 1);
      ++i;
    }
    v = negative ? -v : v;
    out[n] = static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
  }
  return out;
}

void EditTextFile(std::string arguments) {
  ExpandFully(arguments);
  EditArgs a = SplitEditArgs(std::move(arguments));
  if (a.file.empty()) return;
  a.ours = !FileOrFolderExists(a.file) || Journal().Created(a.file);
  // A file that was there is copied first, so that a rollback puts it back as it was.
  if (!Journal().BeforeWrite(a.file)) return;
  TextFile file(a.file);
  if (!file.IsOpen()) return;
  switch (a.operation) {
    case 0:
      Insert(file, a);
      break;
    case 1: {
      std::string line;
      if (FindByPosition(file, a.position, a.search, line) >= 0) file.ReplaceCurrentLine("");
      break;
    }
    case 2:
      Change(file, a);
      break;
    default:
      break;
  }
}

void UndoTextFileEdit(std::string arguments) {
  EditArgs a = SplitEditArgs(std::move(arguments));
  if (a.file.empty()) return;
  // The undo never creates the file it was to clean up.
  TextFile file(a.file, false);
  if (!file.IsOpen()) return;
  std::string line;
  if (a.operation == 0) {
    // Every line starts with an empty text: an inserted empty line is the first empty line.
    int found =
        a.newText.empty() ? file.FindEqualTo("", line) : file.FindStartingWith(a.newText, line);
    if (found >= 0) file.ReplaceCurrentLine("");
    return;
  }
  if (a.operation != 2) return;
  if (FindByPosition(file, a.position, a.search, line) < 0) return;
  std::string changed;
  switch (a.mode) {
    case 1:
      changed = ReplaceEvery(line, a.newText, a.second);
      break;
    case 2:
      changed = a.second.empty() ? line : ReplaceEvery(line, a.newText + a.second, a.second);
      break;
    case 3:
      changed = a.second.empty() ? line : ReplaceEvery(line, a.second + a.newText, a.second);
      break;
    case 4:
      changed = ReplaceEvery(line, a.newText, "");
      break;
    case 5:
      changed = line + a.second;
      break;
    default:
      return;
  }
  if (changed != line) file.ReplaceCurrentLine(changed);
}

}  // namespace vx
