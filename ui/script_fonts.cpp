#include "ui/script_fonts.h"

namespace korimo::ui {
namespace {

IndicScript blockOf(char16_t c) {
  if ((c >= 0x0900 && c <= 0x097F) || (c >= 0xA8E0 && c <= 0xA8FF) || (c >= 0x1CD0 && c <= 0x1CFF))
    return IndicScript::Devanagari;
  if (c >= 0x0980 && c <= 0x09FF) return IndicScript::Bengali;
  if (c >= 0x0A00 && c <= 0x0A7F) return IndicScript::Gurmukhi;
  if (c >= 0x0A80 && c <= 0x0AFF) return IndicScript::Gujarati;
  if (c >= 0x0B00 && c <= 0x0B7F) return IndicScript::Oriya;
  if (c >= 0x0B80 && c <= 0x0BFF) return IndicScript::Tamil;
  if (c >= 0x0C00 && c <= 0x0C7F) return IndicScript::Telugu;
  if (c >= 0x0C80 && c <= 0x0CFF) return IndicScript::Kannada;
  if (c >= 0x0D00 && c <= 0x0D7F) return IndicScript::Malayalam;
  return IndicScript::None;
}

bool shared(char16_t c) { return c == 0x0964 || c == 0x0965 || c == 0x200C || c == 0x200D; }

}  // namespace

IndicScript scriptOf(std::u16string_view text) {
  bool danda = false;
  for (char16_t c : text) {
    if (shared(c)) {
      danda = danda || c == 0x0964 || c == 0x0965;
      continue;
    }
    if (IndicScript script = blockOf(c); script != IndicScript::None) return script;
  }
  return danda ? IndicScript::Devanagari : IndicScript::None;
}

std::u16string_view usualFont(IndicScript script) {
  switch (script) {
    case IndicScript::Devanagari: return u"Mangal";
    case IndicScript::Bengali: return u"Vrinda";
    case IndicScript::Gurmukhi: return u"Raavi";
    case IndicScript::Gujarati: return u"Shruti";
    case IndicScript::Oriya: return u"Kalinga";
    case IndicScript::Tamil: return u"Latha";
    case IndicScript::Telugu: return u"Gautami";
    case IndicScript::Kannada: return u"Tunga";
    case IndicScript::Malayalam: return u"Kartika";
    case IndicScript::None: break;
  }
  return {};
}

std::vector<std::u16string_view> fontCandidates(std::u16string_view text,
                                                std::u16string_view ownFace) {
  const IndicScript script = scriptOf(text);
  if (script == IndicScript::None) return {ownFace};
  return {kNirmalaUi, usualFont(script)};
}

}  // namespace korimo::ui
