// Key streams through the typing path. Input: either a keymap file, two NUL
// bytes and the stream, or a byte choosing a bundled keymap, a byte of
// options (bit 0: Backspace undoes) and the stream. Each stream byte is one
// key: printable ASCII, Enter, Backspace or Escape. Every window class must
// end with the same text as a plain one, a keymap without the SMP flag never
// leaves a lone surrogate, and the conversion kept from key to key must match
// the conversion from scratch.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "tests/support/reference_conversion.h"
#include "tests/support/stream_typer.h"
#include "text/unicode_text.h"

namespace {

using namespace korimo;

constexpr std::size_t kMaxKeys = 160;

// The bundled keymaps and the supplementary-plane example, loaded once.
testing::StreamTyper* bundled(std::size_t choice) {
  static std::vector<std::unique_ptr<testing::StreamTyper>> typers = [] {
    std::vector<std::filesystem::path> files;
    for (const auto& entry :
         std::filesystem::directory_iterator(fuzz::sourceDir() / "keymaps" / "Data"))
      files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    files.push_back(fuzz::sourceDir() / "tests" / "cli" / "cases" / "brahmi.xml");
    files.push_back(fuzz::sourceDir() / "tests" / "cli" / "cases" / "tamil.xml");
    std::vector<std::unique_ptr<testing::StreamTyper>> loaded;
    for (const auto& file : files) {
      auto typer = std::make_unique<testing::StreamTyper>();
      if (!typer->load(file)) fuzz::fail("a bundled keymap does not load: " + file.string());
      loaded.push_back(std::move(typer));
    }
    return loaded;
  }();
  return typers[choice % typers.size()].get();
}

bool hasLoneSurrogate(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size();)
    if (text::isSurrogate(text::nextCodePoint(text, i))) return true;
  return false;
}

void typeEverywhere(testing::StreamTyper& typer, std::string_view stream, bool surround) {
  std::u16string keys;
  for (unsigned char byte : stream.substr(0, kMaxKeys)) {
    const unsigned k = byte % 98;
    keys.push_back(k < 95 ? static_cast<char16_t>(32 + k) : u"\r\b\x1b"[k - 95]);
  }
  const std::u16string expected = typer.type(u"Edit", keys, surround);
  if (!typer.engine().keymap.activeSmp)
    fuzz::check(!hasLoneSurrogate(expected), "no lone surrogate in the window");
  for (std::u16string_view className : testing::StreamTyper::kClasses)
    fuzz::check(className == u"Edit" || typer.type(className, keys, surround) == expected,
                "every window class ends with the same text");

  // The printable keys as one growing sequence, converted key by key.
  Composition& composition = typer.engine().composition;
  composition.reset();
  std::u16string source;
  for (char16_t key : keys) {
    if (key < 32 || source.size() >= 80) continue;
    source.push_back(key);
    std::u16string expectedPending, pending;
    const std::u16string reference =
        testing::referenceConvert(typer.engine().keymap, source, expectedPending);
    fuzz::check(composition.convert(source) == reference, "conversion kept from key to key");
    fuzz::check(composition.pendingKeys == expectedPending, "pending keys");
  }
  composition.reset();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::bytesOf(data, size);
  if (const std::size_t split = input.find(std::string_view("\0\0", 2));
      split != std::string_view::npos) {
    const std::filesystem::path path = fuzz::Scratch::folder() / "typed.xml";
    fuzz::writeFile(path, input.substr(0, split));
    testing::StreamTyper typer;
    if (!typer.load(path)) return 0;
    std::string_view stream = input.substr(split + 2);
    for (bool surround : {false, true}) typeEverywhere(typer, stream, surround);
    return 0;
  }
  if (size < 2) return 0;
  typeEverywhere(*bundled(data[0]), input.substr(2), data[1] & 1);
  return 0;
}
