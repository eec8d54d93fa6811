#include "settings/AccountFile.h"

namespace quill {

std::string AccountFilePath(std::string_view appDir) { return std::string(appDir) + "/quill2.smt"; }

}  // namespace quill
