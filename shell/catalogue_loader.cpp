// The catalogue loader: reads the configuration, loads every keymap that has
// a usable toggle key into the catalogue, builds the toggle tables and the
// keymap sub-menu, and creates the hook components.

#include "engine/globalroutines.h"
#include "platform/files.h"
#include "settings/configuration.h"
#include "shell/main_form.h"

namespace korimo {
namespace {

using xml::XmlElement;

std::u16string decimal(std::int64_t value) {
  std::string digits = std::to_string(value);
  return std::u16string(digits.begin(), digits.end());
}

char16_t hexDigit(int value) { return u"0123456789ABCDEF"[value & 0xF]; }

// A required element of the configuration file; its absence ends the loader.
struct LoaderStop {};

const XmlElement& required(const XmlElement& parent, std::u16string_view name) {
  const XmlElement* child = parent.childByName(name);
  if (!child) throw LoaderStop{};
  return *child;
}

}  // namespace

CatalogueSource TForm1::programFolderSource() {
  const std::filesystem::path folder = platforms_.shell.executableFolder();
  CatalogueSource source;
  source.keymapFolder = folder / "Data";
  try {
    source.configuration = xml::XmlDocument::load(platform::findFileNoCase(folder, u"config.xml"));
  } catch (const xml::XmlError&) {
    source.configuration.reset();
  }
  return source;
}

void TForm1::GetFilesCount() { GetFilesCount(programFolderSource()); }

void TForm1::GetFilesCount(CatalogueSource source) {
  // A second run builds the catalogue afresh, with the engine off.
  catalogue = Catalogue{};
  engine.tables = KeymapTables{};
  engine.keymap.deactivate();
  engine.composition.setallnull();
  keymapOn = false;
  activeKeymapName = u"****";

  engine.tables.loadingKeymap = 1;
  // The global settings. A missing, broken or cut-short file ends the
  // loading here: what it did give stays, the rest keeps the readers'
  // defaults, and no keymap is catalogued.
  bool readOn = source.configuration.has_value();
  if (readOn) {
    try {
      readGlobalSettings(*source.configuration);
    } catch (const LoaderStop&) {
      readOn = false;
    } catch (const xml::XmlError&) {
      readOn = false;
    }
  }
  installToggleTables();
  if (readOn) {
    try {
      loadCatalogue(*source.configuration, source.keymapFolder);
    } catch (const LoaderStop&) {
    } catch (const LocaleError&) {
    } catch (const std::exception&) {
    }
  }
  catalogue.keymapCount = engine.tables.loadingKeymap - 1;
  language.activateDefaultLayout();
  // The components exist whatever the loader met, so that the Keymap-off
  // key and the tray keep working.
  createHookComponents();
  changed(ViewPart::Tray | ViewPart::KeymapMenu);
}

void TForm1::readGlobalSettings(const xml::XmlDocument& document) {
  Catalogue& c = catalogue;
  const XmlElement& local = required(document.root(), u"Local");
  c.toggleMode = required(local, u"ToggleMode").valueAsInt(1) == 2 ? 2 : 1;
  c.offKey = required(local, c.toggleMode == 2 ? u"TKey2" : u"TKey1").valueAsInt(0);
  c.textServices = required(local, u"TextServices").valueAsBool(true);
  c.surroundActive = required(local, u"Surround").valueAsBool(true);
  c.surroundSetting = c.surroundActive;
}

void TForm1::installToggleTables() {
  Catalogue& c = catalogue;
  if (c.toggleMode == 2) {
    if (c.offKey < 0 || c.offKey > 11) c.offKey = 0;  // no such key: the default one
    c.fkeyToggleSlots = std::u16string(1, hexDigit(c.offKey));
    c.fkeyKeymapNames[static_cast<std::size_t>(c.offKey)] = u"****";
    for (int slot = 0; slot < 11; ++slot)
      c.fkeySlotByVk[static_cast<std::size_t>(slot)] = std::u16string(1, hexDigit(slot));
    c.fkeySlotByVk[platform::kVkScroll - platform::kVkF2] = u"B";
    c.mmenu.append(
        std::u16string(functionKeyNames[static_cast<std::size_t>(c.offKey)]) + u"  Keymap off",
        u"****");
  } else {
    if (c.offKey < 0 || c.offKey > 9) c.offKey = 0;
    c.toggleDigits = decimal(c.offKey);
    c.altKeymapNames[static_cast<std::size_t>(c.offKey)] = u"****";
    c.mmenu.append(u"Alt+" + decimal(c.offKey) + u"  Keymap off", u"****");
  }
}

void TForm1::loadCatalogue(const xml::XmlDocument& document,
                           const std::filesystem::path& keymapFolder) {
  Catalogue& c = catalogue;
  KeymapTables& tables = engine.tables;
  const XmlElement& keymaps = required(document.root(), u"Keymaps");
  for (std::size_t i = 0; i < keymaps.childCount(); ++i) {
    const XmlElement& entry = keymaps.child(i);
    const std::u16string& name = required(entry, u"Filename").value();
    if (!isKeymapFileName(name)) continue;  // it would leave the keymap folder
    const std::filesystem::path path = keymapFolder / name;
    if (!platforms_.shell.fileExists(path)) continue;
    const std::u16string& key = required(entry, c.toggleMode == 2 ? u"TKey2" : u"TKey1").value();
    std::optional<std::int32_t> n = parseInteger(key);
    if (key == u"Null" || !n) {
      // No toggle key: such a keymap is never catalogued, but while the
      // language support is incomplete its keyboard layout is loaded.
      if (language.loadUnassignedLayouts && tables.integritycheck1(path))
        language.inputLocaleFor(tables.validatedLcid);
      continue;
    }
    const bool accepted =
        c.toggleMode == 2
            ? *n >= 0 && *n <= 11 && c.fkeyToggleSlots.find(hexDigit(*n)) == std::u16string::npos
            : *n >= 0 && *n <= 9 && c.toggleDigits.find(key) == std::u16string::npos;
    if (!accepted) continue;
    if (!tables.integritycheck(path)) continue;
    if (c.toggleMode == 2) {
      c.fkeyKeymapNames[static_cast<std::size_t>(*n)] = name;
      c.fkeyToggleSlots.push_back(hexDigit(*n));
    } else {
      c.altKeymapNames[static_cast<std::size_t>(*n)] = name;
      c.toggleDigits += key;
    }
    const std::u16string description = required(entry, u"Language").value() + u" " +
                                       required(entry, u"Keyboard").value() + u" " +
                                       required(entry, u"Encoding").value();
    std::u16string caption = c.toggleMode == 2
                                 ? std::u16string(functionKeyNames[static_cast<std::size_t>(*n)])
                                 : u"Alt+" + key;
    c.mmenu.append(caption + u"  " + description, name);
    language.deriveInputLocaleString(tables.loadingKeymap);
    ++tables.loadingKeymap;
  }
}

void TForm1::createHookComponents() {
  installedHandler_ = handlerFor(catalogue.toggleMode, catalogue.surroundActive);
  if (keyHook_ && mouseHook_) return;  // a second run keeps the running components
  platform::HookPlatform& hooks = platforms_.hooks;
  mouseHook_ = std::make_unique<hooks::TCPMouseHook>(hooks);
  mouseHook_->SetUserHookMsg(hooks.registerWindowMessage(u"mousehook_msg"));
  mouseHook_->SetDisableMouse(false);
  mouseHook_->SetOnMouse(
      [this](hooks::TCPMouseHook&, const hooks::TMouseStates& states) { OnMouseEvent(states); });

  keyHook_ = std::make_unique<hooks::TCPKeyHook>(hooks);
  keyHook_->SetUserHookMsg(hooks.registerWindowMessage(u"keyhook_msg"));
  keyHook_->SetDisableKeyboard(false);
  keyHook_->SetLowLevelHook(true);
  keyHook_->SetHookInjected(false);
  // One dispatcher stays installed; switching keymaps changes which handler
  // it runs, from the next event on.
  keyHook_->SetOnKey([this](hooks::TCPKeyHook&, const hooks::TKeyStates& states,
                            const hooks::TKeyNames& names) { OnKey(states, names); });
}

}  // namespace korimo
