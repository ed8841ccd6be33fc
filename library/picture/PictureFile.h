// Picture files: the format by extension, the file read into memory once, and the decoder
// that fits. Paths are Windows paths of the current machine.
#pragma once
#include <string_view>

#include "library/picture/Picture.h"

namespace vx::picture {

enum class Format { None, Bmp, Gif, Jpeg };

// By the text after the last ".", without regard to case: "bmp", "gif" and "jpg" only.
Format FormatOf(std::string_view fileName);

// What tells a changed file from the one read before.
struct FileStamp {
  std::uint64_t size = 0;
  std::uint64_t writeTime = 0;  // FILETIME ticks
  bool operator==(const FileStamp&) const = default;
};

enum class ReadResult { Ok, CantOpen, ReadError };

// Reads the whole file with its stamp taken when it was opened.
ReadResult ReadPictureFile(std::string_view path, std::vector<std::uint8_t>* bytes,
                           FileStamp* stamp);

// Runs the decoder of `format` on a file's bytes; `name` goes into the status texts.
bool DecodePicture(Format format, Bytes data, std::string_view name, PixelImage* image,
                   Status* status, std::uint32_t maxSide = kMaxSide);

// Reads and decodes a picture file, the format chosen by its name. `stamp` may be null.
bool LoadPicture(std::string_view path, PixelImage* image, Status* status,
                 FileStamp* stamp = nullptr);

}  // namespace vx::picture
