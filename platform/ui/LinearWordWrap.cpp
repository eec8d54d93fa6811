#include "platform/ui/LinearWordWrap.h"

#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextLayout>
#include <QtMath>
#include <optional>
#include <utility>

namespace quill::platform {
namespace {

// Runs of at most this many characters between two break points are left to Qt's word wrap:
// measuring such a run again at the start of every line it spans costs little. Past it, a line
// that starts in the run is laid out character by character when the rest of the run is wider
// than the line. The bound decides only the speed, never where a line breaks.
constexpr int kLongRun = 256;

constexpr QRectF kEverything(0., 0., 1000000000., 1000000000.);

// The positions where Qt's word wrap may end a word: before a blank of any kind and at every
// line-break opportunity of the Unicode line-breaking rules, which Qt's layout takes from the
// same rules; the end of the text is one too. Asked with positions that never go down, it finds
// each next break point once, so a whole paragraph costs time linear in its length.
class BreakPoints {
 public:
  explicit BreakPoints(const QString& text)
      : text_(text), finder_(QTextBoundaryFinder::Line, text) {}

  /// The first break point after `position`.
  int After(int position) {
    if (position < next_) return next_;
    next_ = position + 1;
    while (next_ < text_.size() && !IsBreakPoint(next_)) ++next_;
    next_ = qMin(next_, int(text_.size()));
    return next_;
  }

  /// Whether some run between two break points is longer than kLongRun. Leaves the positions
  /// free to start again from the beginning.
  bool HasLongRun() {
    bool found = false;
    for (int start = 0; start < text_.size() && !found;) {
      const int end = After(start);
      found = end - start > kLongRun;
      start = end;
    }
    next_ = 0;
    return found;
  }

 private:
  bool IsBreakPoint(int position) {
    if (text_.at(position).isSpace()) return true;
    finder_.setPosition(position);
    return finder_.isAtBoundary();
  }

  QString text_;
  QTextBoundaryFinder finder_;
  int next_ = 0;
};

// Lays `line` out `width` wide as Qt's word-boundary-or-anywhere wrap does. Qt first takes the
// word at the line's start whole; where that word is wider than the line, it lays the line out
// character by character instead. For a long word, that outcome is tried first here: when the
// characters that fit reach no break point, the word did not fit, and the line is what Qt gives.
void LayOutLine(QTextLayout& layout, QTextLine& line, qreal width, BreakPoints& breaks,
                QTextOption option) {
  const int start = line.textStart();
  const int wordEnd = breaks.After(start);
  if (wordEnd - start > kLongRun) {
    option.setWrapMode(QTextOption::WrapAnywhere);
    layout.setTextOption(option);
    line.setLineWidth(width);
    if (line.textStart() + line.textLength() < wordEnd) return;
  }
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  line.setLineWidth(width);
}

// The plain-text layout of Qt, which lays out every paragraph that holds a long run with
// LayOutLine. Qt lays such a paragraph out first where its words may break anywhere, which
// costs linear time and keeps the layout's own account of widths and line counts; the lines
// are then laid out again as word wrap gives them, and Qt is told when their number changed.
class LinearWrapLayout final : public QPlainTextDocumentLayout {
 public:
  explicit LinearWrapLayout(QTextDocument* document) : QPlainTextDocumentLayout(document) {}

  QRectF blockBoundingRect(const QTextBlock& block) const override {
    if (block.isValid() && block != changing_ && block.layout()->lineCount() == 0) {
      if (auto breaks = OwnBreakPoints(block)) {
        LayOutWithWrap(QTextOption::WrapAnywhere, [&] { Base::blockBoundingRect(block); });
        Rewrap(block, *breaks);
      } else {
        LayOutWithWrap(RestingOption().wrapMode(), [&] { Base::blockBoundingRect(block); });
      }
    }
    return Base::blockBoundingRect(block);
  }

 protected:
  void documentChanged(int from, int charsRemoved, int charsAdded) override {
    if (settingOption_) return;  // only the wrap mode changed, and only for a moment
    // Qt lays a paragraph out at once when a change stays within it.
    QTextDocument* doc = document();
    const QTextBlock first = doc->findBlock(from);
    const QTextBlock last = doc->findBlock(qMax(0, from + charsRemoved + charsAdded - 1));
    auto breaks = first == last ? OwnBreakPoints(first) : std::nullopt;
    if (!breaks) {
      Base::documentChanged(from, charsRemoved, charsAdded);
      return;
    }
    changing_ = first;
    LayOutWithWrap(QTextOption::WrapAnywhere,
                   [&] { Base::documentChanged(from, charsRemoved, charsAdded); });
    changing_ = QTextBlock();
    if (first.layout()->lineCount() == 0) return;  // left for later, as Qt does
    const qreal heightBefore = first.layout()->boundingRect().height();
    Rewrap(first, *breaks);
    if (first.layout()->boundingRect().height() != heightBefore)
      emit update(kEverything.translated(0., -doc->documentMargin()));
  }

