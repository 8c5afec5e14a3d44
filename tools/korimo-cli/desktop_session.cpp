#include "tools/korimo-cli/desktop_session.h"

#include "platform/sim/us_keyboard.h"

namespace korimo::cli {

DesktopSession::DesktopSession(std::filesystem::path appFolder)
    : ownWindow(desktop.openWindow(u"TApplication")) {
  shell.appFolder = std::move(appFolder);
  shell.setRegistry(platform::Hive::CurrentUser, u"Keyboard Layout\\Preload", u"1",
                    platform::RegistryValue{platform::RegistryValue::Type::String, u"00000409", 0});
  hooks.desktop = &desktop;
  desktop.focus(platform::kNoWindow);
  shell.onSetForeground = [this](platform::WindowHandle window) {
    if (desktop.windowExists(window)) desktop.focus(window);
  };
  // The program's thread serves the hooks: what keeps it busy keeps them waiting.
  shell.onThreadBlocked = [this](std::uint32_t ms) { hooks.threadBlocked(ms); };
  shell.onModal = [this] { hooks.modalLoop(); };
  shell.programsShown = [this] { return desktop.programNames(); };
}

DesktopSession::~DesktopSession() = default;

void DesktopSession::startUp(std::optional<CatalogueSource> source) {
  if (core_) return;
  core_ = std::make_unique<ProgramCore>(ProgramCore::Platforms{hooks, hooks, shell}, ownWindow);
  if (source)
    core_->start(std::move(*source));
  else
    core_->start();
  endIfTerminated();
}

void DesktopSession::restart() {
  core_.reset();
  ended_ = false;
  shell.terminated = false;
  startUp();
}

bool DesktopSession::endIfTerminated() {
  if (shell.terminated && !ended_) {
    ended_ = true;
    core_->shutDown();
  }
  return ended_;
}

platform::WindowHandle DesktopSession::openWindow(std::u16string className) {
  auto marks = platform::sim::clusterMarksFor(className);
  return desktop.openWindow(std::move(className), std::move(marks));
}

bool DesktopSession::isTypable(char16_t c) {
  return ((c >= 32 && c <= 126) || c == u'\r' || c == u'\b' || c == u'\x1b' || c == u'\t') &&
         platform::sim::usKeystroke(c).vk != 0;
}

void DesktopSession::typeCharacter(char16_t c) {
  const platform::sim::UsKeystroke key = platform::sim::usKeystroke(c);
  if (key.shift) hooks.press(platform::kVkLShift);
  hooks.press(key.vk);
  hooks.release(key.vk);
  if (key.shift) hooks.release(platform::kVkLShift);
}

}  // namespace korimo::cli
