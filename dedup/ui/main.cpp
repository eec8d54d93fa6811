// Vivove: removes repeated addresses from an address list.
#include "dedup/ui/Forms.h"
#include "platform/ui/Form.h"

int main(int argc, char** argv) {
  quill::platform::TApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("Vivove"));
  return vivove::RunVivove();
}
