#include "dedup/ui/MainUnit.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <new>

#include "dedup/ui/Forms.h"
#include "dedup/ui/ParamUnit.h"
#include "dedup/ui/infoUnit.h"
#include "platform/ProgramDir.h"
#include "platform/ui/Form.h"
#include "platform/ui/HelpPage.h"
#include "platform/ui/LinearWordWrap.h"
#include "platform/ui/MemoLines.h"
#include "platform/ui/SjisText.h"

namespace vivove {

std::unique_ptr<TStringList> SourceList;
std::unique_ptr<TPositionList> AddressList;
TDeleteFlags DeleteFlags;
std::int32_t FlagCount = 0;
std::string AddressFileName;

using quill::platform::Handler;
using quill::platform::Ui;

namespace {

// The designed place and outer size of the window.
constexpr QPoint kDesignedPlace(269, 308);
constexpr QSize kOuterSize(696, 480);

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
  setupUi(this);
  setFont(quill::platform::FormFont(12));
  quill::platform::UseLinearWordWrap(*Memo1);

  // One simple panel; a widget of its own, so that menu hints never wipe the text.
  statusText_ = new QLabel(StatusBar1);
  statusText_->setObjectName(QStringLiteral("SimpleText"));
  StatusBar1->addWidget(statusText_, 1);

  OpenDialog1.Filter = QStringLiteral("テキスト形式|*.txt;|ＣＳＶ形式|*.csv;|全てのファイル|*.*;");

  connect(Open1, &QAction::triggered, this, Handler(this, &TMainForm::Open1Click));
  connect(N1, &QAction::triggered, this, Handler(this, &TMainForm::N1Click));
  connect(Save1, &QAction::triggered, this, Handler(this, &TMainForm::Save1Click));
  connect(Exit1, &QAction::triggered, this, Handler(this, &TMainForm::Exit1Click));
  connect(N3, &QAction::triggered, this, Handler(this, &TMainForm::N3Click));
  connect(N4, &QAction::triggered, this, Handler(this, &TMainForm::N4Click));

  resize(kOuterSize);
  move(kDesignedPlace);

  quill::platform::RunHandler(this, [this] { FormCreate(); });
}

TMainForm::~TMainForm() = default;

bool TMainForm::event(QEvent* event) {
  const bool handled = QMainWindow::event(event);
  // The designed size is the outer one, frame included. The window manager tells the frame
  // only once the window is on the screen, so the size is made good when the frame is known.
  if (!outerSized_ && isVisible()) {
    const QRect outer = frameGeometry(), inner = geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    if (!frame.isNull()) {
      outerSized_ = true;
      resize(kOuterSize.shrunkBy(frame));
    }
  }
  return handled;
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (quill::platform::RunHandler(this, [this] { FormClose(); }))
    event->accept();
  else
    event->ignore();
}

void TMainForm::FormCreate() {
  SetStatusText(QString());
  AddressList = std::make_unique<TPositionList>();
  SourceList = std::make_unique<TStringList>();
  N1->setEnabled(false);
  Save1->setEnabled(false);
}

void TMainForm::FormClose() {
  AddressList.reset();
  SourceList.reset();
}

void TMainForm::Open1Click() {
  if (!OpenDialog1.Execute(this)) return;
  AddressFileName = quill::platform::to_native(OpenDialog1.FileName);
  AddressList->clear();
  SourceList->clear();
  try {
    LoadAddressFile(AddressFileName, *AddressList, *SourceList);
  } catch (const std::exception&) {
    // The lists keep what was read; the partial list must not reach the file by "保存".
    openFailed_ = true;
    Save1->setEnabled(false);
    SetStatusText(QStringLiteral("＊＊＊ アドレスファイルを開けません。"));
    return;
  }
  openFailed_ = false;
  SetStatusText(QStringLiteral("アドレスファイルを開きました。"));
  N1->setEnabled(true);
}

void TMainForm::N1Click() {
  FlagCount = static_cast<std::int32_t>(SourceList->size());
  try {
    DeleteFlags = AllocateDeleteFlags(FlagCount);
  } catch (const std::bad_alloc&) {
    SetStatusText(QStringLiteral("メモリが不足しています。"));
    return;
  }
  ParamForm->OutOfMemory = false;
  Ui().ShowModal(*ParamForm);
  if (ParamForm->OutOfMemory) {
    // Nothing was marked: ending the run as if it had found no copies would report a
    // success that did not happen.
    TDeleteFlags().swap(DeleteFlags);
    SetStatusText(QStringLiteral("メモリが不足しています。"));
    return;
  }
  SetStatusText(QStringLiteral("編集中です。"));
  statusText_->repaint();  // a sign of life while a long list is rebuilt
  AppendDeletionLog(RebuildAddressList(*SourceList, DeleteFlags, *AddressList));
  TDeleteFlags().swap(DeleteFlags);
  SetStatusText(QStringLiteral("削除完了しました。"));
  if (!openFailed_) Save1->setEnabled(true);
}

void TMainForm::AppendDeletionLog(const std::string& log) {
  if (log.empty()) return;
  QString lines = quill::platform::from_sjis(log);
  lines.chop(1);  // the line break after the last line
  quill::platform::AppendMemoLines(*Memo1, lines);
  // As a memo does when lines are added to it, the caret goes after the new lines and they
  // come into view: a run's log would otherwise stay unseen below an earlier run's.
  Memo1->moveCursor(QTextCursor::End);
  Memo1->ensureCursorVisible();
}

void TMainForm::Save1Click() {
  SaveDialog1.FileName = quill::platform::from_native(AddressFileName);
  if (!SaveDialog1.Execute(this)) return;
  SaveAddressFile(quill::platform::to_native(SaveDialog1.FileName), *SourceList, *AddressList);
  SetStatusText(QStringLiteral("アドレスファイルを保存しました。"));
}

void TMainForm::Exit1Click() { close(); }

void TMainForm::N3Click() {
  quill::platform::OpenHelpFileOrPage(this, quill::platform::ProgramDirectory() + "/Utility.chm");
}

void TMainForm::N4Click() { Ui().ShowModal(*infoForm); }

}  // namespace vivove
