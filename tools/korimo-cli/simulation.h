#pragma once
// korimo-cli simulate: the program core over a simulated desktop, driven by a
// scenario of user actions, one command a line.

#include <filesystem>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

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
  Simulation(std::filesystem::path appFolder, std::ostream& out);
  ~Simulation();

  // Carries out one scenario line. Raises ScenarioError.
  void run(const std::string& line);
  // Start-up if it has not run yet, then every window's text.
  void finish();

 private:
  void startUp();
  TForm1& form() { return session_.form(); }
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

  // The modal windows of the simulated desktop: each opening is noted; a
  // scenario's next line runs while it is open only in `dialogs`.
  struct Dialogs : DialogHost {
    void showSettings() override { opened.push_back("settings"); }
    void showAbout() override { opened.push_back("about"); }
    std::vector<std::string> opened;
  };

  std::ostream& out_;
  DesktopSession session_;
  Views views_;
  Dialogs dialogs_;
  std::size_t dialogsShown_ = 0;
  bool ended_ = false;
  std::vector<std::pair<std::string, platform::WindowHandle>> windows_;     // in opening order
  std::vector<std::pair<std::string, platform::WindowHandle>> ownWindows_;  // the program's
  std::size_t postsShown_ = 0;
  std::size_t launchedShown_ = 0;
  std::size_t messagesShown_ = 0;
};

// Texts of the output: UTF-8 with \r, \n, \t and \\ escaped.
std::string escaped(const std::u16string& text);

}  // namespace korimo::cli
