#include "ui/keyboard_layout.h"

namespace korimo::ui::keyboard_layout {
namespace {

constexpr int kKeyPitch = 42;
constexpr int kLabelSize = 12;
constexpr int kLegendWidth = 20;
// A key's face reaches 4 pixels left of its captions and is 40 pixels wide;
// the rows of faces are 31 pixels high around their two lines of labels.
constexpr int kFaceLeft = -4;
constexpr int kFaceWidth = 40;
constexpr int kFaceAbove = 4;
constexpr int kFaceHeight = 31;

struct Row {
  int firstX;
  int upperY;
  int lowerY;
  std::u16string_view keys;  // unshifted and shifted character of each key
};

constexpr Row kRows[] = {
    {13, 8, 20, u"`~1!2@3#4$5%6^7&8*9(0)-_=+\\|"},
    {75, 42, 54, u"qQwWeErRtTyYuUiIoOpP[{]}"},
    {95, 75, 87, u"aAsSdDfFgGhHjJkKlL;:'\""},
    {117, 108, 120, u"zZxXcCvVbBnNmM,<.>/?"},
};

bool isLetter(char16_t c) { return c >= u'a' && c <= u'z'; }

std::array<CharacterKey, kCharacterKeys> makeKeys() {
  std::array<CharacterKey, kCharacterKeys> keys;
  std::size_t n = 0;
  for (const Row& row : kRows) {
    for (std::size_t k = 0; k < row.keys.size() / 2; ++k) {
      CharacterKey& key = keys[n++];
      key.unshifted = row.keys[2 * k];
      key.shifted = row.keys[2 * k + 1];
      const int x = row.firstX + kKeyPitch * static_cast<int>(k);
      key.face = Rect{x + kFaceLeft, row.upperY - kFaceAbove, kFaceWidth, kFaceHeight};
      key.upperCaption = Rect{x, row.upperY, kLabelSize, kLabelSize};
      key.lowerCaption = Rect{x, row.lowerY, kLabelSize, kLabelSize};
      key.upperLegend = Rect{x + kLabelSize, row.upperY, kLegendWidth, kLabelSize};
      key.lowerLegend = Rect{x + kLabelSize, row.lowerY, kLegendWidth, kLabelSize};
      // Letter keys show their capital only; the minus key's upper caption
      // is two hyphens, the underscore being hard to see.
      key.upperText = key.unshifted == u'-' ? u"--" : std::u16string(1, key.shifted);
      if (!isLetter(key.unshifted)) key.lowerText = std::u16string(1, key.unshifted);
      key.smallCaptions = key.unshifted == u'[' || key.unshifted == u']';
    }
  }
  return keys;
}

}  // namespace

const std::array<CharacterKey, kCharacterKeys>& characterKeys() {
  static const std::array<CharacterKey, kCharacterKeys> keys = makeKeys();
  return keys;
}

const std::array<Label, 9>& otherCaptions() {
  static constexpr std::array<Label, 9> labels = {{
      {{12, 48, 37, 12}, u"Tab"},
      {{17, 81, 65, 12}, u"CapsLock"},
      {{561, 82, 41, 12}, u"Enter"},
      {{28, 115, 58, 12}, u"Shift"},
      {{561, 115, 58, 12}, u"Shift"},
      {{15, 147, 49, 12}, u"Ctrl"},
      {{583, 147, 49, 12}, u"Ctrl"},
      {{129, 147, 49, 12}, u"Alt"},
      {{470, 147, 49, 12}, u"Alt"},
  }};
  return labels;
}

const std::vector<OtherKey>& otherKeys() {
  // The faces of the character keys end 2 pixels before the next one and at
  // x 638 on the right; the bottom row's faces are as high as the others.
  static const std::vector<OtherKey> keys = {
      {{{597, 4, 41, 31}}, Mark::Backspace},
      {{{9, 38, 60, 31}}, Mark::None},  // Tab
      // Enter: a narrower upper part reaching down into the wider lower one.
      {{{575, 38, 63, 40}, {553, 71, 85, 31}}, Mark::None},
      {{{9, 71, 80, 31}}, Mark::None},      // CapsLock
      {{{9, 104, 102, 31}}, Mark::None},    // Shift
      {{{533, 104, 105, 31}}, Mark::None},  // Shift
      {{{9, 137, 60, 31}}, Mark::None},     // Ctrl
      {{{71, 137, 52, 31}}, Mark::Windows},
      {{{125, 137, 57, 31}}, Mark::None},   // Alt
      {{{184, 137, 280, 31}}, Mark::None},  // space bar
      {{{466, 137, 57, 31}}, Mark::None},   // Alt
      {{{525, 137, 52, 31}}, Mark::Windows},
      {{{579, 137, 59, 31}}, Mark::None},  // Ctrl
  };
  return keys;
}

Legends legendsOf(const CharacterKey& key, const OnScreenKeyboard& keyboard) {
  return Legends{keyboard.legend(key.shifted), keyboard.legend(key.unshifted)};
}

}  // namespace korimo::ui::keyboard_layout
