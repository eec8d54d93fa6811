#pragma once
// Where the account file lives.

#include <string>
#include <string_view>

namespace quill {

/// The account file beside the program: `appDir` + "/quill2.smt" (appDir as
/// platform::ProgramDirectory() gives it).
std::string AccountFilePath(std::string_view appDir);

}  // namespace quill
