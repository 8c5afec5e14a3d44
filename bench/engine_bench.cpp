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
#include "bench/typist.h"
#include "engine/engine.h"
#include "xml/xml_document.h"

namespace {

using namespace korimo;
using namespace korimo::bench;

using bench::Typist;

void composeWords(benchmark::State& state, const std::filesystem::path& keymap) {
  Typist typist;
  Engine& engine = typist.engine;
  if (!engine.keymaps.load(1, keymap)) {
    state.SkipWithError("keymap failed to load");
    return;
  }
  engine.keymap.activate(1);
  const std::string words = wordStream();
  std::size_t next = 0;
  for (auto _ : state) {
    char key = words[next];
    next = next + 1 == words.size() ? 0 : next + 1;
    typist.compose(static_cast<std::uint16_t>(key), static_cast<char16_t>(key), true);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["entries"] = engine.keymap.entryCount;
}

void BM_ComposeKey_SmallKeymap(benchmark::State& state) { composeWords(state, smallKeymap()); }
void BM_ComposeKey_LargeKeymap(benchmark::State& state) { composeWords(state, largeKeymap()); }

void BM_LoadLargeKeymap(benchmark::State& state) {
  for (auto _ : state) {
    LoadedKeymaps keymaps;
    benchmark::DoNotOptimize(keymaps.load(1, largeKeymap()));
  }
}

// One key at the end of a sequence of state.range(0) keys that is still only
// the beginning of the keymap's longest entry: a keymap of "a" and "a" times
// (length + 1), built in memory so that lengths beyond what a keymap file may
// declare can be measured too. Each measured key is typed after length - 1
// keys of the same sequence, with the clock stopped.
void BM_ComposeKey_EndOfLongSequence(benchmark::State& state) {
  const auto length = static_cast<std::size_t>(state.range(0));
  Typist typist;
  Engine& engine = typist.engine;
  KeymapFile file;
  file.entries = {{u"a", u"\u0905", u"\u0905"},
                  {std::u16string(length + 1, u'a'), u"\u0906", u"\u0906"}};
  engine.keymaps.adopt(1, file);
  engine.keymap.activate(1);
  for (auto _ : state) {
    state.PauseTiming();
    engine.composition.reset();
    for (std::size_t i = 1; i < length; ++i) typist.compose('A', u'a', false);
    state.ResumeTiming();
    typist.compose('A', u'a', false);
  }
}

BENCHMARK(BM_ComposeKey_SmallKeymap);
BENCHMARK(BM_ComposeKey_LargeKeymap);
BENCHMARK(BM_LoadLargeKeymap)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ComposeKey_EndOfLongSequence)->Arg(8)->Arg(64)->Arg(256)->Arg(1024);

}  // namespace
