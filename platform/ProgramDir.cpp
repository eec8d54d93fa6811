#include "platform/ProgramDir.h"

#include <filesystem>

namespace quill::platform {
namespace {
std::string& Override() {
  static std::string dir;
  return dir;
}
}  // namespace

std::string DirectoryOf(std::string_view path) {
  const auto slash = path.rfind('/');
  if (slash == std::string_view::npos) return std::string();
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string ProgramDirectory() {
  if (!Override().empty()) return Override();
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return ".";
  return DirectoryOf(exe.string());
}

void SetProgramDirectoryForTesting(std::string dir) { Override() = std::move(dir); }

}  // namespace quill::platform
