#pragma once
// Base fixture of form tests: scripted UI services, a temporary program directory and a
// temporary XDG_CONFIG_HOME, so that no test touches the user's real settings.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/ProgramDir.h"
#include "support/TempDir.h"
#include "support/ui/FormChecks.h"
#include "support/ui/ScriptedUi.h"

namespace quill::test {

class FormTest : public testing::Test {
 protected:
  FormTest() {
    std::filesystem::create_directories(home_.path() / "config");
    std::filesystem::create_directories(home_.path() / "program");
    setenv("XDG_CONFIG_HOME", (home_.path() / "config").c_str(), 1);
    setenv("HOME", home_.path().c_str(), 1);
    platform::SetProgramDirectoryForTesting((home_.path() / "program").string());
  }
  ~FormTest() override { platform::SetProgramDirectoryForTesting(""); }

  std::string programDir() const { return (home_.path() / "program").string(); }
  std::string configDir() const { return (home_.path() / "config").string(); }
  std::string homeFile(const std::string& name) const { return home_.file(name); }

  TempDir home_;
  ScriptedUi ui_;
};

}  // namespace quill::test
