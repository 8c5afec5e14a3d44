#pragma once
// Fonts and text for the program's small windows: fonts made once per face
// and size, the face that can show a text of a script the keymaps write,
// and lines drawn in the text's own reading order.

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

#include "ui/script_fonts.h"
#include "ui/view_geometry.h"

namespace korimo::ui::win32 {

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const {
    if (object) ::DeleteObject(object);
  }
};
template <typename Handle>
using UniqueGdi = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;

inline RECT toRECT(const Rect& rect) {
  return RECT{rect.left, rect.top, rect.right(), rect.bottom()};
}

inline const wchar_t* wide(std::u16string_view text) {
  return reinterpret_cast<const wchar_t*>(text.data());
}

// Fonts by face and character height in pixels, made on first use.
class FontCache {
 public:
  HFONT font(std::u16string_view face, int height);
  void clear() { fonts_.clear(); }

 private:
  std::map<std::pair<std::u16string, int>, UniqueGdi<HFONT>> fonts_;
};

// The face that shows a text: the first of its script's faces (scriptFaces) that
// is installed and has a glyph for each of the text's characters, else
// the last of them; for text of no such script the view's own face. Whether
// a face is installed is asked once.
class TextFaces {
 public:
  std::u16string_view faceFor(HDC dc, FontCache& fonts, std::u16string_view text,
                              std::u16string_view ownFace);

 private:
  std::map<std::u16string_view, bool> installed_;
};

// Draws one line of text in rect, never taking "&" as a mnemonic prefix, in
// right-to-left reading order when the text reads so (readsRightToLeft).
// format adds the alignment (DT_CENTER, DT_RIGHT) and DT_NOCLIP when wanted.
void drawLine(HDC dc, const Rect& rect, std::u16string_view text, UINT format);
// The baseline of one line of text centred in rect, in the font selected
// into dc.
int centredBaseline(HDC dc, const Rect& rect);
// Draws one line of text in the font selected into dc, its baseline at
// baseline, aligned in rect as format says, not clipped.
void drawLineOnBaseline(HDC dc, const Rect& rect, std::u16string_view text, UINT format,
                        int baseline);
// The width of one line of text in the font selected into dc.
int lineWidth(HDC dc, std::u16string_view text);

}  // namespace korimo::ui::win32
