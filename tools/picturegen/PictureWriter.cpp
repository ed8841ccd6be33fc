#include "tools/picturegen/PictureWriter.h"

// jpeglib.h needs FILE from stdio.h.
#include <jpeglib.h>

#include <cstdio>
#include <cstdlib>
#include <unordered_map>

namespace vx::picwriter {

namespace {

void Put16(Bytes* b, std::uint32_t v) {
  b->push_back(static_cast<std::uint8_t>(v));
  b->push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes* b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

Bytes BmpHeaders(std::uint32_t width, std::int32_t height, int bits, std::uint32_t colors,
                 std::uint32_t pixelBytes) {
  Bytes b = {'B', 'M'};
  const std::uint32_t offset = 54 + colors * 4;
  Put32(&b, offset + pixelBytes);
  Put32(&b, 0);
  Put32(&b, offset);
  Put32(&b, 40);
  Put32(&b, width);
  Put32(&b, static_cast<std::uint32_t>(height));
  Put16(&b, 1);
  Put16(&b, static_cast<std::uint32_t>(bits));
  Put32(&b, 0);
  Put32(&b, pixelBytes);
  Put32(&b, 2835);
  Put32(&b, 2835);
  Put32(&b, colors);
  Put32(&b, 0);
  return b;
}

std::uint32_t RowBytes(std::uint32_t width, int bits) { return (width * bits + 31) / 32 * 4; }

void PutPalette(Bytes* b, const Palette& palette, std::size_t entries, bool gif) {
  for (std::size_t i = 0; i < entries; ++i) {
    const std::uint32_t c = i < palette.size() ? palette[i] : 0;
    if (gif) {
      b->insert(b->end(), {std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)});
    } else {
      b->insert(b->end(), {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16), 0});
    }
  }
}

// Table size bits k (2^k entries, k >= 1) for a palette.
int TableBits(const Palette& palette) {
  int k = 1;
  while ((1u << k) < palette.size() && k < 8) ++k;
  return k;
}

}  // namespace

Bytes Bmp24(const picture::PixelImage& image, bool topDown) {
  const std::uint32_t row = RowBytes(image.width, 24);
  const auto h = static_cast<std::int32_t>(image.height);
  Bytes b = BmpHeaders(image.width, topDown ? -h : h, 24, 0, row * image.height);
  for (std::uint32_t j = 0; j < image.height; ++j) {
    const std::uint32_t y = topDown ? j : image.height - 1 - j;
    const std::uint8_t* p = image.rgb.data() + static_cast<std::size_t>(y) * image.width * 3;
    for (std::uint32_t x = 0; x < image.width; ++x, p += 3) b.insert(b.end(), {p[2], p[1], p[0]});
    b.resize(b.size() + row - image.width * 3, 0);
  }
  return b;
}

Bytes BmpIndexed(std::uint32_t width, std::uint32_t height, int bits, const Palette& palette,
                 const std::vector<std::uint8_t>& indices) {
  const std::uint32_t row = RowBytes(width, bits);
  Bytes b = BmpHeaders(width, static_cast<std::int32_t>(height), bits,
                       static_cast<std::uint32_t>(palette.size()), row * height);
  PutPalette(&b, palette, palette.size(), false);
  for (std::uint32_t j = 0; j < height; ++j) {
    const std::uint8_t* idx = indices.data() + static_cast<std::size_t>(height - 1 - j) * width;
    Bytes packed(row, 0);
    for (std::uint32_t x = 0; x < width; ++x) {
      const std::uint32_t bit = x * bits;
      packed[bit / 8] |= static_cast<std::uint8_t>(idx[x] << (8 - bits - bit % 8));
    }
    b.insert(b.end(), packed.begin(), packed.end());
  }
  return b;
}

