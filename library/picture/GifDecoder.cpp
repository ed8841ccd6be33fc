#include "library/picture/GifDecoder.h"

#include <array>
#include <cstring>

#include "library/picture/ByteOrder.h"

namespace vx::picture {

namespace {

constexpr int kMaxCodes = 4096;

bool Fail(Status* status, std::string text) {
  status->text = std::move(text);
  return false;
}

// A colour table of 256 entries; entries the file does not give stay black.
using ColorTable = std::array<std::uint8_t, 256 * 3>;

// Reads `entries` colours at `*pos`; false when the data ends first.
bool ReadColorTable(Bytes data, std::size_t* pos, unsigned entries, ColorTable* table) {
  if (data.size() - *pos < entries * 3u) return false;
  std::memcpy(table->data(), data.data() + *pos, entries * 3u);
  *pos += entries * 3u;
  return true;
}

// Skips data sub-blocks up to and including the empty one (or to the end of the data).
void SkipSubBlocks(Bytes data, std::size_t* pos) {
  while (*pos < data.size()) {
    const std::size_t length = data[(*pos)++];
    if (length == 0) return;
    *pos += std::min(length, data.size() - *pos);
  }
}

// Where the decoded pixels go: row by row, or in the four passes of an interlaced image.
class RowWalker {
 public:
  RowWalker(std::uint32_t height, bool interlaced) : height_(height), interlaced_(interlaced) {}
  std::uint32_t Row() const { return row_; }
  // False once every row has been visited.
  bool Next() {
    if (!interlaced_) return ++row_ < height_;
    static constexpr std::uint32_t kStart[4] = {0, 4, 2, 1};
    static constexpr std::uint32_t kStep[4] = {8, 8, 4, 2};
    row_ += kStep[pass_];
    while (row_ >= height_) {
      if (++pass_ == 4) return false;
      row_ = kStart[pass_];
    }
    return true;
  }

 private:
  std::uint32_t height_;
  bool interlaced_;
  std::uint32_t row_ = 0;
  int pass_ = 0;
};

// Codes taken least significant bit first from the image's concatenated sub-blocks.
class CodeReader {
 public:
  CodeReader(Bytes data, std::size_t pos) : data_(data), pos_(pos) {}
  // False when the code stream ends before `width` more bits.
  bool Read(int width, int* code) {
    while (bitCount_ < width) {
      if (blockLeft_ == 0) {
        if (ended_ || pos_ >= data_.size()) return false;
        blockLeft_ = data_[pos_++];
        if (blockLeft_ == 0) {
          ended_ = true;
          return false;
        }
      }
      if (pos_ >= data_.size()) return false;
      bits_ |= static_cast<std::uint32_t>(data_[pos_++]) << bitCount_;
      bitCount_ += 8;
      --blockLeft_;
    }
    *code = static_cast<int>(bits_ & ((1u << width) - 1));
    bits_ >>= width;
    bitCount_ -= width;
    return true;
  }

