#include "ui/win32/gdi_text.h"

#include <vector>

namespace korimo::ui::win32 {
namespace {

bool familyInstalled(HDC dc, std::u16string_view face) {
  LOGFONTW wanted{};
  wanted.lfCharSet = DEFAULT_CHARSET;
  face.copy(reinterpret_cast<char16_t*>(wanted.lfFaceName), LF_FACESIZE - 1);
  bool found = false;
  ::EnumFontFamiliesExW(
      dc, &wanted,
      [](const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) -> int {
        *reinterpret_cast<bool*>(found) = true;
        return 0;
      },
      reinterpret_cast<LPARAM>(&found), 0);
  return found;
}

// True when the font has a glyph for every character of text (the joiners,
// which fonts may leave out, aside).
bool hasGlyphs(HDC dc, HFONT font, std::u16string_view text) {
  std::u16string letters;
  for (char16_t c : text)
    if (c != 0x200C && c != 0x200D) letters += c;
  if (letters.empty()) return true;
  HGDIOBJ previous = ::SelectObject(dc, font);
  std::vector<WORD> glyphs(letters.size());
  const DWORD converted = ::GetGlyphIndicesW(dc, wide(letters), int(letters.size()), glyphs.data(),
                                             GGI_MARK_NONEXISTING_GLYPHS);
  ::SelectObject(dc, previous);
  if (converted == GDI_ERROR) return false;
  for (WORD glyph : glyphs)
    if (glyph == 0xFFFF) return false;
  return true;
}

// DrawText lays text out right to left with DT_RTLREADING when the font in
// the device context is an Arabic or Hebrew one (Microsoft's DrawText
// documentation); the faces of fontCandidates for Arabic text all are.
UINT readingOrder(std::u16string_view text) { return readsRightToLeft(text) ? DT_RTLREADING : 0; }

}  // namespace

HFONT FontCache::font(std::u16string_view face, int height) {
  auto key = std::make_pair(std::u16string(face), height);
  auto found = fonts_.find(key);
  if (found != fonts_.end()) return found->second.get();
  LOGFONTW logical{};
  logical.lfHeight = -height;
  logical.lfWeight = FW_NORMAL;
  logical.lfCharSet = DEFAULT_CHARSET;
  logical.lfQuality = DEFAULT_QUALITY;
  face.copy(reinterpret_cast<char16_t*>(logical.lfFaceName), LF_FACESIZE - 1);
  HFONT made = ::CreateFontIndirectW(&logical);
  if (!made)
    made = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  else
    fonts_.emplace(std::move(key), UniqueGdi<HFONT>(made));
  return made;
}

std::u16string_view TextFaces::faceFor(HDC dc, FontCache& fonts, std::u16string_view text,
                                       std::u16string_view ownFace) {
  const std::span<const std::u16string_view> candidates = scriptFaces(scriptOf(text));
  if (candidates.empty()) return ownFace;
  for (std::u16string_view candidate : candidates) {
    auto known = installed_.find(candidate);
    if (known == installed_.end())
      known = installed_.emplace(candidate, familyInstalled(dc, candidate)).first;
    if (known->second && hasGlyphs(dc, fonts.font(candidate, 16), text)) return candidate;
  }
  return candidates.back();
}

void drawLine(HDC dc, const Rect& rect, std::u16string_view text, UINT format) {
  if (text.empty()) return;
  RECT area = toRECT(rect);
  ::DrawTextW(dc, wide(text), int(text.size()), &area,
              format | readingOrder(text) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

int centredBaseline(HDC dc, const Rect& rect) {
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  return rect.top + (rect.height - metrics.tmHeight) / 2 + metrics.tmAscent;
}

void drawLineOnBaseline(HDC dc, const Rect& rect, std::u16string_view text, UINT format,
                        int baseline) {
  if (text.empty()) return;
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc, &metrics);
  RECT area{rect.left, baseline - metrics.tmAscent, rect.right(),
            baseline - metrics.tmAscent + metrics.tmHeight};
  ::DrawTextW(dc, wide(text), int(text.size()), &area,
              format | readingOrder(text) | DT_SINGLELINE | DT_TOP | DT_NOPREFIX | DT_NOCLIP);
}

int lineWidth(HDC dc, std::u16string_view text) {
  if (text.empty()) return 0;
  RECT area{0, 0, 0, 0};
  ::DrawTextW(dc, wide(text), int(text.size()), &area, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  return area.right - area.left;
}

}  // namespace korimo::ui::win32
