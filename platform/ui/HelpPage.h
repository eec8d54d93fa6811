#pragma once
// The programs' web page: a help page of our own, kept beside the program files.

#include <QString>
#include <string>

class QWidget;

namespace quill::platform {

/// The file URL of the help page, help/index.html in the program's directory. Both programs
/// open it where they would open their web page; a missing page is opened all the same.
QString HelpPageUrl();

/// Asks the shell to open the help file at `helpFile` (native path) when a regular file is
/// there (a folder of that name counts as missing), else the help page; `owner` is the parent
/// window. Whatever the shell makes of it, nothing is reported.
void OpenHelpFileOrPage(QWidget* owner, const std::string& helpFile);

}  // namespace quill::platform
