/* The part of the JPEG decoder that runs libjpeg. It is C: the library's fatal errors jump
   back into this function, and no frame with destructors may lie across such a jump. */
#pragma once
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

enum {
  kVxJpegOk = 0,
  kVxJpegLibraryError = 1, /* `message` holds the library's text */
  kVxJpegOutOfMemory = 2,  /* the pixel buffer could not be had */
  kVxJpegTooLarge = 3,     /* a side is 0 or above the limit, or the pixels above the budget */
  kVxJpegUnsupported = 4   /* neither grey nor colour output (CMYK) */
};

/* Returns a buffer of width x height x 3 bytes for the pixels, or null. */
typedef unsigned char* (*VxJpegAllocate)(void* context, unsigned width, unsigned height);

/* Decodes `size` bytes of a JPEG file into red, green, blue rows, top first, in the buffer
   `allocate` gives. `message` (at least 201 bytes) receives the library's text on failure. */
int VxJpegDecode(const unsigned char* data, unsigned long size, unsigned maxSide,
                 unsigned long long maxPixelBytes, VxJpegAllocate allocate, void* context,
                 char* message, unsigned* width, unsigned* height);

#ifdef __cplusplus
}
#endif
