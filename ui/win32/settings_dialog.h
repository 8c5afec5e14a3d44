#pragma once
// The settings dialog TForm4 on Windows: a thin view over SettingsDialogModel. It
// lays out the controls, shows the model's state, and passes the user's
// clicks to the model; the model decides everything.

#include <windows.h>

#include <memory>
#include <vector>

#include "settings/settings_dialog.h"

namespace korimo {
class ProgramCore;
}

namespace korimo::ui::win32 {

constexpr wchar_t kSettingsWindowClass[] = L"VantrelKorimoSettings";

class SettingsDialog {
 public:
  SettingsDialog(HINSTANCE instance, ProgramCore& core, platform::ShellPlatform& shell);
  ~SettingsDialog();
  SettingsDialog(const SettingsDialog&) = delete;
  SettingsDialog& operator=(const SettingsDialog&) = delete;

  // Shows the dialog and returns when it has closed (Ok with a restart, or
  // Cancel). Keys and hook reports keep being handled meanwhile.
  void runModal();

 private:
  static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void create();
  HWND control(const wchar_t* className, const wchar_t* text, DWORD style, int left, int top,
               int width, int height, int id);
  // A monitor of another scaling, or the scaling changed: every control and
  // the font at the new DPI, the window at the size Windows suggests.
  void dpiChanged(int dpi, const RECT& suggested);
  HFONT makeFont() const;
  void fitColumns();
  void command(int id, int code);
  void listNotify(const NMHDR& header);
  void listClicked();
  void offKeyLabelPressed(POINT at);
  void addProgramPressed();
  int trackMenu(const RadioMenu& menu);
  void showModel();
  void readBoxes();
  void close();

  HINSTANCE instance_;
  ProgramCore& core_;
  SettingsDialogModel model_;
  HWND window_ = nullptr;
  HWND list_ = nullptr;
  HWND offlabel_ = nullptr;
  HWND import_ = nullptr;
  HWND programs_ = nullptr;  // "Never type in": the programs' list box
  HWND addProgram_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  // Each control's place at 96 DPI, to scale again when the DPI changes.
  struct Placed {
    HWND control;
    RECT at96;
  };
  std::vector<Placed> placed_;
  bool open_ = false;
  bool showing_ = false;  // the list is being filled: its changes are not the user's
};

}  // namespace korimo::ui::win32
