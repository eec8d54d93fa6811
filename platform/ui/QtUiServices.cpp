// The Qt implementation of the UI services.
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMessageBox>
#include <QScreen>
#include <QTreeView>
#include <QUrl>

#include "platform/ui/UiServices.h"
#include "platform/ui/X11Keyboard.h"

namespace quill::platform {
namespace {

// Turns "テキスト|*.txt;|全てのファイル|*.*;" into Qt's "テキスト (*.txt);;全てのファイル (*)".
QString QtFilter(const QString& filter) {
  const QStringList parts = filter.split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& p : patterns)
      if (p == QStringLiteral("*.*")) p = QStringLiteral("*");
    entries << parts[i] + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return entries.join(QStringLiteral(";;"));
}

// Qt's file dialog opens small, with fixed column widths that cut the size, type and date of
// the detail view off. Here it opens larger (within the screen), the three short columns
// always as wide as their contents and the name taking the room that is left.
void ShowColumnsInFull(QFileDialog& box) {
  QSize size = box.sizeHint().expandedTo(QSize(800, 500));
  if (const QScreen* screen = box.screen())
    size = size.boundedTo(screen->availableGeometry().size());
  box.resize(size);
  auto* details = box.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (!details) return;
  QHeaderView* header = details->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(QHeaderView::ResizeToContents);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
}

// Watches key presses application-wide, so that the Escape key's state can be read at any
// moment, whichever window has the focus.
class EscapeWatcher : public QObject {
 public:
  bool held = false;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Escape && !key->isAutoRepeat())
        held = event->type() == QEvent::KeyPress;
    } else if (event->type() == QEvent::ApplicationDeactivate) {
      held = false;
    }
    return QObject::eventFilter(watched, event);
  }
};

class QtUiServices final : public UiServices {
 public:
  int ShowModal(QDialog& form) override { return form.exec(); }

  bool RunFileDialog(QWidget* owner, TFileDialog& dialog) override {
    QFileDialog box(owner);
    // Qt's own dialog rather than the desktop's: its texts follow the Japanese translation
    // that the programs load, where the desktop's would follow the user's locale.
    box.setOption(QFileDialog::DontUseNativeDialog);
    const bool open = dialog.kind == TFileDialog::Kind::Open;
    box.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    box.setFileMode(QFileDialog::AnyFile);
    box.setOption(QFileDialog::DontConfirmOverwrite);
    box.setNameFilter(QtFilter(dialog.Filter));
    box.setDefaultSuffix(dialog.DefaultExt);
    if (!dialog.FileName.isEmpty()) box.selectFile(dialog.FileName);
    ShowColumnsInFull(box);
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return false;
    dialog.FileName = QFileInfo(box.selectedFiles().first()).absoluteFilePath();
    return true;
  }

  MessageAnswer AskYesNo(QWidget* owner, const QString& text) override {
    const auto answer = QMessageBox::question(owner, QApplication::applicationName(), text,
                                              QMessageBox::Yes | QMessageBox::No);
    return answer == QMessageBox::Yes  ? MessageAnswer::Yes
           : answer == QMessageBox::No ? MessageAnswer::No
                                       : MessageAnswer::Other;
  }

  void ShowError(QWidget* owner, const QString& text) override {
    QMessageBox::critical(owner, QApplication::applicationName(), text);
  }

  void ProcessMessages() override { QCoreApplication::processEvents(); }

  // On X11 the server tells the key's state at this moment, whichever window has the focus;
  // elsewhere the application's own record of presses and releases has to do.
  bool EscapeHeld() override {
    if (const std::optional<bool> down = X11EscapeDown()) return *down;
    return Watcher().held;
  }

  void ShellOpen(QWidget*, const QString& target) override {
    const QUrl url =
        target.contains(QStringLiteral("://")) ? QUrl(target) : QUrl::fromLocalFile(target);
    QDesktopServices::openUrl(url);
  }

  // Installed at first use; created before the first modal display by Ui().
  static EscapeWatcher& Watcher() {
    static EscapeWatcher* watcher = [] {
      auto* w = new EscapeWatcher;
      if (qApp) qApp->installEventFilter(w);
      return w;
    }();
    return *watcher;
  }
};

UiServices*& Installed() {
  static UiServices* services = nullptr;
  return services;
}

}  // namespace

bool TFileDialog::Execute(QWidget* owner) { return Ui().RunFileDialog(owner, *this); }

UiServices& Ui() {
  static QtUiServices qtServices;
  if (Installed()) return *Installed();
  QtUiServices::Watcher();
  return qtServices;
}

void SetUi(UiServices* services) { Installed() = services; }

}  // namespace quill::platform
