#include "platform/ui/SjisText.h"

#include "platform/TextCodec.h"

namespace quill::platform {

QString from_sjis(std::string_view sjis) {
  const std::string utf8 = SjisToUtf8(sjis);
  QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

std::string to_sjis(const QString& text) {
  QString crlf = text;
  crlf.replace(QChar(QChar::ParagraphSeparator), QLatin1Char('\n'));
  crlf.replace(QChar(QChar::LineSeparator), QLatin1Char('\n'));
  crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  const QByteArray utf8 = crlf.toUtf8();
  return Utf8ToSjis(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

std::string sjis(std::string_view utf8) { return Utf8ToSjis(utf8); }

QString from_native(std::string_view path) {
  return QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size()));
}

std::string to_native(const QString& path) { return path.toUtf8().toStdString(); }

}  // namespace quill::platform
