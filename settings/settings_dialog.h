#pragma once
// The settings dialog TForm4 as a model with no window in it: the keymap
// list with its visible and hidden key columns and check marks, the toggle
// mode, the Keymap-off key of each mode, the options, the Run registration,
// the keymap import, where not to type (the programs never typed in, the
// full-screen pause) and the Ok checks. The window (ui/win32/settings_dialog)
// only shows this state and passes the user's clicks in; every decision is
// made here.
//
// It works on a copy of the configuration: nothing reaches the file or the
// running engine before Ok, and Ok ends in a restart of the program.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell_platform.h"
#include "settings/configuration.h"

namespace korimo {

// The mark after every toggle-key text the dialog shows: "Alt+3 ◊".
inline constexpr char16_t toggleKeyMark = u'\u25CA';

// The Run value that starts the program with Windows.
inline constexpr std::u16string_view kRunKey = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr std::u16string_view kRunValue = u"VantrelKorimo";

// One row of the keymap list.
struct KeymapRow {
  std::u16string language;   // "Language", the row caption
  std::u16string keyboard;   // "Keyboard"
  std::u16string encoding;   // "Encoding"
  std::u16string filename;   // "Filename", inside the Data folder
  std::u16string toggleKey;  // "Toggle Key": the key of the current mode, "Alt+3 ◊"
  // The hidden columns "TKey1" and "TKey2": the key of each mode as two
  // upper-case hexadecimal digits (the Alt digit, or the index in
  // functionKeyNames), or "None".
  std::u16string tkey1 = u"None";
  std::u16string tkey2 = u"None";
  bool checked = false;
};

// The list's columns, in order; the last two have zero width.
enum class ListColumn { Language, Keyboard, Encoding, Filename, ToggleKey, TKey1, TKey2 };

// A popup menu of radio items: what it shows when it opens.
struct RadioMenu {
  std::vector<std::u16string> items;
  std::size_t checked = 0;
};

// Under the product key, one value, named by the file's full path, for each
// file the installer or the settings dialog wrote into the program's folder
// (config.xml, the keymaps imported into Data): the uninstaller, told to
// remove the user's files, removes these and nothing else of the folder.
inline constexpr char16_t kWrittenFilesKey[] = u"SOFTWARE\\Vantrel\\Korimo\\Written Files";

class SettingsDialogModel {
 public:
  // restartApplication starts a new instance and ends this one; Ok calls it
  // after the configuration has been saved.
  SettingsDialogModel(platform::ShellPlatform& shell, std::function<void()> restartApplication);

  // The window message boxes and the open-file dialog are modal to.
  void setOwner(platform::WindowHandle owner) { owner_ = owner; }

  // Opening: the Run registration, the configuration file (a file that
  // cannot be read is reported and nothing is read from it), the sort.
  void open();

  // --- what the dialog shows
  ToggleMode toggleMode = ToggleMode::Alt;
  bool textServices = false;      // "Windows Text Services"
  bool surround = false;          // "Treat Backspace as Undo at preedit level  "
  bool startWithWindows = false;  // "Start automatically when starting Windows"
  std::vector<KeymapRow> rows;
  // "Pause in full-screen programs"
  bool pauseInFullScreen = true;
  // "Never type in": the programs' executable file names, in the order of
  // their names without regard to letter case.
  std::vector<std::u16string> neverTypeIn;
  // The Keymap-off key of each mode in toggle-key text form.
  std::u16string offKey1;
  std::u16string offKey2;
  // The text of the Keymap-off label: the key of the current mode.
  const std::u16string& offKeyLabel() const {
    return toggleMode == ToggleMode::FunctionKeys ? offKey2 : offKey1;
  }
  // The row the toggle-key menu acts on: the last one pressed.
  std::optional<std::size_t> clickedRow;

  // --- the user's actions
  // A mouse press over the list at row (none: not on a row) and column:
  // the menu to open at the pointer, when the press was on a Toggle Key cell.
  std::optional<RadioMenu> listPressed(std::optional<std::size_t> row, ListColumn column);
  // An item of the toggle-key menu chosen, for clickedRow.
  void toggleKeyChosen(std::size_t item);
  // The user has changed a row's check box: unchecking it takes its key of
  // the current mode away.
  void rowCheckChanged(std::size_t row, bool checked);
  // A press on the Keymap-off label: the menu to open at the pointer.
  RadioMenu offKeyMenu() const;
  void offKeyChosen(std::size_t item);
  // A click on "Use Alt Key" (mode 1) or "Avoid Alt key" (mode 2).
  void toggleModeChosen(ToggleMode mode);

  // Ok: the Run registration, the checks, the save, the restart. True when
  // the program restarts and the dialog closes; false when a check or the
  // save failed (the user has been told) and the dialog stays open.
  bool ok();
  // The Import... button: a keymap file chosen, checked, copied into Data,
  // and a row for it.
  void importKeymap();
  // The Add... button of "Never type in": the menu it opens, the programs
  // running now that are not on the list, then kOtherProgram, which opens
  // the open-file dialog.
  std::vector<std::u16string> addProgramMenu();
  // An item of the last menu that addProgramMenu gave.
  void addProgramChosen(std::size_t item);
  // A program's name on the list (a plain file name: the user is told
  // otherwise); one already on it is not added twice.
  void addProgram(std::u16string_view name);
  // Remove with that row of the list selected.
  void removeProgram(std::size_t row);
  static constexpr std::u16string_view kOtherProgram = u"Other program...";

  // --- the pieces, for the view and the tests
  // The menus of each mode.
  static RadioMenu toggleKeyMenuOf(ToggleMode mode);  // a row's Toggle Key cell
  static RadioMenu offKeyMenuOf(ToggleMode mode);     // the Keymap-off label
  // The rows in their order: the hidden key of the current mode, then
  // Language, Keyboard and Encoding, each without regard to letter case.
  void sortRows();
  // The configuration the dialog would save.
  Configuration dialogConfiguration() const;
  void showConfiguration(const Configuration& configuration);
  bool runValueExists();
  // The name the open-file dialog shows when it opens next.
  const std::u16string& importFileName() const { return importFileName_; }

 private:
  void recordWrittenFile(const std::filesystem::path& file);
  void message(std::u16string_view text);
  void refreshToggleTexts();
  bool refusal(std::u16string& why) const;
  void registerRun();
  std::filesystem::path dataFolder() const;

  platform::ShellPlatform& shell_;
  std::function<void()> restartApplication_;
  platform::WindowHandle owner_ = platform::kNoWindow;
  std::u16string importFileName_;
  bool importing_ = false;
  std::vector<std::u16string> offeredPrograms_;  // the Add... menu as last shown
};

// The text a toggle key shows: "Alt+3 ◊", "F5 ◊", "None ◊". key is the
// hidden column's text ("03", "0B", "None").
std::u16string toggleKeyText(ToggleMode mode, std::u16string_view key);

}  // namespace korimo
