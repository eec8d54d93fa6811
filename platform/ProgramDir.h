#pragma once
// The directory of the running program file (what the mailer calls AppDir).

#include <string>
#include <string_view>

namespace quill::platform {

/// Directory of the program file (/proc/self/exe): the full path less its last component
/// and the "/" before it; the root keeps its separator ("/"). Native (UTF-8) path.
std::string ProgramDirectory();

/// The directory part of an absolute path by the same rule: "/a/b/x" gives "/a/b",
/// "/x" gives "/".
std::string DirectoryOf(std::string_view path);

/// Makes ProgramDirectory() answer `dir` from now on (tests give every case its own
/// program directory); an empty text returns to the real one.
void SetProgramDirectoryForTesting(std::string dir);

}  // namespace quill::platform
