#pragma once
// Vivove's windows: one instance each, created at start-up in a fixed order.

#include "platform/ui/FormCreation.h"

namespace vivove {

class TMainForm;
class TParamForm;
class TgreetForm;
class TinfoForm;

extern TMainForm* MainForm;
extern TParamForm* ParamForm;
extern TgreetForm* greetForm;
extern TinfoForm* infoForm;

/// Creates the four windows, hidden, in this order: MainForm, ParamForm, greetForm, infoForm;
/// each create handler runs during its creation.
void CreateForms(const quill::platform::FormCreated& created = {});

/// Shows the splash modally; it then stays, hidden, until the program ends.
void ShowSplash();

/// Destroys every window (the end of the program, or of a test).
void DestroyForms();

/// The program: start-up, message loop, end. Returns the exit code.
int RunVivove();

}  // namespace vivove
