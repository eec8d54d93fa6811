#include "platform/UserDirs.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace quill::platform {
namespace {
std::string WithoutTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}
}  // namespace

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home && *home) return WithoutTrailingSlashes(home);
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
      found->pw_dir && *found->pw_dir)
    return WithoutTrailingSlashes(found->pw_dir);
  return "/";
}

std::string ConfigDirectory() {
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/')
    return WithoutTrailingSlashes(xdg);
  const std::string home = HomeDirectory();
  return (home == "/" ? std::string() : home) + "/.config";
}

}  // namespace quill::platform
