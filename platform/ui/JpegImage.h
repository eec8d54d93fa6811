#pragma once
// JPEG pictures held in memory, decoded with libjpeg.

#include <QByteArray>
#include <QImage>

namespace quill::platform {

/// Decodes the JPEG picture in `bytes`: a grey picture becomes Format_Grayscale8, any other
/// Format_RGB888. Raises quill::Error with libjpeg's message when the bytes are no picture
/// that libjpeg can decode. Damage that libjpeg only warns about (a picture cut short) gives
/// the picture as far as it could be read.
QImage DecodeJpeg(const QByteArray& bytes);

}  // namespace quill::platform
