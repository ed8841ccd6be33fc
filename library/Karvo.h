// The exports of Karvo.dll, with C linkage under the names the engine binds by.
#pragma once
#include <cstdint>

#include "platform/Types.h"

#if defined(_WIN32) && defined(VX_BUILDING_KARVO)
#define KARVO_API extern "C" __declspec(dllexport)
#elif defined(_WIN32)
#define KARVO_API extern "C" __declspec(dllimport)
#else
#define KARVO_API extern "C" __attribute__((visibility("default")))
#endif

namespace vx {
class DeviceContext;
}

// Calendar time in seconds since 1970 (local time), as a CTime holds it.
struct KarvoTime {
  std::int64_t seconds;
};

// File, directory and compression services.
KARVO_API void SetFileTimeStamp(const char* path, const KarvoTime* time);
KARVO_API int CreateDirectoryAtOnce(const char* path);
KARVO_API void DelTree(const char* folder, int removeFolder);
KARVO_API vx::FileHandle PrepareFileForRead(const char* path);
KARVO_API vx::FileHandle PrepareFileForWrite(const char* path, int overwrite);
KARVO_API int DeflateDataToFile(vx::FileHandle file, const std::uint8_t* data, std::uint32_t size,
                                std::uint32_t* written, std::uint8_t level);
KARVO_API int InflateDataToFile(vx::FileHandle file, const std::uint8_t* data, std::uint32_t size,
                                std::uint32_t* written);

// Pictures: .bmp, .gif and .jpg files drawn into a device context in one of four display
// styles (0 top-left, 1 centred, 2 tiled, 3 and others stretched), effect 5 growing from the
// centre; the size of a picture in pixels (0, 0 when it cannot be read).
typedef vx::DeviceContext* VxDc;
struct VxRect {
  std::int32_t left, top, right, bottom;
};
struct VxSize {
  std::int32_t cx, cy;
};
KARVO_API void VxDisplayImage(const char* file, VxDc dc, VxRect rect, unsigned style, int effect);
KARVO_API void RetrieveImageDimension(const char* file, VxSize* size);

// The program's message box for the library's own messages (a JPEG that cannot be read). The
// caption is null when the message has none of its own. Until a program hands one over, the
// messages go to standard error.
typedef int (*KarvoMessageBox)(const char* text, const char* caption, unsigned type);
KARVO_API void KarvoSetMessageBox(KarvoMessageBox fn);

// Sound, text and event helpers.
KARVO_API void VxPlaySound(const char* fileName, int wait);
KARVO_API void AddTextToWindow(std::uintptr_t window, const char* text);
KARVO_API int IsEvent(const char* line);
// The machine object and the file-handle table this library uses (engine start-up check).
KARVO_API void KarvoPlatformIdentity(const void** machine, const void** handleTable);
