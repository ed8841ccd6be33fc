// JPEG through the Windows Imaging Component: the decoder Windows itself uses.
#include "platform/win32/Com.h"

#include <wincodec.h>

#include <cstdio>

#include "platform/SystemJpeg.h"

namespace vx {

namespace {

using win32::Com;

std::string HresultText(const char* step, HRESULT hr) {
  char text[96];
  std::snprintf(text, sizeof text, "%s failed (0x%08lX)", step, static_cast<unsigned long>(hr));
  return text;
}

}  // namespace

SystemJpegResult DecodeJpegWithSystem(const unsigned char* data, std::size_t size, unsigned maxSide,
                                      unsigned long long maxPixelBytes, SystemJpegAllocate allocate,
                                      void* context, std::string* message, unsigned* width,
                                      unsigned* height) {
  *width = *height = 0;
  if (size > 0xFFFFFFFFu) {
    *message = "JPEG file too large";
    return SystemJpegResult::TooLarge;
  }
  const win32::ComScope com(COINIT_MULTITHREADED);

  Com<IWICImagingFactory> factory;
  HRESULT hr = ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(&factory));
  if (FAILED(hr)) return *message = HresultText("Imaging factory", hr), SystemJpegResult::Failed;
  Com<IWICStream> stream;
  hr = factory->CreateStream(&stream);
  if (SUCCEEDED(hr))
    hr = stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(size));
  if (FAILED(hr)) return *message = HresultText("Stream", hr), SystemJpegResult::Failed;
  Com<IWICBitmapDecoder> decoder;
  hr =
      factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand, &decoder);
  if (FAILED(hr))
    return *message = HresultText("Not a JPEG file: decoder", hr), SystemJpegResult::Failed;
  Com<IWICBitmapFrameDecode> frame;
  hr = decoder->GetFrame(0, &frame);
  if (FAILED(hr)) return *message = HresultText("Frame", hr), SystemJpegResult::Failed;
  UINT w = 0, h = 0;
  hr = frame->GetSize(&w, &h);
  if (FAILED(hr)) return *message = HresultText("Size", hr), SystemJpegResult::Failed;
  if (w == 0 || h == 0 || w > maxSide || h > maxSide ||
      static_cast<unsigned long long>(w) * h * 3 > maxPixelBytes)
    return SystemJpegResult::TooLarge;
  WICPixelFormatGUID format;
  if (SUCCEEDED(frame->GetPixelFormat(&format)) &&
      IsEqualGUID(format, GUID_WICPixelFormat32bppCMYK))
    return SystemJpegResult::Unsupported;
  Com<IWICFormatConverter> converter;
  hr = factory->CreateFormatConverter(&converter);
  if (SUCCEEDED(hr))
    hr = converter->Initialize(frame.p, GUID_WICPixelFormat24bppBGR, WICBitmapDitherTypeNone,
                               nullptr, 0.0, WICBitmapPaletteTypeCustom);
  if (FAILED(hr)) return *message = HresultText("Conversion", hr), SystemJpegResult::Failed;
  unsigned char* pixels = allocate(context, w, h);
  if (pixels == nullptr) return SystemJpegResult::OutOfMemory;
  const UINT stride = w * 3;  // no product overflow: both sides are at most maxSide
  hr = converter->CopyPixels(nullptr, stride, stride * h, pixels);
  if (FAILED(hr)) return *message = HresultText("Decoding", hr), SystemJpegResult::Failed;
  for (std::size_t i = 0; i + 2 < std::size_t(stride) * h; i += 3)
    std::swap(pixels[i], pixels[i + 2]);
  *width = w;
  *height = h;
  return SystemJpegResult::Ok;
}

}  // namespace vx
