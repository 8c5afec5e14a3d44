#include "shell/program_core.h"

#include <algorithm>

#include "text/unicode_text.h"

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
  language.writeLocalesWhenUnset();
  language.defaultLayoutId = language.readDefaultLayoutId();
  language.loadUnassignedLayouts = language.unassignedLayoutsWanted();
  loadCatalogue(source ? std::move(*source) : programFolderSource());
  activeKeymap.reset();
  catalogue.trayVisible = true;
  catalogue.setIcon(false);
  startHooks();
  engine.composition.reset();
  switchKeymap(std::nullopt);
  welcomeOnFirstStart();
  tellStartupProblems();
  changed(ViewParts::all());
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

namespace {

constexpr char16_t kProblemsToldValue[] = u"Problems Told";
constexpr char16_t kWelcomedValue[] = u"Welcomed";
constexpr std::size_t kBalloonText = 255;  // NOTIFYICONDATA's szInfo, without its end

// A short fingerprint of the problems (FNV-1a over their text), so that the
// same problems at the next start are known without keeping their text.
std::u16string fingerprint(const std::vector<std::u16string>& problems) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const std::u16string& problem : problems)
    for (char16_t c : problem + u'\n') {
      hash ^= c;
      hash *= 0x100000001b3u;
    }
  const std::string digits = text::hex(static_cast<std::uint32_t>(hash >> 32), 8) +
                             text::hex(static_cast<std::uint32_t>(hash), 8);
  return std::u16string(digits.begin(), digits.end());
}

std::u16string clipped(std::u16string text, std::size_t most) {
  if (text.size() <= most) return text;
  text.resize(most - 3);
  return text + u"...";
}

}  // namespace

// The whole list, as its message box shows it.
std::u16string ProgramCore::startupProblemsText() const {
  constexpr std::size_t kShown = 12;
  std::u16string text = u"Vantrel Korimo started, but not everything is as it should be:";
  for (std::size_t i = 0; i < startupProblems.size() && i < kShown; ++i)
    text += u"\r\n\r\n" + startupProblems[i];
  if (startupProblems.size() > kShown) {
    const std::string more = std::to_string(startupProblems.size() - kShown);
    text += u"\r\n\r\n... and " + std::u16string(more.begin(), more.end()) + u" more.";
  }
  return text;
}

// New problems are told once, in a notification that names the first; the
// same problems at a later start are not told again (the tray's hint still
// says when the program cannot type). A start without problems forgets
// them, so that they are told again should they come back.
void ProgramCore::tellStartupProblems() {
  platform::ShellPlatform& shell = platforms_.shell;
  if (startupProblems.empty()) {
    shell.deleteRegistryValue(platform::Hive::CurrentUser, kProductKey, kProblemsToldValue);
    return;
  }
  const std::u16string print = fingerprint(startupProblems);
  const auto told =
      shell.readRegistry(platform::Hive::CurrentUser, kProductKey, kProblemsToldValue);
  if (told && told->text == print) return;
  platform::RegistryValue value;
  value.text = print;
  shell.writeRegistry(platform::Hive::CurrentUser, kProductKey, kProblemsToldValue, value);

  const std::size_t count = startupProblems.size();
  std::u16string more;
  if (count > 1) {
    const std::string n = std::to_string(count - 1);
    more = u" (and " + std::u16string(n.begin(), n.end()) + u" more)";
  }
  const std::u16string click = u" Click here for the whole list.";
  std::u16string first = startupProblems.front();
  if (!first.empty() && first.back() == u'.') first.pop_back();
  const std::size_t room = kBalloonText - more.size() - 1 - click.size();
  notifications.push_back({TrayNotification::Kind::Problems,
                           u"Vantrel Korimo started with problems",
                           clipped(first, room) + more + u"." + click});
}

// The first start for this user: where the program is and how a keymap
// goes on. A new tray icon may start out of sight (Windows 11 puts it in
// the overflow area behind the arrow).
void ProgramCore::welcomeOnFirstStart() {
  platform::ShellPlatform& shell = platforms_.shell;
  if (shell.readRegistry(platform::Hive::CurrentUser, kProductKey, kWelcomedValue)) return;
  platform::RegistryValue value;
  value.text = u"1";
  // Told once: where the value cannot be written, not at every start.
  if (!shell.writeRegistry(platform::Hive::CurrentUser, kProductKey, kWelcomedValue, value)) return;
  const KeymapMenu& menu = catalogue.keymapMenu;
  std::u16string text;
  if (menu.size() > 1) {
    // Captions read "KEY  DESCRIPTION".
    auto split = [](const std::u16string& caption) {
      const std::size_t gap = caption.find(u"  ");
      return gap == std::u16string::npos
                 ? std::pair{std::u16string(), caption}
                 : std::pair{caption.substr(0, gap), caption.substr(gap + 2)};
    };
    const auto [key, keymap] = split(menu[1].caption);
    const auto [offKey, off] = split(menu[0].caption);
    text =
        u"Press " + key + u" to type " + keymap + u", and " + offKey + u" to switch keymaps off. ";
  }
  text +=
      u"Click the Vantrel Korimo icon in the notification area for every keymap (on "
      u"Windows 11 it may wait behind the ^ arrow).";
  notifications.push_back(
      {TrayNotification::Kind::Welcome, u"Vantrel Korimo is running", clipped(text, kBalloonText)});
}

void ProgramCore::notificationShown() {
  if (!notifications.empty()) notifications.erase(notifications.begin());
}

void ProgramCore::notificationClicked(TrayNotification::Kind kind) {
  if (kind == TrayNotification::Kind::Problems && !startupProblems.empty())
    platforms_.shell.messageBox(startupProblemsText(), u"Vantrel Korimo");
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
