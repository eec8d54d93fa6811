#pragma once
// The framework's own texts (file dialogs, message box buttons, edit menus) in Japanese,
// whatever the user's locale: both programs are Japanese throughout.

namespace quill::platform {

/// Installs Qt's Japanese translation of its own texts into the running application, once,
/// and makes Japanese the default locale of the widgets (dates and sizes in the file
/// dialogs); a later call does nothing more. Returns whether the translation is installed:
/// false when its file is missing (the framework's texts then stay in English).
bool InstallJapaneseQtTexts();

}  // namespace quill::platform
