#pragma once
// The programs' web page: a help page of our own, kept beside the program files.

#include <QString>

namespace quill::platform {

/// The file URL of the help page, help/index.html in the program's directory. Both programs
/// open it where they would open their web page; a missing page is opened all the same.
QString HelpPageUrl();

}  // namespace quill::platform