 private:
  Bytes data_;
  std::size_t pos_;
  std::size_t blockLeft_ = 0;
  std::uint32_t bits_ = 0;
  int bitCount_ = 0;
  bool ended_ = false;
};

// Lempel-Ziv-Welch decoding of the image data at `pos` into `image`. False on a stream no
// encoder writes (a code size above 11, a code beyond the next free one).
bool DecodeImageData(Bytes data, std::size_t pos, const ColorTable& colors, bool interlaced,
                     PixelImage* image) {
  if (pos >= data.size()) return false;
  const int minCodeSize = data[pos++];
  if (minCodeSize > 11) return false;
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;

  std::array<std::uint16_t, kMaxCodes> prefix;
  std::array<std::uint8_t, kMaxCodes> suffix;
  std::array<std::uint8_t, kMaxCodes + 1> stack;
  for (int i = 0; i < clear; ++i) {
    prefix[i] = 0;
    suffix[i] = static_cast<std::uint8_t>(i);
  }

  CodeReader reader(data, pos);
  RowWalker rows(image->height, interlaced);
  const std::uint32_t width = image->width;
  std::uint8_t* rowStart = image->rgb.data();
  std::uint32_t x = 0;
  int codeWidth = minCodeSize + 1;
  int next = end + 1;
  int previous = -1;
  std::uint8_t first = 0;
  int code;
  while (reader.Read(codeWidth, &code)) {
    if (code == clear) {
      codeWidth = minCodeSize + 1;
      next = end + 1;
      previous = -1;
      continue;
    }
    if (code == end) break;
    int depth = 0;
    const int incoming = code;
    if (previous < 0) {
      if (code >= clear) return false;
    } else if (code >= next) {
      if (code > next) return false;
      // Not in the table yet: the previous string plus its own first character.
      stack[depth++] = first;
      code = previous;
    }
    while (code > end) {
      // Entries only point to earlier ones, so a chain is never longer than the table.
      if (depth >= kMaxCodes) return false;
      stack[depth++] = suffix[code];
      code = prefix[code];
    }
    if (code >= clear) return false;  // a chain through the clear or end code
    first = static_cast<std::uint8_t>(code);
    stack[depth++] = first;
    if (previous >= 0 && next < kMaxCodes) {
      prefix[next] = static_cast<std::uint16_t>(previous);
      suffix[next] = first;
      if (++next >= (1 << codeWidth) && codeWidth < 12) ++codeWidth;
    }
    previous = incoming;
    while (depth > 0) {
      const std::uint8_t* c = colors.data() + stack[--depth] * 3;
      std::uint8_t* out = rowStart + rows.Row() * static_cast<std::size_t>(width) * 3 + x * 3;
      out[0] = c[0];
      out[1] = c[1];
      out[2] = c[2];
      if (++x == width) {
        x = 0;
        if (!rows.Next()) return true;
      }
    }
  }
  return true;
}

}  // namespace

bool DecodeGif(Bytes data, std::string_view name, PixelImage* image, Status* status,
               std::uint32_t maxSide) {
  *image = PixelImage{};
  status->text = "No Error";
  const std::string fileName(name);
  if (data.size() < 6) return Fail(status, "Error reading GIF Magic #\n" + fileName);
  if (std::memcmp(data.data(), "GIF", 3) != 0)
    return Fail(status, "Error, " + fileName + " is not a valid .GIF file");
  if (std::memcmp(data.data() + 3, "87a", 3) != 0 && std::memcmp(data.data() + 3, "89a", 3) != 0)
    return Fail(status, "Error, Bad GIF Version number");
  if (data.size() < 13)
    return Fail(status, "Error, failed to GIF read screen descriptor.\nGiving up");
  const std::uint8_t screenFlags = data[10];
  const std::uint8_t aspect = data[12];
  std::size_t pos = 13;
  ColorTable global{};
  if ((screenFlags & 0x80) && !ReadColorTable(data, &pos, 2u << (screenFlags & 7), &global))
    return Fail(status, "Error reading GIF colormap");
  if (aspect != 0 && aspect != 49)
    status->text = "Non-square pixels in GIF image.\nIgnoring that fact...";

  while (pos < data.size()) {
    const std::uint8_t introducer = data[pos++];
    if (introducer == '!') {
      if (pos >= data.size()) return Fail(status, "Error on extension read.\nGiving up");
      ++pos;  // the label: no extension changes the picture
      SkipSubBlocks(data, &pos);
      continue;
    }
    if (introducer != ',') continue;
    if (data.size() - pos < 9) return Fail(status, "Error on dimension read\nGiving up");
    const std::uint32_t width = Le16(data.data() + pos + 4);
    const std::uint32_t height = Le16(data.data() + pos + 6);
    const std::uint8_t flags = data[pos + 8];
    pos += 9;
    if (!SizeAllowed(width, height, maxSide))
      return Fail(status, width == 0 || height == 0 ? "Error, GIF image is empty\nGiving up"
                                                    : "Error, GIF image too large\nGiving up");
    if (!AllocatePixels(image, width, height)) return Fail(status, "Out of Memory in GIFRead");
    bool decoded;
    if (flags & 0x80) {
      ColorTable local{};
      if (!ReadColorTable(data, &pos, 1u << ((flags & 7) + 1), &local)) {
        *image = PixelImage{};
        return Fail(status, "Error reading GIF colormap\nGiving up");
      }
      decoded = DecodeImageData(data, pos, local, flags & 0x40, image);
      if (!decoded) status->text = "Error reading GIF file\nLocalColorMap\nGiving up";
    } else {
      decoded = DecodeImageData(data, pos, global, flags & 0x40, image);
      if (!decoded) status->text = "Error reading GIF file\nGIFScreen Colormap\nGiving up";
    }
    if (!decoded) *image = PixelImage{};
    return decoded;
  }
  return Fail(status, "Unexpected EOF in GIF.\nGiving up");
}

}  // namespace vx::picture
