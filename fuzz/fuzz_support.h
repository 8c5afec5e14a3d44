#pragma once
// Shared by the fuzz targets: a scratch folder of the process, the source
// tree, and the failure report that stops a run.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "tests/support/keymap_fixture.h"

namespace korimo::fuzz {

// Reports a broken property of the input and stops, so that the fuzzer
// keeps the input as a crash.
[[noreturn]] inline void fail(const std::string& what) {
  std::fprintf(stderr, "fuzz property broken: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

inline void check(bool condition, const char* what) {
  if (!condition) fail(what);
}

// The source tree: the bundled keymaps and test applications seed the targets.
inline std::filesystem::path sourceDir() {
  if (const char* dir = std::getenv("KORIMO_SOURCE_DIR")) return dir;
  return KORIMO_FUZZ_SOURCE_DIR;
}

// A folder of this process, removed when it ends.
struct Scratch {
  static const std::filesystem::path& folder() {
    static const testing::TempFolder scratch;
    return scratch.path();
  }
};

inline void writeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string_view bytesOf(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

}  // namespace korimo::fuzz
