#include "platform/ui/HelpPage.h"

#include <QUrl>

#include "platform/ProgramDir.h"

namespace quill::platform {

QString HelpPageUrl() {
  const std::string path = ProgramDirectory() + "/help/index.html";
  return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded);
}

}  // namespace quill::platform
