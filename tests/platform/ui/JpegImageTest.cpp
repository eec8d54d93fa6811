#include <gtest/gtest.h>

#include <QFile>

#include "platform/Error.h"
#include "platform/ui/JpegImage.h"
#include "platform/ui/SplashForm.h"

namespace quill::platform {
namespace {

QByteArray SplashBytes() {
  QFile file(QStringLiteral(QUILL_SOURCE_DIR "/resources/splash.jpg"));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return file.readAll();
}

TEST(JpegImage, DecodesTheSplashPicture) {
  const QImage picture = DecodeJpeg(SplashBytes());
  EXPECT_EQ(picture.size(), QSize(500, 375));
  EXPECT_EQ(picture.format(), QImage::Format_RGB888);
  // The picture is darkest at the bottom right, where the labels sit.
  EXPECT_LT(qGray(picture.pixel(480, 360)), qGray(picture.pixel(20, 20)));
  // The copy bundled in the resources is the same picture.
  EXPECT_EQ(SplashPicture(), picture);
}

TEST(JpegImage, RefusesWhatIsNoPicture) {
  const QByteArray splash = SplashBytes();
  QByteArray flipped = splash;
  flipped[1] = '\x00';  // the start-of-image marker broken
  const struct {
    const char* name;
    QByteArray bytes;
  } rows[] = {
      {"empty", QByteArray()},           {"text", QByteArray("this is no picture at all")},
      {"header only", splash.left(2)},   {"broken marker", flipped},
      {"zeros", QByteArray(4096, '\0')},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    try {
      DecodeJpeg(row.bytes);
      ADD_FAILURE() << "decoded";
    } catch (const quill::Error& e) {
      EXPECT_NE(std::string(e.what()).find("JPEG picture cannot be decoded: "), std::string::npos);
      EXPECT_GT(std::string(e.what()).size(),
                std::string("JPEG picture cannot be decoded: ").size());
    }
  }
}

TEST(JpegImage, PictureCutShortGivesWhatCouldBeRead) {
  const QByteArray splash = SplashBytes();
  const QImage picture = DecodeJpeg(splash.left(splash.size() / 2));
  EXPECT_EQ(picture.size(), QSize(500, 375));
  EXPECT_EQ(picture.pixel(10, 10), DecodeJpeg(splash).pixel(10, 10));
}

}  // namespace
}  // namespace quill::platform
