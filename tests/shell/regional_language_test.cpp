// Which Windows carries the support for Indian languages itself, so that
// start-up skips the regional-language check. Programs with the
// compatibility manifest (packaging/korimo.manifest) are told 10.0 on
// Windows 10 and 11 and 6.3 on 8.1; without it, 6.2.

#include "shell/regional_language.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/sim/sim_shell.h"

namespace korimo {
namespace {

struct VersionCase {
  std::optional<platform::VersionInfo> version;
  bool hasSupport;
};

TEST(RegionalLanguageTest, WindowsThatCarryIndianSupport) {
  const VersionCase cases[] = {
      {platform::VersionInfo{2, 10, 0}, true},  // Windows 10 and 11, with the manifest
      {platform::VersionInfo{2, 6, 3}, true},   // Windows 8.1, with the manifest
      {platform::VersionInfo{2, 6, 2}, true},   // 8, or 8.1 and later without it
      {platform::VersionInfo{2, 6, 1}, true},   // 7
      {platform::VersionInfo{2, 6, 0}, true},   // Vista
      {platform::VersionInfo{2, 5, 1}, false},  // XP
      {platform::VersionInfo{2, 5, 0}, false},  // 2000
      {platform::VersionInfo{1, 4, 90}, false}, {std::nullopt, false},  // GetVersionExW failed
  };
  platform::sim::SimShell shell;
  WindowKeymapList windows(1);
  Catalogue catalogue;
  RegionalLanguage language(shell, windows, catalogue);
  for (const VersionCase& c : cases) {
    shell.versionInfo = c.version;
    EXPECT_EQ(language.windowsHasIndianSupport(), c.hasSupport)
        << (c.version
                ? std::to_string(c.version->platformId) + " " + std::to_string(c.version->major) +
                      "." + std::to_string(c.version->minor)
                : "no version");
  }
}

}  // namespace
}  // namespace korimo