void AppendLzw(Bytes* out, const std::vector<std::uint8_t>& indices, int minCodeSize) {
  out->push_back(static_cast<std::uint8_t>(minCodeSize));
  const int clear = 1 << minCodeSize;
  const int end = clear + 1;
  Bytes packed;
  std::uint32_t bitBuffer = 0;
  int bitCount = 0;
  // The code width follows the decoder, which adds an entry for every code but the first
  // after a clear, one step behind the encoder.
  int width = minCodeSize + 1;
  int decoderNext = end + 1;
  bool firstAfterClear = true;
  auto emit = [&](int code) {
    bitBuffer |= static_cast<std::uint32_t>(code) << bitCount;
    bitCount += width;
    while (bitCount >= 8) {
      packed.push_back(static_cast<std::uint8_t>(bitBuffer));
      bitBuffer >>= 8;
      bitCount -= 8;
    }
    if (code == clear) {
      width = minCodeSize + 1;
      decoderNext = end + 1;
      firstAfterClear = true;
      return;
    }
    if (!firstAfterClear && decoderNext < 4096) {
      if (++decoderNext >= (1 << width) && width < 12) ++width;
    }
    firstAfterClear = false;
  };
  std::unordered_map<std::uint32_t, int> table;
  int next = end + 1;
  emit(clear);
  if (!indices.empty()) {
    int prefix = indices[0];
    for (std::size_t i = 1; i < indices.size(); ++i) {
      const std::uint32_t key = (static_cast<std::uint32_t>(prefix) << 8) | indices[i];
      auto found = table.find(key);
      if (found != table.end()) {
        prefix = found->second;
        continue;
      }
      emit(prefix);
      if (next < 4096) {
        table.emplace(key, next++);
      } else {
        emit(clear);
        table.clear();
        next = end + 1;
      }
      prefix = indices[i];
    }
    emit(prefix);
  }
  emit(end);
  if (bitCount > 0) packed.push_back(static_cast<std::uint8_t>(bitBuffer));
  for (std::size_t pos = 0; pos < packed.size(); pos += 255) {
    const std::size_t n = std::min<std::size_t>(255, packed.size() - pos);
    out->push_back(static_cast<std::uint8_t>(n));
    out->insert(out->end(), packed.begin() + pos, packed.begin() + pos + n);
  }
  out->push_back(0);
}

Bytes Gif(std::uint32_t width, std::uint32_t height, const Palette& palette,
          const std::vector<std::uint8_t>& indices, const GifOptions& options) {
  Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(&b, width);
  Put16(&b, height);
  const int globalBits = TableBits(palette);
  b.push_back(static_cast<std::uint8_t>(0x80 | (globalBits - 1)));
  b.push_back(0);
  b.push_back(0);
  PutPalette(&b, palette, std::size_t{1} << globalBits, true);
  if (options.extensions) {
    b.insert(b.end(), {0x21, 0xF9, 4, 0x01, 10, 0, 0, 0});
    b.insert(b.end(), {0x21, 0xFE, 5, 'h', 'e', 'l', 'l', 'o', 0});
  }
  b.push_back(',');
  Put16(&b, 0);
  Put16(&b, 0);
  Put16(&b, width);
  Put16(&b, height);
  int codeBits = globalBits;
  std::uint8_t flags = options.interlaced ? 0x40 : 0;
  if (options.local) {
    codeBits = TableBits(options.localPalette);
    flags |= static_cast<std::uint8_t>(0x80 | (codeBits - 1));
  }
  b.push_back(flags);
  if (options.local) PutPalette(&b, options.localPalette, std::size_t{1} << codeBits, true);
  std::vector<std::uint8_t> stored;
  if (!options.interlaced) {
    stored = indices;
  } else {
    static constexpr std::uint32_t kStart[4] = {0, 4, 2, 1};
    static constexpr std::uint32_t kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
      for (std::uint32_t y = kStart[pass]; y < height; y += kStep[pass])
        stored.insert(stored.end(), indices.begin() + y * width, indices.begin() + (y + 1) * width);
  }
  AppendLzw(&b, stored, std::max(2, codeBits));
  b.push_back(0x3B);
  return b;
}

Bytes Jpeg(const picture::PixelImage& image, int quality, bool grey) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = image.width;
  cinfo.image_height = image.height;
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const std::uint8_t* src =
        image.rgb.data() + static_cast<std::size_t>(cinfo.next_scanline) * image.width * 3;
    if (grey) {
      for (std::uint32_t x = 0; x < image.width; ++x) row[x] = src[x * 3];
    } else {
      std::copy(src, src + row.size(), row.begin());
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  Bytes out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

picture::PixelImage TestPattern(std::uint32_t width, std::uint32_t height, unsigned seed) {
  picture::PixelImage image;
  image.width = width;
  image.height = height;
  image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
  std::uint8_t* p = image.rgb.data();
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x, p += 3) {
      p[0] = static_cast<std::uint8_t>(x * 255 / (width > 1 ? width - 1 : 1));
      p[1] = static_cast<std::uint8_t>(y * 255 / (height > 1 ? height - 1 : 1));
      // A checker of 1/8 the picture's width for edges.
      const bool cell = ((x * 8 / (width ? width : 1)) + (y * 8 / (width ? width : 1)) + seed) % 2;
      p[2] = cell ? 200 : 40;
    }
  }
  return image;
}

}  // namespace vx::picwriter
