#include "library/picture/JpegCore.h"

#include <setjmp.h>
#include <stdio.h>
#include <string.h>

/* After stdio.h: jpeglib.h needs its FILE. */
#include <jpeglib.h>

/* A progressive file with thousands of scans makes the library redo the whole picture for
   each; real files have a few dozen at most. */
#define VX_JPEG_MAX_SCANS 1000

struct ErrorTrap {
  struct jpeg_error_mgr manager; /* first, so that cinfo->err points at the trap */
  jmp_buf jump;
  char* message;
};

static void TrapFatalError(j_common_ptr cinfo) {
  struct ErrorTrap* trap = (struct ErrorTrap*)cinfo->err;
  (*cinfo->err->format_message)(cinfo, trap->message);
  longjmp(trap->jump, 1);
}

static void LimitScans(j_common_ptr cinfo) {
  if (!cinfo->is_decompressor) return;
  if (((j_decompress_ptr)cinfo)->input_scan_number <= VX_JPEG_MAX_SCANS) return;
  struct ErrorTrap* trap = (struct ErrorTrap*)cinfo->err;
  snprintf(trap->message, JMSG_LENGTH_MAX, "Too many scans in the JPEG file (more than %d)",
           VX_JPEG_MAX_SCANS);
  longjmp(trap->jump, 1);
}

int VxJpegDecode(const unsigned char* data, unsigned long size, unsigned maxSide,
                 unsigned long long maxPixelBytes, VxJpegAllocate allocate, void* context, char* message, unsigned* width,
                 unsigned* height) {
  struct jpeg_decompress_struct cinfo;
  struct ErrorTrap trap;
  struct jpeg_progress_mgr progress;
  memset(&cinfo, 0, sizeof cinfo);
  memset(&progress, 0, sizeof progress);
  message[0] = 0;
  *width = 0;
  *height = 0;

  cinfo.err = jpeg_std_error(&trap.manager);
  trap.manager.error_exit = TrapFatalError;
  trap.message = message;
  if (setjmp(trap.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return kVxJpegLibraryError;
  }
  jpeg_create_decompress(&cinfo);
  progress.progress_monitor = LimitScans;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, data, size);
  jpeg_read_header(&cinfo, TRUE);
  /* Checked before decompression starts: a large progressive picture is buffered whole. */
  if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > maxSide ||
      cinfo.image_height > maxSide ||
      (unsigned long long)cinfo.image_width * cinfo.image_height * 3 > maxPixelBytes) {
    jpeg_destroy_decompress(&cinfo);
    return kVxJpegTooLarge;
  }
  jpeg_start_decompress(&cinfo);
  const int components = cinfo.output_components;
  if (components != 1 && components != 3) {
    jpeg_destroy_decompress(&cinfo);
    return kVxJpegUnsupported;
  }
  const unsigned w = cinfo.output_width;
  const unsigned h = cinfo.output_height;
  unsigned char* pixels = allocate(context, w, h);
  if (pixels == NULL) {
    jpeg_destroy_decompress(&cinfo);
    return kVxJpegOutOfMemory;
  }
  JSAMPARRAY row =
      (*cinfo.mem->alloc_sarray)((j_common_ptr)&cinfo, JPOOL_IMAGE, w * (JDIMENSION)components, 1);
  while (cinfo.output_scanline < h) {
    unsigned char* out = pixels + (size_t)cinfo.output_scanline * w * 3;
    /* The memory source never suspends; a 0 would only repeat forever. */
    if (jpeg_read_scanlines(&cinfo, row, 1) != 1) break;
    if (components == 3) {
      memcpy(out, row[0], (size_t)w * 3);
    } else {
      for (unsigned x = 0; x < w; ++x) out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = row[0][x];
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  *width = w;
  *height = h;
  return kVxJpegOk;
}
