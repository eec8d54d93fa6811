#pragma once
// The windows of the mailer: one instance each, created at start-up in a fixed order.

#include <QString>
#include <functional>

namespace quill {

class TMainForm;
class TGreetForm;
class TSmtpForm;
class TAtachForm;
class TBreakForm;
class TDblChkPrgForm;
class TWaitForm;
class TStatusDisp;
class TStatusForm;

extern TMainForm* MainForm;
extern TGreetForm* GreetForm;
extern TSmtpForm* SmtpForm;
extern TAtachForm* AtachForm;
extern TBreakForm* BreakForm;
extern TDblChkPrgForm* DblChkPrgForm;
extern TWaitForm* WaitForm;
extern TStatusDisp* StatusDisp;
extern TStatusForm* StatusForm;

/// Creates the nine windows, hidden, in this order: MainForm, GreetForm, SmtpForm, AtachForm,
/// BreakForm, DblChkPrgForm, WaitForm, StatusDisp, StatusForm; each create handler runs
/// during its creation. `created` (when set) is called with each window's name in turn.
void CreateForms(const std::function<void(const QString&)>& created = {});

/// Shows the splash modally and releases it (it is destroyed by the message loop).
void ShowSplash();

/// Destroys every window (the end of the program, or of a test).
void DestroyForms();

/// The program: start-up, message loop, end. Returns the exit code.
int RunQuillpost2();

}  // namespace quill
