#include <gtest/gtest.h>

#include "platform/ProgramDir.h"

namespace quill::platform {
namespace {

TEST(ProgramDirTest, DirectoryKeepsOnlyTheRootSeparator) {
  EXPECT_EQ(DirectoryOf("/usr/local/bin/Quillpost2"), "/usr/local/bin");
  EXPECT_EQ(DirectoryOf("/Quillpost2"), "/");
  EXPECT_EQ(DirectoryOf("/a/"), "/a");
}

TEST(ProgramDirTest, RealDirectoryHoldsThisTestProgram) {
  const std::string dir = ProgramDirectory();
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(dir.front(), '/');
  EXPECT_TRUE(dir == "/" || dir.back() != '/');
  SetProgramDirectoryForTesting("/tmp/x");
  EXPECT_EQ(ProgramDirectory(), "/tmp/x");
  SetProgramDirectoryForTesting("");
  EXPECT_EQ(ProgramDirectory(), dir);
}

}  // namespace
}  // namespace quill::platform
