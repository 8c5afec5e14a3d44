#pragma once
// korimo-cli simulate: the program core over a simulated desktop, driven by a
// scenario of user actions, one command a line.

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "settings/settings_dialog.h"
#include "shell/core_observer.h"
#include "shell/dialog_host.h"
#include "tools/korimo-cli/desktop_session.h"

namespace korimo::cli {

// A scenario line that cannot be carried out.
class ScenarioError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Simulation {
 public:
  // The scenario's next line; nullopt at its end.
  using LineSource = std::function<std::optional<std::string>()>;

  // A modal window (the settings dialog) reads the lines the user acts on
  // while it is open from nextLine.
  Simulation(std::filesystem::path appFolder, std::ostream& out, LineSource nextLine = {});
  ~Simulation();

  // Carries out one scenario line. Raises ScenarioError.
  void run(const std::string& line);
  // Start-up if it has not run yet, then every window's text.
  void finish();

 private:
  void startUp();
  void attachProgram();
  ProgramCore& core() { return session_.core(); }
  void endOrRestart();
  // The settings dialog: open while the scenario's lines act on it.
  void runSettingsDialog();
  bool settingsCommand(const std::vector<std::string>& words);
  std::size_t settingsRow(const std::string& word) const;
  void printMenu(const RadioMenu& menu);
  void beforeStartUp(const std::vector<std::string>& words, const std::string& line);
  void typeText(const std::u16string& text);
  void chord(const std::string& text, bool press, bool release);
  platform::WindowHandle windowNamed(const std::string& name) const;
  std::string nameOf(platform::WindowHandle window) const;

  // The views of the simulated desktop: they keep the parts the core asked
  // them to draw again, until a scenario prints them.
  struct Views : CoreObserver {
    void coreChanged(ViewParts parts) override { redrawn |= parts; }
    ViewParts redrawn;
  };

  // The modal windows of the simulated desktop: each opening is noted. The
  // settings dialog stays open, its lines read from the scenario, until Ok
  // or Cancel closes it (or the scenario ends); the About box closes at once.
  struct Dialogs : DialogHost {
    explicit Dialogs(Simulation& simulation) : simulation(simulation) {}
    void showSettings() override;
    void showAbout() override { opened.push_back("about"); }
    Simulation& simulation;
    std::vector<std::string> opened;
  };
  // The open settings dialog, and the menu the user opened in it.
  struct SettingsDialog {
    SettingsDialogModel model;
    platform::WindowHandle window;
    enum class Menu { None, ToggleKey, KeymapOff, AddProgram } menu = Menu::None;
    bool closed = false;
  };

  std::ostream& out_;
  LineSource nextLine_;
  DesktopSession session_;
  Views views_;
  Dialogs dialogs_{*this};
  std::size_t dialogsShown_ = 0;
  SettingsDialog* settings_ = nullptr;
  std::size_t launchedAtStart_ = 0;
  bool ended_ = false;
  std::vector<std::pair<std::string, platform::WindowHandle>> windows_;     // in opening order
  std::vector<std::pair<std::string, platform::WindowHandle>> ownWindows_;  // the program's
  std::map<std::string, platform::WindowHandle> fields_;  // windows' other fields, as NAME.FIELD
  std::size_t postsShown_ = 0;
  std::size_t launchedShown_ = 0;
  std::optional<TrayNotification::Kind> lastNotice_;
  std::size_t messagesShown_ = 0;
  std::size_t receivedShown_ = 0;
  std::size_t layoutsShown_ = 0;
};

// Texts of the output: UTF-8 with \r, \n, \t and \\ escaped.
std::string escaped(const std::u16string& text);

}  // namespace korimo::cli
