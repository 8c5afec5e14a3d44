// Cost of one typed key through the whole program core: the simulated hook
// library's reports of the press and the release, their decoding, the key
// handler, the composition and the injected records, on a keymap of about
// 3,000 entries switched on with Alt+1.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "bench/bench_keymaps.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_hooks.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/us_keyboard.h"
#include "shell/main_form.h"

namespace {

using namespace korimo;

std::filesystem::path appFolder() {
  auto folder = std::filesystem::temp_directory_path() / "korimo-bench-app";
  std::filesystem::create_directories(folder / "Data");
  std::filesystem::copy_file(bench::largeKeymap(), folder / "Data" / "large.xml",
                             std::filesystem::copy_options::overwrite_existing);
  std::ofstream(folder / "config.xml", std::ios::binary)
      << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Config><Local><ToggleMode>1</ToggleMode>"
         "<TKey1>0</TKey1><TKey2>0</TKey2><TextServices>True</TextServices>"
         "<Surround>True</Surround></Local><Keymaps><Entry><Language>Hindi</Language>"
         "<Keyboard>Large</Keyboard><Encoding>Unicode</Encoding><Filename>large.xml</Filename>"
         "<TKey1>1</TKey1><TKey2>1</TKey2></Entry></Keymaps></Config>\n";
  return folder;
}

void BM_KeyReport_LargeKeymap(benchmark::State& state) {
  platform::sim::SimDesktop desktop;
  platform::sim::SimHookPlatform hooks;
  platform::sim::SimShell shell;
  hooks.desktop = &desktop;
  shell.appFolder = appFolder();
  shell.setRegistry(platform::Hive::CurrentUser, u"Keyboard Layout\\Preload", u"1",
                    {platform::RegistryValue::Type::String, u"00000409", 0});
  auto own = desktop.openWindow(u"TApplication");
  TForm1 form({hooks, hooks, shell}, own);
  form.FormCreate();
  desktop.openWindow(u"Edit");
  hooks.press(platform::kVkLMenu);
  hooks.type('1');
  hooks.release(platform::kVkLMenu);
  if (!form.keymapOn) {
    state.SkipWithError("the keymap did not switch on");
    return;
  }

  const std::string words = bench::wordStream();
  std::size_t next = 0;
  for (auto _ : state) {
    const char16_t key = static_cast<char16_t>(words[next]);
    next = next + 1 == words.size() ? 0 : next + 1;
    hooks.type(platform::sim::usKeystroke(key).vk);
    if ((next & 0xFFF) == 0) {  // keep the simulation's records small
      hooks.deliveredKeys.clear();
      hooks.reportAnswers.clear();
    }
  }
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_KeyReport_LargeKeymap);

}  // namespace
