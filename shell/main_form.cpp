#include "shell/main_form.h"

#include <algorithm>

namespace korimo {

TForm1::TForm1(Platforms platforms, platform::WindowHandle ownWindow)
    : engine(ownWindow),
      language(platforms.shell, engine.windows, catalogue),
      platforms_(platforms),
      output_(platforms.desktop) {}

TForm1::~TForm1() { FormDestroy(); }

void TForm1::FormCreate() { startUp(std::nullopt); }

void TForm1::FormCreate(CatalogueSource source) { startUp(std::move(source)); }

void TForm1::startUp(std::optional<CatalogueSource> source) {
  keymapOn = false;
  language.defaultLayoutId = language.readDefaultLayoutId();
  language.loadUnassignedLayouts = language.isloadingtodo();
  GetFilesCount(source ? std::move(*source) : programFolderSource());
  activeKeymapName = u"****";
  catalogue.trayVisible = true;
  catalogue.seticon(false);
  startHooks();
  engine.composition.reset();
  set_environ(u"****");
  changed(ViewParts::all());
  reportStartupProblems();
  if (language.windowsVersionClass() != 8) language.regionalLanguageCheck();
}

// A hook that does not start leaves the program in the tray without seeing
// keys (or clicks): the user is told, and the tray says it instead of
// looking as if it works.
void TForm1::startHooks() {
  const bool keys = keyHook_->Start_KeyHook();
  const bool mouse = mouseHook_->Start_MouseHook();
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
void TForm1::hookLost(bool reinstalled) {
  engine.composition.reset();
  if (reinstalled) return;
  hookProblem = u"Vantrel Korimo cannot type: Windows removed its keyboard hook";
  changed(ViewPart::Tray);
}

// Windows removed the mouse hook: a click went by unseen, and the caret may
// have gone with it.
void TForm1::mouseHookLost() { engine.composition.reset(); }

// Once, in one message box, however many there are.
void TForm1::reportStartupProblems() {
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

void TForm1::FormDestroy() {
  if (keyHook_ && keyHook_->Enabled()) keyHook_->Stop_KeyHook();
  if (mouseHook_ && mouseHook_->Enabled()) mouseHook_->Stop_MouseHook();
  keyHook_.reset();
  mouseHook_.reset();
}

void TForm1::addObserver(CoreObserver& observer) {
  if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end())
    observers_.push_back(&observer);
}

void TForm1::removeObserver(CoreObserver& observer) { std::erase(observers_, &observer); }

void TForm1::changed(ViewParts parts) {
  if (parts.empty()) return;
  // A view may remove itself while it is told.
  const std::vector<CoreObserver*> observers = observers_;
  for (CoreObserver* observer : observers)
    if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end())
      observer->coreChanged(parts);
}

}  // namespace korimo
