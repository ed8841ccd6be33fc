#include "engine/ui/DialogKeys.h"

#include <cctype>

#include "engine/ui/Ui.h"

namespace vx {

namespace {
char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
bool IsLetterOrDigit(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; }
}  // namespace

int EscapeAnswer(std::uint32_t type) {
  switch (type & kMbTypeMask) {
    case kMbOk:
      return kIdOk;
    case kMbOkCancel:
    case kMbYesNoCancel:
    case kMbRetryCancel:
      return kIdCancel;
    case kMbYesNo:
      return kIdNo;
    default:
      return 0;
  }
}

char AccessKeyOf(const std::string& label) {
  for (std::size_t i = 0; i + 1 < label.size(); ++i) {
    if (label[i] != '&') continue;
    if (label[i + 1] == '&') {  // "&&" is a plain ampersand
      ++i;
      continue;
    }
    return IsLetterOrDigit(label[i + 1]) ? Upper(label[i + 1]) : 0;
  }
  return 0;
}

std::vector<std::string> WithAccessKeys(const std::vector<std::string>& labels) {
  std::string taken;
  for (const std::string& l : labels)
    if (char k = AccessKeyOf(l)) taken += k;
  std::vector<std::string> out;
  for (const std::string& l : labels) {
    if (AccessKeyOf(l) != 0) {
      out.push_back(l);
      continue;
    }
    std::string marked = l;
    for (std::size_t i = 0; i < l.size(); ++i) {
      if (l[i] == '&' || !IsLetterOrDigit(l[i]) || taken.find(Upper(l[i])) != std::string::npos)
        continue;
      taken += Upper(l[i]);
      marked.insert(i, 1, '&');
      break;
    }
    out.push_back(marked);
  }
  return out;
}

}  // namespace vx
