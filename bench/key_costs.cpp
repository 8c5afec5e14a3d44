// korimo_costs: runs one piece of work a given number of times so that
// bench/callgrind-keys.sh can count its instructions under callgrind (the
// difference between a run of N and a run of 0 is the cost of N), and counts
// the heap allocations made while it runs (printed as "allocations N").
//
//   korimo_costs compose plain|surround ENTRIES N  N keys of the typing stream
//                                                  composed by the engine
//   korimo_costs report ENTRIES N                  N keys through the whole
//                                                  program core (hook report,
//                                                  decoding, handler, records)
//   korimo_costs load ENTRIES N                    N loads of a keymap file
//   korimo_costs startup APPDIR N                  N start-ups of the program
//                                                  core from APPDIR (not the
//                                                  user's first)
//   korimo_costs time KEYMAP plain|surround < KEYS the keys on standard input
//                                                  composed by the engine on
//                                                  any keymap file; prints
//                                                  "keys N cpu_us T"
//
// ENTRIES picks the bench keymap: 100, 3000 or 30000. Before the measured
// keys, kWarmUp keys of the same stream are typed, so that the count is that
// of the steady state. The stream is made the same whatever N is (N keys
// beyond its length go round it again), so that the difference between two
// runs holds the typing of N keys and not the making of the stream.

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <new>
#include <string>

#include "bench/bench_keymaps.h"
#include "bench/report_session.h"
#include "bench/typist.h"
#include "engine/engine.h"
#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_hooks.h"
#include "platform/sim/sim_shell.h"
#include "platform/sim/us_keyboard.h"
#include "shell/program_core.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<unsigned long> allocations{0};

}  // namespace

// The replacements pair malloc with free; GCC, seeing them inlined into a
// new-expression and its delete, takes free for a mismatch.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace korimo;

constexpr std::size_t kWarmUp = 2000;
constexpr std::size_t kStreamKeys = 200000;

// The keys to type: the warm-up and then N keys of the stream.
class KeyStream {
 public:
  explicit KeyStream(std::size_t n) : keys_(bench::typingStream(kWarmUp + kStreamKeys)), n_(n) {}
  std::size_t size() const { return kWarmUp + n_; }
  char operator[](std::size_t i) const {
    return i < keys_.size() ? keys_[i] : keys_[kWarmUp + (i - kWarmUp) % kStreamKeys];
  }

 private:
  std::string keys_;
  std::size_t n_;
};

using bench::Typist;

const std::filesystem::path& keymapOf(const std::string& entries) {
  if (entries == "100") return bench::smallKeymap();
  if (entries == "30000") return bench::hugeKeymap();
  return bench::largeKeymap();
}

void startCounting() {
  allocations = 0;
  counting = true;
}

void report(std::size_t n) {
  counting = false;
  std::printf("allocations %lu\nallocations-per-item %.3f\n", allocations.load(),
              n ? static_cast<double>(allocations.load()) / static_cast<double>(n) : 0.0);
}

// The engine as the key handlers drive it while a keymap is on: Backspace
// undoes with Surround, and otherwise reaches the application and ends the
// composition.
int compose(bool surround, const std::string& entries, std::size_t n) {
  Typist typist;
  Engine& engine = typist.engine;
  if (!engine.keymaps.load(1, keymapOf(entries))) return 1;
  engine.keymap.activate(1);
  engine.composition.reset();
  const KeyStream keys(n);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (i == kWarmUp) startCounting();
    const char key = keys[i];
    if (key == '\b' && !surround)
      engine.composition.reset();
    else
      typist.compose(key == '\b' ? platform::kVkBack : static_cast<std::uint16_t>(key),
                     static_cast<char16_t>(key), surround);
  }
  report(n);
  std::printf("entries %d\n", engine.keymap.entryCount);
  return 0;
}

// The KeyReport bench's path: each key pressed and released through the
// simulated hook library into the program core, with the keymap on
// Alt+1 and Surround.
int reportKeys(const std::string& entries, std::size_t n) {
  bench::ReportSession session(keymapOf(entries));
  platform::sim::SimHookPlatform& hooks = session.hooks;
  if (!session.core->keymapOn) return 1;
  const KeyStream keys(n);
  for (std::size_t i = 0; i < keys.size(); ++i) {
    if (i == kWarmUp) startCounting();
    hooks.type(platform::sim::usKeystroke(static_cast<char16_t>(keys[i])).vk);
    if ((i & 0xFFF) == 0) {  // keep the simulation's records small
      hooks.deliveredKeys.clear();
      hooks.reportAnswers.clear();
    }
  }
  report(n);
  return 0;
}

