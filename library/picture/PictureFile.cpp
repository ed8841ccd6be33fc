#include "library/picture/PictureFile.h"

#include <new>

#include "library/picture/BmpDecoder.h"
#include "library/picture/GifDecoder.h"
#include "library/picture/JpegDecoder.h"
#include "platform/Files.h"

namespace vx::picture {

namespace {

// Far above the largest picture the decoders accept (a 24-bit bitmap of the largest size).
constexpr std::uint64_t kMaxFileBytes = 1ull << 30;

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char c = a[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != b[i]) return false;
  }
  return true;
}

// What each decoder says when its file cannot be opened.
Status OpenFailure(Format format, std::string_view name) {
  Status status;
  const std::string n(name);
  switch (format) {
    case Format::Bmp:
      status.text = "Can't open file for reading :\n" + n;
      break;
    case Format::Gif:
      status.text = "Cant open GIF :\n" + n;
      break;
    case Format::Jpeg:
      status.text = "JPEG :\nCan't open " + n + "\n";
      status.tellUser = true;
      status.boxType = kBoxOk;
      break;
    case Format::None:
      status.text = "Unknown picture format";
      break;
  }
  return status;
}

}  // namespace

Format FormatOf(std::string_view fileName) {
  const std::size_t dot = fileName.rfind('.');
  if (dot == std::string_view::npos) return Format::None;
  const std::string_view ext = fileName.substr(dot + 1);
  if (EqualNoCase(ext, "bmp")) return Format::Bmp;
  if (EqualNoCase(ext, "gif")) return Format::Gif;
  if (EqualNoCase(ext, "jpg")) return Format::Jpeg;
  return Format::None;
}

ReadResult ReadPictureFile(std::string_view path, std::vector<std::uint8_t>* bytes,
                           FileStamp* stamp) {
  bytes->clear();
  const FileHandle h = CreateFile(path, kGenericRead, kShareRead, Disposition::OpenExisting);
  if (h == kInvalidHandle) return ReadResult::CantOpen;
  FileTime written;
  const std::int64_t size = GetFileSize(h);
  bool ok = size >= 0 && static_cast<std::uint64_t>(size) <= kMaxFileBytes &&
            GetFileTime(h, nullptr, nullptr, &written);
  if (ok) {
    stamp->size = static_cast<std::uint64_t>(size);
    stamp->writeTime = written.ticks;
    try {
      bytes->resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  std::size_t done = 0;
  while (ok && done < bytes->size()) {
    std::uint32_t got = 0;
    const auto want =
        static_cast<std::uint32_t>(std::min<std::size_t>(bytes->size() - done, 1u << 24));
    if (!ReadFile(h, bytes->data() + done, want, &got)) ok = false;
    if (got == 0) break;  // the file shrank while it was read
    done += got;
  }
  CloseHandle(h);
  if (!ok) {
    bytes->clear();
    return ReadResult::ReadError;
  }
  bytes->resize(done);
  return ReadResult::Ok;
}

bool DecodePicture(Format format, Bytes data, std::string_view name, PixelImage* image,
                   Status* status, std::uint32_t maxSide) {
  switch (format) {
    case Format::Bmp:
      return DecodeBmp(data, image, status, maxSide);
    case Format::Gif:
      return DecodeGif(data, name, image, status, maxSide);
    case Format::Jpeg:
      return DecodeJpeg(data, image, status, maxSide);
    case Format::None:
      break;
  }
  *image = PixelImage{};
  *status = OpenFailure(Format::None, name);
  return false;
}

bool LoadPicture(std::string_view path, PixelImage* image, Status* status, FileStamp* stamp) {
  *image = PixelImage{};
  const Format format = FormatOf(path);
  if (format == Format::None) {
    *status = OpenFailure(format, path);
    return false;
  }
  std::vector<std::uint8_t> bytes;
  FileStamp taken;
  switch (ReadPictureFile(path, &bytes, &taken)) {
    case ReadResult::CantOpen:
      *status = OpenFailure(format, path);
      return false;
    case ReadResult::ReadError:
      *status = Status{"Read Error!"};
      return false;
    case ReadResult::Ok:
      break;
  }
  if (stamp != nullptr) *stamp = taken;
  return DecodePicture(format, bytes, path, image, status);
}

}  // namespace vx::picture
