#pragma once
// The key preview strip (TForm3): the key sequences of the active keymap
// over the characters they give, 18 at a time, at the top centre of the
// screen. The arrows page through the keymap; the strip is dragged by any
// other point. It is the application's main window: asking it to close ends
// the program.

#include <windows.h>

#include <functional>
#include <optional>

#include "ui/win32/floating_view.h"

namespace korimo::ui::win32 {

class KeyPreviewWindow final : public FloatingView {
 public:
  static constexpr wchar_t kClassName[] = L"TForm3";

  // onClose runs when the window is asked to close (WM_CLOSE).
  KeyPreviewWindow(ProgramCore& core, HINSTANCE instance, std::function<void()> onClose);

 private:
  void paint(HDC dc) override;
  bool wanted() const override { return core_.keyPreviewChecked; }
  bool press(int x, int y) override;
  void release() override;
  void closeRequested() override;

  std::function<void()> onClose_;
  std::optional<KeyPreview::Arrow> pressedArrow_;
};

}  // namespace korimo::ui::win32
