#include "mailer/ui/RunLog.h"

#include <QPlainTextEdit>

#include "platform/FileIO.h"
#include "platform/ui/MemoLines.h"
#include "platform/ui/SjisText.h"

namespace quill {

void AppendLogLine(QPlainTextEdit& memo, const QString& line) {
  platform::AppendMemoLines(memo, line);
}

void WriteRunLogFile(const QPlainTextEdit& memo, const QString& path) {
  platform::ReplaceFileAtomically(platform::to_native(path), platform::to_sjis(memo.toPlainText()),
                                  platform::ReplacedFileMode::KeepOrUmaskDefault);
}

}  // namespace quill
