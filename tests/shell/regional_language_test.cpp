// The Windows version as the regional-language check classes it. Programs
// with the compatibility manifest (packaging/korimo.manifest) are told 10.0
// on Windows 10 and 11 and 6.3 on 8.1; without it, 6.2. All of them must be
// class 8, the class for which start-up skips the check.

#include "shell/regional_language.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/sim/sim_shell.h"

namespace korimo {
namespace {

struct VersionCase {
  std::optional<platform::VersionInfo> version;
  int expected;
};

TEST(RegionalLanguageTest, WindowsVersionClass) {
  const VersionCase cases[] = {
      {platform::VersionInfo{2, 10, 0, u""}, 8},  // Windows 10 and 11, with the manifest
      {platform::VersionInfo{2, 6, 3, u""}, 8},   // Windows 8.1, with the manifest
      {platform::VersionInfo{2, 6, 2, u""}, 8},   // 8, or 8.1 and later without it
      {platform::VersionInfo{2, 6, 1, u"Service Pack 1"}, 8},  // 7
      {platform::VersionInfo{2, 6, 0, u""}, 8},                // Vista
      {platform::VersionInfo{2, 5, 1, u""}, 7},
      {platform::VersionInfo{2, 5, 0, u""}, 6},
      {platform::VersionInfo{2, 4, 0, u""}, 4},
      {platform::VersionInfo{1, 4, 0, u""}, 1},
      {platform::VersionInfo{1, 4, 10, u""}, 2},
      {platform::VersionInfo{1, 4, 10, u" A"}, 3},
      {platform::VersionInfo{1, 4, 90, u""}, 5},
      {platform::VersionInfo{3, 10, 0, u""}, 0},
      {std::nullopt, 0},  // GetVersionExW failed
  };
  platform::sim::SimShell shell;
  WindowKeymapList windows(1);
  Catalogue catalogue;
  RegionalLanguage language(shell, windows, catalogue);
  for (const VersionCase& c : cases) {
    shell.versionInfo = c.version;
    EXPECT_EQ(language.windowsVersionClass(), c.expected)
        << (c.version
                ? std::to_string(c.version->platformId) + " " + std::to_string(c.version->major) +
                      "." + std::to_string(c.version->minor)
                : "no version");
  }
}

}  // namespace
}  // namespace korimo
