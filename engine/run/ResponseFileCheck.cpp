#include "engine/run/ResponseFileCheck.h"

#include <vector>

#include "platform/ErrorText.h"
#include "platform/Files.h"
#include "platform/ProfileParse.h"
#include "platform/Types.h"

namespace vx {

namespace {

constexpr char kSection[] = "ResponseFile";
// Far above any list of answers; a larger file is not read into memory whole.
constexpr std::int64_t kMaxResponseFile = 64 << 20;

}  // namespace

std::string ResponseFileProblem(const std::string& file) {
  const std::string name = "the response file " + file;
  FileHandle h =
      CreateFile(file, kGenericRead, kShareRead | kShareWrite, Disposition::OpenExisting);
  if (h == kInvalidHandle) {
    const std::uint32_t error = GetLastError();
    return error == kErrorFileNotFound || error == kErrorPathNotFound
               ? name + " is missing"
               : name + " cannot be read: " + SystemErrorText(error);
  }
  const std::int64_t size = GetFileSize(h);
  std::vector<char> text;
  bool read = size >= 0 && size <= kMaxResponseFile;
  if (read) {
    text.resize(std::size_t(size));
    std::uint32_t got = 0;
    read = size == 0 || (ReadFile(h, text.data(), std::uint32_t(size), &got) && got == size);
  }
  CloseHandle(h);
  if (!read) return name + " cannot be read";
  profile::Document document(text.data(), text.size());
  int sections = 0;
  bool answers = false;
  for (const profile::Section& s : document.Sections()) {
    if (!profile::NoCaseEqual{}(s.name, kSection)) continue;
    ++sections;
    answers = answers || !s.keys.empty();
  }
  if (sections == 0) return name + " has no [ResponseFile] section: it answers nothing";
  if (sections > 1)
    return name + " has " + std::to_string(sections) +
           " [ResponseFile] sections: only one may give the answers";
  if (!answers) return name + " gives no answer in its [ResponseFile] section";
  return {};
}

}  // namespace vx