 private:
  using Base = QPlainTextDocumentLayout;

  // The document's own text option, also while LayOutWithWrap has changed its wrap mode.
  QTextOption RestingOption() const {
    return switchDepth_ > 0 ? resting_ : document()->defaultTextOption();
  }

  // The break points of a paragraph that LayOutLine lays out, or nothing for one that Qt's
  // own word wrap lays out in linear time (or that shows text being composed, which Qt's
  // layout holds and the paragraph's text does not).
  std::optional<BreakPoints> OwnBreakPoints(const QTextBlock& block) const {
    if (!block.isValid() ||
        RestingOption().wrapMode() != QTextOption::WrapAtWordBoundaryOrAnywhere ||
        block.length() - 1 <= kLongRun || !block.layout()->preeditAreaText().isEmpty())
      return std::nullopt;
    BreakPoints breaks(block.text());
    if (!breaks.HasLongRun()) return std::nullopt;
    return breaks;
  }

  // Runs `layOut` while the document's wrap mode is `wrap`: Qt takes the mode from the
  // document whenever it lays a paragraph out.
  template <class LayOut>
  void LayOutWithWrap(QTextOption::WrapMode wrap, LayOut layOut) const {
    const QTextOption before = document()->defaultTextOption();
    if (before.wrapMode() == wrap) {
      layOut();
      return;
    }
    if (switchDepth_++ == 0) resting_ = before;
    QTextOption during = before;
    during.setWrapMode(wrap);
    SetOption(during);
    layOut();
    SetOption(before);
    --switchDepth_;
  }

  void SetOption(const QTextOption& option) const {
    settingOption_ = true;
    document()->setDefaultTextOption(option);
    settingOption_ = false;
  }

  // Lays out again a paragraph that Qt laid out, with the width and the line positions it used.
  void Rewrap(const QTextBlock& block, BreakPoints& breaks) const {
    QTextLayout& layout = *block.layout();
    const int linesBefore = layout.lineCount();
    const qreal width = layout.lineAt(0).width();
    const qreal margin = document()->documentMargin();
    const QTextOption option = RestingOption();
    qreal top = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLeadingIncluded(true);
      LayOutLine(layout, line, width, breaks, option);
      line.setPosition(QPointF(margin, top));
      top += line.height();
      if (line.leading() < 0) top += qCeil(line.leading());
    }
    layout.endLayout();
    layout.setTextOption(option);
    QTextBlock(block).setLineCount(block.isVisible() ? layout.lineCount() : 0);
    if (layout.lineCount() != linesBefore) TellSizeChanged();
  }

  // The document's height changed after Qt had reported it. The report goes out when window
  // messages are next handled: a view that takes it lays out more paragraphs, so telling it
  // while it may be asking for a paragraph's size would nest once for every such paragraph.
  void TellSizeChanged() const {
    if (std::exchange(sizeChangePending_, true)) return;
    auto* self = const_cast<LinearWrapLayout*>(this);
    QMetaObject::invokeMethod(
        self,
        [self] {
          self->sizeChangePending_ = false;
          emit self->documentSizeChanged(self->documentSize());
        },
        Qt::QueuedConnection);
  }

  mutable bool settingOption_ = false;
  mutable int switchDepth_ = 0;
  mutable QTextOption resting_;  // the document's own text option while switchDepth_ > 0
  mutable QTextBlock changing_;  // the paragraph that Qt lays out after a change within it
  mutable bool sizeChangePending_ = false;
};

}  // namespace

void UseLinearWordWrap(QPlainTextEdit& memo) {
  auto* document = new QTextDocument(&memo);
  auto* layout = new LinearWrapLayout(document);
  layout->setPaintDevice(memo.viewport());
  document->setDocumentLayout(layout);
  document->setDefaultFont(memo.font());
  // A memo lays its text out as wide as its viewport from its first resize on, and without
  // bound before. Setting a document takes the viewport's width at once, so a memo that has
  // not had its first resize gets its document while the viewport has no width, and waits.
  QWidget& viewport = *memo.viewport();
  const QSize viewportSize = viewport.size();
  const bool waiting = memo.testAttribute(Qt::WA_PendingResizeEvent);
  if (waiting) viewport.resize(0, viewportSize.height());
  memo.setDocument(document);
  if (waiting) viewport.resize(viewportSize);
  memo.setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
}

}  // namespace quill::platform
