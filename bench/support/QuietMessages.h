#pragma once
// The offscreen platform warns about what it cannot do for a window; only real trouble is
// worth a line between a benchmark's results.

#include <QtGlobal>
#include <cstdio>

namespace quill::bench {

inline void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& text) {
  if (type == QtCriticalMsg || type == QtFatalMsg)
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

}  // namespace quill::bench
