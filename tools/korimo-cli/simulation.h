#pragma once
// korimo-cli simulate: the program core over a simulated desktop, driven by a
// scenario of user actions, one command a line.

#include <filesystem>
#include <iosfwd>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_desktop.h"
#include "platform/sim/sim_hooks.h"
#include "platform/sim/sim_shell.h"
#include "shell/main_form.h"

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
  void beforeStartUp(const std::vector<std::string>& words, const std::string& line);
  void typeText(const std::u16string& text);
  void chord(const std::string& text, bool press, bool release);
  platform::WindowHandle windowNamed(const std::string& name) const;
  std::string nameOf(platform::WindowHandle window) const;
  void endIfTerminated();

  std::ostream& out_;
  platform::sim::SimDesktop desktop_;
  platform::sim::SimHookPlatform hooks_;
  platform::sim::SimShell shell_;
  platform::WindowHandle ownWindow_;
  std::unique_ptr<TForm1> form_;
  bool started_ = false;
  bool ended_ = false;
  std::vector<std::pair<std::string, platform::WindowHandle>> windows_;  // in opening order
  std::size_t postsShown_ = 0;
  std::size_t launchedShown_ = 0;
  std::size_t messagesShown_ = 0;
};

// Texts of the output: UTF-8 with \r, \n, \t and \\ escaped.
std::string escaped(const std::u16string& text);

}  // namespace korimo::cli
