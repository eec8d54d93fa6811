#include "platform/ui/SplashForm.h"

#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>
#include <QScreen>

#include "platform/Error.h"
#include "platform/ui/JpegImage.h"

// The resources live in a static library: nothing else would pull their registration in.
static void RegisterResources() { Q_INIT_RESOURCE(resources); }

namespace quill::platform {

QImage SplashPicture() {
  static const bool registered = (RegisterResources(), true);
  (void)registered;
  QFile file(QStringLiteral(":/splash.jpg"));
  if (!file.open(QIODevice::ReadOnly)) throw Error("The splash picture is missing.");
  return DecodeJpeg(file.readAll());
}

TSplashForm::TSplashForm(QWidget* parent)
    : TDialogForm(parent, Qt::Dialog | Qt::FramelessWindowHint), Timer1(new QTimer(this)) {
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(3000);
  Timer1->setSingleShot(true);
  // A coarse timer may fire up to 5 % early; the splash stands for the full three seconds.
  Timer1->setTimerType(Qt::PreciseTimer);
  connect(Timer1, &QTimer::timeout, this, Handler(this, &TSplashForm::Timer1Timer));
}

void TSplashForm::SetUpSplash(QLabel* image, QSize client,
                              std::initializer_list<SplashLabel> labels) {
  setFixedSize(client);
  setFont(FormFont(12));
  image->setGeometry(0, 0, client.width(), client.height());
  image->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  image->setScaledContents(false);
  // A missing or broken picture leaves the labels on the plain window rather than no splash.
  RunHandler(this, [image] { image->setPixmap(QPixmap::fromImage(SplashPicture())); });
  for (const SplashLabel& style : labels) {
    QFont font = FormFont(style.pixelHeight);
    font.setBold(style.bold);
    font.setItalic(style.italic);
    style.label->setFont(font);
    QPalette palette = style.label->palette();
    palette.setColor(QPalette::WindowText, style.colour);
    style.label->setPalette(palette);
    style.label->setAutoFillBackground(false);
    style.label->adjustSize();
    style.label->raise();
  }
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->geometry().center() - rect().center());
  RunHandler(this, [this] { FormCreate(); });
}

void TSplashForm::FormCreate() { Timer1->stop(); }

void TSplashForm::FormShow() { Timer1->start(); }

void TSplashForm::Timer1Timer() {
  Timer1->stop();
  closingByTimer_ = true;
  close();
  closingByTimer_ = false;
}

void TSplashForm::closeEvent(QCloseEvent* event) {
  if (!closingByTimer_) {
    event->ignore();
    return;
  }
  TDialogForm::closeEvent(event);
}

}  // namespace quill::platform
