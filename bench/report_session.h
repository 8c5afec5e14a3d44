#pragma once
// The program core on a simulated desktop for the key report measurements:
// one keymap, on Alt+1 with Surround, switched on in a window of class Edit.

#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_hooks.h"
#include "platform/sim/sim_shell.h"
#include "shell/program_core.h"

namespace korimo::bench {

class ReportSession {
 public:
  explicit ReportSession(const std::filesystem::path& keymap) {
    hooks.desktop = &desktop;
    shell.appFolder = appFolderWith(keymap);
    shell.setRegistry(platform::Hive::CurrentUser, u"Keyboard Layout\\Preload", u"1",
                      {platform::RegistryValue::Type::String, u"00000409", 0});
    auto own = desktop.openWindow(u"TApplication");
    core = std::make_unique<ProgramCore>(ProgramCore::Platforms{hooks, hooks, shell}, own);
    core->start();
    desktop.openWindow(u"Edit");
    hooks.press(platform::kVkLMenu);
    hooks.type('1');
    hooks.release(platform::kVkLMenu);
  }

  platform::sim::SimDesktop desktop;
  platform::sim::SimHookPlatform hooks;
  platform::sim::SimShell shell;
  std::unique_ptr<ProgramCore> core;

 private:
  static std::filesystem::path appFolderWith(const std::filesystem::path& keymap) {
    auto folder = std::filesystem::temp_directory_path() / "korimo-bench-app";
    std::filesystem::create_directories(folder / "Data");
    std::filesystem::copy_file(keymap, folder / "Data" / "large.xml",
                               std::filesystem::copy_options::overwrite_existing);
    std::ofstream(folder / "config.xml", std::ios::binary)
        << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Config><Local><ToggleMode>1</ToggleMode>"
           "<TKey1>0</TKey1><TKey2>0</TKey2><TextServices>True</TextServices>"
           "<Surround>True</Surround></Local><Keymaps><Entry><Language>Hindi</Language>"
           "<Keyboard>Large</Keyboard><Encoding>Unicode</Encoding><Filename>large.xml</Filename>"
           "<TKey1>1</TKey1><TKey2>1</TKey2></Entry></Keymaps></Config>\n";
    return folder;
  }
};

}  // namespace korimo::bench
