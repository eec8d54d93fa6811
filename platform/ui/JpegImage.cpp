#include "platform/ui/JpegImage.h"

#include <csetjmp>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <string>

#include "platform/Error.h"

namespace quill::platform {
namespace {

// libjpeg's default error handler ends the process; this one jumps back to the decoder with
// the message, and warnings stay quiet instead of going to stderr.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpBack(j_common_ptr cinfo) {
  auto* errors = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, errors->message);
  std::longjmp(errors->jump, 1);
}

void Quiet(j_common_ptr) {}

// Runs the decompression into `image`. Only plain C objects live in this frame, so the jump
// back from libjpeg skips no destructor; `image` lives in the caller's frame.
bool Decompress(jpeg_decompress_struct& cinfo, ErrorManager& errors, const QByteArray& bytes,
                QImage& image) {
  if (setjmp(errors.jump)) return false;
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes.constData()),
               static_cast<unsigned long>(bytes.size()));
  jpeg_read_header(&cinfo, TRUE);
  const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  cinfo.out_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_start_decompress(&cinfo);
  image = QImage(static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                 grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
  if (image.isNull()) {
    std::snprintf(errors.message, sizeof errors.message, "Picture too large: %ux%u",
                  cinfo.output_width, cinfo.output_height);
    return false;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = image.scanLine(static_cast<int>(cinfo.output_scanline));
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  return true;
}

}  // namespace

QImage DecodeJpeg(const QByteArray& bytes) {
  // jpeg_mem_src refuses an empty buffer through the error handler, like any other fault.
  jpeg_decompress_struct cinfo{};
  ErrorManager errors{};
  cinfo.err = jpeg_std_error(&errors.pub);
  errors.pub.error_exit = JumpBack;
  errors.pub.output_message = Quiet;
  QImage image;
  const bool done = Decompress(cinfo, errors, bytes, image);
  jpeg_destroy_decompress(&cinfo);
  if (!done) throw Error(std::string("JPEG picture cannot be decoded: ") + errors.message);
  return image;
}

}  // namespace quill::platform
