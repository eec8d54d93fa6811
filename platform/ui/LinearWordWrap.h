#pragma once
// Word wrap for plain-text memos in time linear in the text.
//
// Qt lays a paragraph out at word boundaries, and where a word is wider than the line, it first
// measures the whole word from the line's start, finds that it does not fit and only then lays
// the line out character by character. Inside a long word that measuring starts again at every
// line, so a paragraph without break points costs time that grows with the square of its
// length: a line of one megabyte holds the window for half a minute. The memos here lay such
// lines out character by character at once, which is what Qt ends up doing for them, and give
// every other line to Qt as it is: the lines are the ones Qt's own word wrap gives.

class QPlainTextEdit;

namespace quill::platform {

/// Gives `memo`, which must still be empty, a document whose layout wraps lines at word
/// boundaries, and a word wider than the memo where the width ends, as the memo's
/// QTextOption::WrapAtWordBoundaryOrAnywhere mode does, in time linear in the text.
void UseLinearWordWrap(QPlainTextEdit& memo);

}  // namespace quill::platform
