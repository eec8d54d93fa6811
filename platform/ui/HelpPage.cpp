#include "platform/ui/HelpPage.h"

#include <sys/stat.h>

#include <QUrl>

#include "platform/ProgramDir.h"
#include "platform/ui/SjisText.h"
#include "platform/ui/UiServices.h"

namespace quill::platform {

QString HelpPageUrl() {
  const std::string path = ProgramDirectory() + "/help/index.html";
  return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded);
}

void OpenHelp(QWidget* owner, const std::string& fileName) {
  const std::string path = ProgramDirectory() + "/" + fileName;
  struct stat info {};
  const bool isFile = ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  Ui().ShellOpen(owner, isFile ? from_native(path) : HelpPageUrl());
}

}  // namespace quill::platform
