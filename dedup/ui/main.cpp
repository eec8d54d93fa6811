// Vivove: removes repeated addresses from an address list.
#include "dedup/ui/Forms.h"
#include "platform/ui/Form.h"
#include "platform/ui/JapaneseQtTexts.h"

int main(int argc, char** argv) {
  quill::platform::TApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("Vivove"));
  quill::platform::InstallJapaneseQtTexts();
  return vivove::RunVivove();
}
