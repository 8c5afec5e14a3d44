// The keymap check on any file: it loads or refuses with a reason, and a
// loaded keymap has what the engine relies on (its entries sorted by key
// sequence, the file's entries all there, the limits kept) and types the
// same text in every window class.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

#include "engine/loaded_keymaps.h"
#include "fuzz/fuzz_support.h"
#include "tests/support/stream_typer.h"

namespace {

using namespace korimo;

void checkKeymap(const Keymap& keymap, const KeymapFile& file) {
  const auto n = static_cast<std::size_t>(keymap.entryCount());
  fuzz::check(n == file.entries.size() && n <= kMaxKeymapEntries, "entry count");
  std::vector<KeymapEntry> sorted, inFileOrder;
  for (std::size_t i = 0; i < n; ++i) {
    const Keymap::Entry s = keymap.sorted(i);
    const Keymap::Entry f = keymap.inFileOrder(i);
    sorted.push_back(
        {std::u16string(s.keys), std::u16string(s.display), std::u16string(s.character)});
    inFileOrder.push_back(
        {std::u16string(f.keys), std::u16string(f.display), std::u16string(f.character)});
    if (i > 0) fuzz::check(!keysLess(s.keys, keymap.sorted(i - 1).keys), "sorted by key sequence");
  }
  fuzz::check(inFileOrder == file.entries, "the file order is the file's");
  fuzz::check(static_cast<std::size_t>(keymap.longestKeys()) == file.longestKeys(), "longest key");
  fuzz::check(file.longestKeys() <= kMaxKeyLength, "key length limit");
  auto byAll = [](const KeymapEntry& a, const KeymapEntry& b) {
    return std::tie(a.keys, a.display, a.character) < std::tie(b.keys, b.display, b.character);
  };
  std::vector<KeymapEntry> fileEntries = file.entries;
  std::sort(sorted.begin(), sorted.end(), byAll);
  std::sort(fileEntries.begin(), fileEntries.end(), byAll);
  fuzz::check(sorted == fileEntries, "the sorted entries are the file's");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path path = fuzz::Scratch::folder() / "keymap.xml";
  fuzz::writeFile(path, fuzz::bytesOf(data, size));
  std::string why;
  const std::optional<KeymapFile> file = readKeymapFile(path, &why);
  if (!file) {
    fuzz::check(!why.empty(), "a refusal has a reason");
    return 0;
  }
  const Keymap keymap(*file);
  checkKeymap(keymap, *file);

  // Its own sequences, typed one after another, then undone.
  testing::StreamTyper typer;
  fuzz::check(typer.load(path), "the keymap loads again");
  std::u16string keys;
  for (std::size_t i = 0; i < file->entries.size() && keys.size() < 64; ++i)
    for (char16_t key : file->entries[i].keys)
      if (key >= 32 && key <= 126) keys.push_back(key);
  keys += u"\b\b\b";
  for (bool surround : {false, true}) {
    const std::u16string expected = typer.type(u"Edit", keys, surround);
    for (std::u16string_view className : testing::StreamTyper::kClasses)
      fuzz::check(className == u"Edit" || typer.type(className, keys, surround) == expected,
                  "every window class ends with the same text");
  }
  return 0;
}
