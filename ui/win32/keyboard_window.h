#pragma once
// The on-screen keyboard (TForm5): a picture of a US keyboard whose keys
// carry their Latin captions and what the active keymap types for each of
// them alone, unshifted and shifted. It takes no clicks; any point of it
// drags it.

#include <windows.h>

#include "ui/win32/floating_view.h"

namespace korimo::ui::win32 {

class KeyboardWindow final : public FloatingView {
 public:
  static constexpr wchar_t kClassName[] = L"TForm5";

  KeyboardWindow(ProgramCore& core, HINSTANCE instance);

 private:
  void paint(HDC dc) override;
  bool wanted() const override { return core_.oskChecked; }
  void closeRequested() override;

  void paintKeys(HDC dc);
  void paintLabels(HDC dc);
  void paintLegend(HDC dc, const Rect& place, const std::u16string& legend);
};

}  // namespace korimo::ui::win32
