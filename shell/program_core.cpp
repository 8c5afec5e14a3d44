#include "shell/program_core.h"

#include <algorithm>

namespace korimo {

ProgramCore::ProgramCore(Platforms platforms, platform::WindowHandle ownWindow)
    : engine(ownWindow),
      language(platforms.shell, engine.windows, catalogue),
      platforms_(platforms),
      output_(platforms.desktop) {}

ProgramCore::~ProgramCore() { shutDown(); }

void ProgramCore::start() { startUp(std::nullopt); }

void ProgramCore::start(CatalogueSource source) { startUp(std::move(source)); }

void ProgramCore::startUp(std::optional<CatalogueSource> source) {
  keymapOn = false;
  language.defaultLayoutId = language.readDefaultLayoutId();
  language.loadUnassignedLayouts = language.unassignedLayoutsWanted();
  loadCatalogue(source ? std::move(*source) : programFolderSource());
  activeKeymap.reset();
  catalogue.trayVisible = true;
  catalogue.setIcon(false);
  startHooks();
  engine.composition.reset();
  switchKeymap(std::nullopt);
  changed(ViewParts::all());
  reportStartupProblems();
  if (!language.windowsHasIndianSupport()) language.regionalLanguageCheck();
}

// A hook that does not start leaves the program in the tray without seeing
// keys (or clicks): the user is told, and the tray says it instead of
// looking as if it works.
void ProgramCore::startHooks() {
  const bool keys = keyHook_->start();
  const bool mouse = mouseHook_->start();
  hookProblem.clear();
  if (!keys) {
    hookProblem = u"Vantrel Korimo cannot type: its keyboard hook did not start";
    startupProblems.push_back(
        u"The keyboard hook (Vantrelx.dll beside the program) did not load or start, so "
        u"Vantrel Korimo cannot type. Install Vantrel Korimo again to repair it.");
  }
  if (!mouse)
    startupProblems.push_back(
        u"The mouse hook (Vantrely.dll beside the program) did not load or start, so a mouse "
        u"click will not end the syllable being typed. Install Vantrel Korimo again to repair "
        u"it.");
}

// Windows removed the keyboard hook; the keys typed meanwhile reached the
// window as typed, so the syllable being composed is gone. When the hook
// could not be installed again, the tray says the program cannot type.
void ProgramCore::hookLost(bool reinstalled) {
  engine.composition.reset();
  if (reinstalled) return;
  hookProblem = u"Vantrel Korimo cannot type: Windows removed its keyboard hook";
  changed(ViewPart::Tray);
}

// Windows removed the mouse hook: a click went by unseen, and the caret may
// have gone with it.
void ProgramCore::mouseHookLost() { engine.composition.reset(); }

// Once, in one message box, however many there are.
void ProgramCore::reportStartupProblems() {
  if (startupProblems.empty()) return;
  constexpr std::size_t kShown = 12;
  std::u16string text = u"Vantrel Korimo started, but not everything is as it should be:";
  for (std::size_t i = 0; i < startupProblems.size() && i < kShown; ++i)
    text += u"\r\n\r\n" + startupProblems[i];
  if (startupProblems.size() > kShown) {
    const std::string more = std::to_string(startupProblems.size() - kShown);
    text += u"\r\n\r\n... and " + std::u16string(more.begin(), more.end()) + u" more.";
  }
  platforms_.shell.messageBox(text, u"Vantrel Korimo");
}

void ProgramCore::shutDown() {
  if (keyHook_ && keyHook_->running()) keyHook_->stop();
  if (mouseHook_ && mouseHook_->running()) mouseHook_->stop();
  keyHook_.reset();
  mouseHook_.reset();
}

void ProgramCore::addObserver(CoreObserver& observer) {
  if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end())
    observers_.push_back(&observer);
}

void ProgramCore::removeObserver(CoreObserver& observer) { std::erase(observers_, &observer); }

void ProgramCore::changed(ViewParts parts) {
  if (parts.empty()) return;
  // A view may remove itself while it is told.
  const std::vector<CoreObserver*> observers = observers_;
  for (CoreObserver* observer : observers)
    if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end())
      observer->coreChanged(parts);
}

}  // namespace korimo
