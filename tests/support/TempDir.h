#pragma once
// A temporary directory that lives as long as the object.

#include <filesystem>
#include <string>
#include <string_view>

namespace quill::test {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  /// Full path of `name` inside the directory, as a native string.
  std::string file(std::string_view name) const;

 private:
  std::filesystem::path path_;
};

/// Whole file as bytes; throws std::runtime_error when it cannot be read.
std::string ReadFileBytes(const std::string& path);
/// Writes `bytes` as the whole file.
void WriteFileBytes(const std::string& path, std::string_view bytes);

}  // namespace quill::test
