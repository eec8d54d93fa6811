#include "platform/ui/JapaneseQtTexts.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace quill::platform {

bool InstallJapaneseQtTexts() {
  static QPointer<QTranslator> installed;  // gone with the application that owned it
  if (installed) return true;
  // Owned by the application, so that it lives exactly as long as the texts are looked up.
  auto* translator = new QTranslator(QCoreApplication::instance());
  // qtbase holds every text of the widgets we use; the catalogue of the other Qt modules
  // would only add files to look through.
  if (!translator->load(QLocale(QLocale::Japanese, QLocale::Japan), QStringLiteral("qtbase"),
                        QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
      !QCoreApplication::installTranslator(translator)) {
    qWarning("Qt's Japanese translation (qtbase_ja.qm) is missing; dialogs stay in English.");
    delete translator;
    return false;
  }
  installed = translator;
  // The dates, sizes and file types that the file dialogs show follow the default locale.
  QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
  return true;
}

}  // namespace quill::platform
