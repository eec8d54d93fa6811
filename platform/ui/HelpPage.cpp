#include "platform/ui/HelpPage.h"

#include <QUrl>
#include <filesystem>

#include "platform/ProgramDir.h"
#include "platform/ui/SjisText.h"
#include "platform/ui/UiServices.h"

namespace quill::platform {

QString HelpPageUrl() {
  const std::string path = ProgramDirectory() + "/help/index.html";
  return QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded);
}

void OpenHelpFileOrPage(QWidget* owner, const std::string& helpFile) {
  std::error_code error;
  if (std::filesystem::is_regular_file(helpFile, error))
    Ui().ShellOpen(owner, from_native(helpFile));
  else
    Ui().ShellOpen(owner, HelpPageUrl());
}

}  // namespace quill::platform
