// The wizard's pages as one table: for each kind its dialog template, its title text, the
// words its Next and Cancel buttons carry, what it shows as one text, and how it takes a
// scripted answer. The sheet, the headless walker and the Qt wizard all read it, so a new
// page is one row here (and one window class for each UI that draws pages).
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "engine/base/Texts.h"
#include "engine/ui/WizardSheet.h"

namespace vx {

// How a page takes scripted answers, the same in every UI.
enum class PageAnswerRule {
  Confirm,      // one answer as a message box of the row's `answerBox` takes it: its first
                // button goes on, the other asks to quit
  Acknowledge,  // one answer as a box with OK alone; the page then ends the wizard
  Fields,       // one edit-field answer per asked field; a field left empty is asked again
  Choice,       // an index of the list, or cancel (asks to quit)
  Rows,         // "text:" and the row indexes to tick ("text:uninstall-all" in maintenance)
  Paths,        // one edit-field answer per editable destination row
};

// Which buttons a page offers when it becomes active.
enum class PageButtons {
  Next,      // Next only, whether first or not
  BackNext,  // Back and Next, Back only when not the first page
  Finish,    // Finish only, Cancel disabled
};

struct PageRow {
  PageKind kind;
  const char* name;    // as logs and pictures name it
  int dialogTemplate;  // the page's dialog template number
  TextId title;
  PageButtons buttons;
  TextId nextText;  // the Next button's word (a Finish page shows Finish instead)
  TextId cancelText;
  PageAnswerRule rule;
  std::uint32_t answerBox;  // message box type a Confirm / Acknowledge page answers as
  // The page as one text (what a Confirm / Acknowledge page asks about); null for the pages
  // whose fields are asked one by one.
  std::string (*text)();
};

// As many rows as page kinds, one each.
inline constexpr std::size_t kPageKindCount = static_cast<std::size_t>(PageKind::Completion) + 1;

std::span<const PageRow> PageTable();
const PageRow& PageRowOf(PageKind kind);

}  // namespace vx
