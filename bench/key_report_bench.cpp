// Cost of one typed key through the whole program core: the simulated hook
// library's reports of the press and the release, their decoding, the key
// handler, the composition and the injected records, on a keymap of about
// 3,000 entries switched on with Alt+1.

#include <benchmark/benchmark.h>

#include "bench/bench_keymaps.h"
#include "bench/report_session.h"
#include "platform/sim/us_keyboard.h"

namespace {

using namespace korimo;

void BM_KeyReport_LargeKeymap(benchmark::State& state) {
  bench::ReportSession session(bench::largeKeymap());
  platform::sim::SimHookPlatform& hooks = session.hooks;
  if (!session.core->keymapOn) {
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
