// Cost of composing one key on keymaps of about 100 and about 3,000 entries,
// and the load time of the large keymap file.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_keymaps.h"
#include "engine/engine.h"

namespace {

using namespace korimo;
using namespace korimo::bench;

// A desktop that takes every record and does nothing with it.
class NullDesktop : public platform::Desktop {
 public:
  unsigned sendInput(const platform::KeyboardInput&) override { return 1; }
  std::u16string className(platform::WindowHandle) override { return u"Edit"; }
  platform::WindowHandle foregroundWindow() override { return 1; }
  bool windowExists(platform::WindowHandle) override { return true; }
  bool acceptsInjectedInput(platform::WindowHandle) override { return true; }
};

void composeWords(benchmark::State& state, const std::filesystem::path& keymap) {
  NullDesktop desktop;
  Engine engine(desktop);
  if (!engine.tables.integritycheck(keymap)) {
    state.SkipWithError("keymap failed to load");
    return;
  }
  engine.keymap.activate(1);
  const std::string words = wordStream();
  std::size_t next = 0;
  for (auto _ : state) {
    char key = words[next];
    next = next + 1 == words.size() ? 0 : next + 1;
    engine.composeKey(static_cast<std::uint16_t>(key), static_cast<char16_t>(key), true);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["entries"] = engine.keymap.entryCount;
}

void BM_ComposeKey_SmallKeymap(benchmark::State& state) { composeWords(state, smallKeymap()); }
void BM_ComposeKey_LargeKeymap(benchmark::State& state) { composeWords(state, largeKeymap()); }

void BM_LoadLargeKeymap(benchmark::State& state) {
  for (auto _ : state) {
    KeymapTables tables;
    benchmark::DoNotOptimize(tables.integritycheck(largeKeymap()));
  }
}

BENCHMARK(BM_ComposeKey_SmallKeymap);
BENCHMARK(BM_ComposeKey_LargeKeymap);
BENCHMARK(BM_LoadLargeKeymap)->Unit(benchmark::kMillisecond);

}  // namespace
