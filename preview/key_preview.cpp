#include "preview/key_preview.h"

#include <algorithm>

namespace korimo {
namespace {

// Entry row (from 1) of the active keymap in file order; the rows past its
// entries, up to the last page, are empty.
Keymap::Entry fileEntry(const ActiveKeymap& keymap, int row) {
  if (row < 1 || row > keymap.entryCount) return {};
  return keymap.keymap().inFileOrder(static_cast<std::size_t>(row - 1));
}

std::u16string stripBlanks(std::u16string_view cell) {
  std::u16string text(cell);
  std::erase_if(text, [](char16_t c) { return c == u' ' || c == u'\r' || c == u'\n'; });
  return text;
}

}  // namespace

void KeyPreview::clear() {
  previewPage = -1;
  keys.fill({});
  characters.fill({});
}

void KeyPreview::showContinuations(const ActiveKeymap& keymap, std::u16string_view pendingKeys) {
  previewPage = -1;
  int cell = 0;
  for (int row = 1; row <= keymap.entryCount && cell < kCells; ++row) {
    const Keymap::Entry entry = fileEntry(keymap, row);
    if (!entry.keys.starts_with(pendingKeys)) continue;
    keys[static_cast<std::size_t>(cell)] = entry.keys;
    characters[static_cast<std::size_t>(cell)] = entry.display;
    ++cell;
  }
}

void KeyPreview::browse(const ActiveKeymap& keymap, int page) {
  for (int i = 0; i < kCells; ++i) {
    const Keymap::Entry entry = fileEntry(keymap, page * kCells + i + 1);
    keys[static_cast<std::size_t>(i)] = stripBlanks(entry.keys);
    characters[static_cast<std::size_t>(i)] = entry.display;
  }
}

void KeyPreview::turnPage(const ActiveKeymap& keymap, Arrow arrow) {
  if (keymap.paddedCount <= 0) return;
  const int lastPage = keymap.paddedCount / kCells - 1;
  if (arrow == Arrow::Left) {
    if (previewPage == -1) previewPage = 1;
    if (--previewPage < 0) previewPage = lastPage;
  } else {
    if (++previewPage > lastPage) previewPage = 0;
  }
  browse(keymap, previewPage);
}

}  // namespace korimo
