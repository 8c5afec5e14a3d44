#include "preview/key_preview.h"

#include <algorithm>

#include "engine/globalroutines.h"

namespace korimo {
namespace {

std::u16string_view fileOrderCell(const ActiveKeymap& keymap, Column column, int row) {
  return keymap.tables().keymapTablesCopy[static_cast<std::size_t>(keymap.activeKeymap)][column]
                                         [static_cast<std::size_t>(row)];
}

std::u16string stripBlanks(std::u16string_view cell) {
  std::u16string text(cell);
  std::erase_if(text, [](char16_t c) { return c == u' ' || c == u'\r' || c == u'\n'; });
  return text;
}

std::u16string shown(std::u16string_view display) {
  try {
    return hexToText(display);
  } catch (const ConversionError&) {
    return {};
  }
}

}  // namespace

void KeyPreview::emptify() {
  previewPage = -1;
  keys.fill({});
  characters.fill({});
}

void KeyPreview::fillitup(const ActiveKeymap& keymap, std::u16string_view pendingKeys) {
  previewPage = -1;
  int cell = 0;
  for (int row = 1; row <= keymap.entryCount && cell < kCells; ++row) {
    const std::u16string_view rowKeys = fileOrderCell(keymap, kKeys, row);
    if (!rowKeys.starts_with(pendingKeys)) continue;
    keys[static_cast<std::size_t>(cell)] = rowKeys;
    characters[static_cast<std::size_t>(cell)] = shown(fileOrderCell(keymap, kDisplay, row));
    ++cell;
  }
}

void KeyPreview::browse(const ActiveKeymap& keymap, int page) {
  for (int i = 0; i < kCells; ++i) {
    int row = page * kCells + i + 1;
    keys[static_cast<std::size_t>(i)] = stripBlanks(fileOrderCell(keymap, kKeys, row));
    characters[static_cast<std::size_t>(i)] = shown(fileOrderCell(keymap, kDisplay, row));
  }
}

void KeyPreview::UpDown1ChangingEx(const ActiveKeymap& keymap, Arrow arrow) {
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