int load(const std::string& entries, std::size_t n) {
  const std::filesystem::path& path = keymapOf(entries);
  (void)std::filesystem::file_size(path);  // the file is written before counting
  startCounting();
  int loaded = 0;
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < n; ++i) {
    LoadedKeymaps keymaps;
    loaded += keymaps.load(1, path) ? 1 : 0;
  }
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  report(n);
  // A first load pays for the memory a fresh process has yet to touch.
  if (n) std::printf("milliseconds-per-item %.3f\n", took.count() / static_cast<double>(n));
  return loaded == static_cast<int>(n) ? 0 : 1;
}

int startup(const std::filesystem::path& appFolder, std::size_t n) {
  startCounting();
  const auto start = std::chrono::steady_clock::now();
  for (std::size_t i = 0; i < n; ++i) {
    platform::sim::SimDesktop desktop;
    platform::sim::SimHookPlatform hooks;
    platform::sim::SimShell shell;
    hooks.desktop = &desktop;
    shell.appFolder = appFolder;
    // A start after the user's first: the locale tool's values are there
    // (the first start writes them, reading every keymap file once more).
    platform::RegistryValue done;
    done.text = u"1";
    shell.setRegistry(platform::Hive::CurrentUser, kProductKey, u"Locales", done);
    auto own = desktop.openWindow(u"TApplication");
    ProgramCore core({hooks, hooks, shell}, own);
    core.start();
    if (i + 1 == n) std::printf("catalogued %d\n", core.catalogue.keymapCount);
  }
  const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
  report(n);
  if (n) std::printf("milliseconds-per-item %.3f\n", took.count() / static_cast<double>(n));
  return 0;
}

// The engine alone on any keymap and key stream, timed in processor time for
// the key loop only (reading the keys and loading the keymap excluded), so
// that its cost per key can be set beside other engines' on the same table.
// The keys are those `korimo-cli type` takes: printable ASCII, Enter (\r),
// Backspace (\b) and Escape (\x1b); line feeds are left out.
int timeKeys(const std::filesystem::path& keymapFile, bool surround) {
  std::string keys((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
  std::erase(keys, '\n');
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const auto c = static_cast<unsigned char>(keys[i]);
    if (!((c >= 32 && c <= 126) || c == '\r' || c == '\b' || c == 0x1B)) {
      std::fprintf(stderr, "korimo_costs time: character %zu (0x%02X) is not a key\n", i + 1, c);
      return 2;
    }
  }
  Typist typist;
  Engine& engine = typist.engine;
  std::string why;
  if (!engine.keymaps.load(1, keymapFile, &why)) {
    std::fprintf(stderr, "%s: error %s\n", keymapFile.string().c_str(), why.c_str());
    return 3;
  }
  engine.keymap.activate(1);
  engine.composition.reset();
  const std::clock_t start = std::clock();
  for (const char key : keys) {
    // As the key handlers treat them: Escape, and Backspace without Surround,
    // reach the application and end the syllable.
    if (key == 0x1B || (key == '\b' && !surround))
      engine.composition.reset();
    else
      typist.compose(platform::sim::usKeystroke(static_cast<char16_t>(key)).vk,
                     static_cast<char16_t>(key), surround);
  }
  const std::clock_t end = std::clock();
  std::printf("keys %zu cpu_us %.0f\n", keys.size(),
              1e6 * static_cast<double>(end - start) / CLOCKS_PER_SEC);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string what = argc > 1 ? argv[1] : "";
  auto count = [&](int i) { return static_cast<std::size_t>(std::strtoul(argv[i], nullptr, 10)); };
  if (what == "compose" && argc == 5)
    return compose(std::string(argv[2]) == "surround", argv[3], count(4));
  if (what == "report" && argc == 4) return reportKeys(argv[2], count(3));
  if (what == "load" && argc == 4) return load(argv[2], count(3));
  if (what == "startup" && argc == 4) return startup(argv[2], count(3));
  if (what == "time" && argc == 4) return timeKeys(argv[2], std::string(argv[3]) == "surround");
  std::fprintf(stderr,
               "usage: korimo_costs compose plain|surround ENTRIES N | report ENTRIES N |"
               " load ENTRIES N | startup APPDIR N | time KEYMAP plain|surround < KEYS\n");
  return 2;
}
