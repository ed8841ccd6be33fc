// The page factory of every UI that draws pages in windows: a UI names its window classes, each
// made over PageOfKind with the page kind it draws, and MakePageWindow makes the one for a
// page. The build fails when a kind of the page table has no window or two.
#pragma once
#include <cstddef>
#include <cstdlib>

#include "engine/ui/PageTable.h"

namespace vx {

// The window class of a UI for the page kind K, over the UI's page window class `Page`.
template <class Page, PageKind K>
class PageOfKind : public Page {
 public:
  static constexpr PageKind kKind = K;
  using Page::Page;
};

namespace detail {

template <class... Windows>
constexpr bool OneWindowPerKind() {
  for (std::size_t k = 0; k < kPageKindCount; ++k)
    if (((static_cast<std::size_t>(Windows::kKind) == k ? 1 : 0) + ...) != 1) return false;
  return sizeof...(Windows) == kPageKindCount;
}

}  // namespace detail

// `Made` holds a new window (a raw pointer that a parent owns, or a smart pointer); `args` go
// to the window's constructor.
template <class Made, class... Windows, class... Args>
Made MakePageWindow(PageKind kind, Args&&... args) {
  static_assert(detail::OneWindowPerKind<Windows...>(), "one window class per page kind");
  Made made{};
  // The fold stops at the first window of the kind; its value is not needed.
  static_cast<void>(
      ((Windows::kKind == kind ? (made = Made(new Windows(args...)), true) : false) || ...));
  if (!made) std::abort();  // a kind without its window is a build fault
  return made;
}

}  // namespace vx
