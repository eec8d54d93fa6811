// Quillpost2: the bulk mailer.
#include "mailer/ui/Forms.h"
#include "platform/ui/Form.h"
#include "platform/ui/JapaneseQtTexts.h"

int main(int argc, char** argv) {
  quill::platform::TApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("Quillpost2"));
  quill::platform::InstallJapaneseQtTexts();
  return quill::RunQuillpost2();
}
