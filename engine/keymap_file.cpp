#include "engine/keymap_file.h"

#include <algorithm>

#include "engine/written_values.h"
#include "text/unicode_text.h"
#include "xml/xml_document.h"

namespace korimo {
namespace {

// A required failure of the file, carrying the reason to the caller.
struct KeymapFault {
  std::string what;
};

std::string narrow(std::u16string_view text) {
  try {
    return text::utf16ToUtf8(text);
  } catch (const text::EncodingError&) {
    return "?";
  }
}

// The text as it is quoted in a reason, cut short when it is long.
std::string quotedValue(const char* element, std::u16string_view text) {
  constexpr std::size_t kShown = 40;
  return std::string(element) + " \"" + narrow(text.substr(0, kShown)) +
         (text.size() > kShown ? "...\"" : "\"");
}

// A code string's surrogates: each high one followed by a low one, no low one
// alone, and pairs only where the keymap declares supplementary-plane text.
std::string checkSurrogates(std::u16string_view codes, const char* element, bool pairsAllowed) {
  const std::size_t groups = groupCount(codes);
  for (std::size_t g = 0; g < groups; ++g) {
    // The groups are hexadecimal, checked before.
    const auto unit = static_cast<char32_t>(groupUnit(group(codes, g)));
    if (!text::isSurrogate(unit)) continue;
    if (text::isLowSurrogate(unit) || g + 1 == groups ||
        !text::isLowSurrogate(static_cast<char32_t>(groupUnit(group(codes, g + 1)))))
      return quotedValue(element, codes) + ": group " + std::to_string(g + 1) + " \"" +
             narrow(group(codes, g)) + "\" is a lone surrogate";
    if (!pairsAllowed)
      return quotedValue(element, codes) + ": groups " + std::to_string(g + 1) + " and " +
             std::to_string(g + 2) +
             " make a character outside the Basic Multilingual Plane, which a keymap types "
             "only with <SMP>True</SMP> in its Header";
    ++g;
  }
  return {};
}

// Checks a text made of groups of `width` hexadecimal digits.
std::string checkGroups(std::u16string_view text, std::size_t width, const char* element) {
  auto quoted = [&] { return quotedValue(element, text); };
  if (text.size() % width != 0)
    return quoted() + ": length " + std::to_string(text.size()) + " is not a multiple of " +
           std::to_string(width);
  for (std::size_t i = 0; i < text.size(); i += width)
    for (std::size_t j = i; j < i + width; ++j)
      if (!text::isHexDigit(text[j]))
        return quoted() + ": group " + std::to_string(i / width + 1) + " \"" +
               narrow(text.substr(i, width)) + "\" is not hexadecimal";
  return {};
}

bool nameIs(std::string_view name, std::string_view lowerCase) {
  if (name.size() != lowerCase.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char c = (name[i] >= 'A' && name[i] <= 'Z') ? static_cast<char>(name[i] + 32) : name[i];
    if (c != lowerCase[i]) return false;
  }
  return true;
}

// What the load and the check read of a keymap file, gathered as the file
// is read instead of kept as a document tree: the first Header and Data
// children of the root, the first LCID and SMP of that Header, and of each
// child of that Data (an entry) its first Display, Character and Keys, each
// found by name without regard to letter case. The values of the entries
// lie one after another in one buffer.
class KeymapReader : public xml::XmlHandler {
 public:
  enum Value : int { DisplayValue = 0, CharacterValue = 1, KeysValue = 2 };
  struct Entry {
    std::uint32_t at[3] = {};
    std::uint32_t length[3] = {};
    bool present[3] = {};
  };

  explicit KeymapReader(const std::filesystem::path& path) { xml::readDocument(path, *this); }

  bool hasData = false;
  bool hasHeader = false;
  bool hasLcid = false;
  bool hasSmp = false;
  bool hasLanguage = false;
  bool hasKeyboard = false;
  bool hasEncoding = false;
  std::u16string lcid;
  std::u16string smp;
  std::u16string language;
  std::u16string keyboard;
  std::u16string encoding;
  std::vector<Entry> entries;

  std::u16string_view value(const Entry& entry, Value which) const {
    return std::u16string_view(values_).substr(entry.at[which], entry.length[which]);
  }

 private:
  enum class Role {
    Other,
    Data,
    Header,
    Entry,
    Lcid,
    Smp,
    Language,
    Keyboard,
    Encoding,
    Display,
    Character,
    Keys
  };

  void startElement(std::string_view name) override {
    const Role parent = roles_.empty() ? Role::Other : roles_.back();
    Role role = Role::Other;
    if (roles_.size() == 1) {  // a child of the root
      if (!hasData && nameIs(name, "data")) role = Role::Data, hasData = true;
      if (!hasHeader && nameIs(name, "header")) role = Role::Header, hasHeader = true;
    } else if (parent == Role::Data) {
      role = Role::Entry;
      entries.emplace_back();
    } else if (parent == Role::Header) {
      if (!hasLcid && nameIs(name, "lcid")) role = Role::Lcid, hasLcid = true;
      if (!hasSmp && nameIs(name, "smp")) role = Role::Smp, hasSmp = true;
      if (!hasLanguage && nameIs(name, "language")) role = Role::Language, hasLanguage = true;
      if (!hasKeyboard && nameIs(name, "keyboard")) role = Role::Keyboard, hasKeyboard = true;
      if (!hasEncoding && nameIs(name, "encoding")) role = Role::Encoding, hasEncoding = true;
    } else if (parent == Role::Entry) {
      Entry& entry = entries.back();
      if (!entry.present[DisplayValue] && nameIs(name, "display"))
        role = Role::Display, entry.present[DisplayValue] = true;
      if (!entry.present[CharacterValue] && nameIs(name, "character"))
        role = Role::Character, entry.present[CharacterValue] = true;
      if (!entry.present[KeysValue] && nameIs(name, "keys"))
        role = Role::Keys, entry.present[KeysValue] = true;
    }
    roles_.push_back(role);
  }

  void endElement(std::u16string& text) override {
    const Role role = roles_.back();
    roles_.pop_back();
    switch (role) {
      case Role::Lcid: lcid = text; break;
      case Role::Smp: smp = text; break;
      case Role::Language: language = text; break;
      case Role::Keyboard: keyboard = text; break;
      case Role::Encoding: encoding = text; break;
      case Role::Display: keep(DisplayValue, text); break;
      case Role::Character: keep(CharacterValue, text); break;
      case Role::Keys: keep(KeysValue, text); break;
      default: break;
    }
  }

  void keep(Value which, const std::u16string& text) {
    Entry& entry = entries.back();
    entry.at[which] = static_cast<std::uint32_t>(values_.size());
    entry.length[which] = static_cast<std::uint32_t>(text.size());
    values_ += text;
  }

  std::vector<Role> roles_;
  std::u16string values_;
};

// The file read, with the faults of its structure raised in the order in
// which a look at the document finds them.
KeymapReader openKeymap(const std::filesystem::path& path) {
  KeymapReader file(path);
  if (!file.hasData) throw KeymapFault{"missing Data element"};
  if (!file.hasHeader) throw KeymapFault{"missing Header element"};
  if (!file.hasLcid) throw KeymapFault{"Header: missing LCID element"};
  if (file.entries.size() > kMaxKeymapEntries)
    throw KeymapFault{"Data has " + std::to_string(file.entries.size()) +
                      " entries; a keymap may have at most " + std::to_string(kMaxKeymapEntries)};
  return file;
}

// The Boolean value of SMP (true for T or Y, false for F or N, in either
// case), false when it is missing or says neither.
bool smpOf(const KeymapReader& file) {
  if (!file.hasSmp || file.smp.empty()) return false;
  const char16_t first = file.smp[0];
  return first == u't' || first == u'T' || first == u'y' || first == u'Y';
}

struct EntryValues {
  std::u16string_view display;
  std::u16string_view character;
  std::u16string_view keys;
};

EntryValues entryValues(const KeymapReader& file, std::size_t index) {
  const KeymapReader::Entry& entry = file.entries[index];
  const char* names[] = {"Display", "Character", "Keys"};
  for (int which = 0; which < 3; ++which)
    if (!entry.present[which])
      throw KeymapFault{"entry " + std::to_string(index + 1) + ": missing " + names[which] +
                        " element"};
  return {file.value(entry, KeymapReader::DisplayValue),
          file.value(entry, KeymapReader::CharacterValue),
          file.value(entry, KeymapReader::KeysValue)};
}

// The units of groups of width hexadecimal digits (the text is checked).
std::u16string decoded(std::u16string_view hex, std::size_t width) {
  std::u16string text;
  text.reserve(hex.size() / width);
  for (std::size_t i = 0; i < hex.size(); i += width) {
    unsigned value = 0;
    for (std::size_t j = i; j < i + width; ++j)
      value = value * 16 + static_cast<unsigned>(text::hexDigitValue(hex[j]));
    text.push_back(static_cast<char16_t>(value));
  }
  return text;
}

}  // namespace

std::string checkEntry(std::u16string_view display, std::u16string_view character,
                       std::u16string_view keys, bool smp) {
  if (auto fault = checkGroups(display, 4, "Display"); !fault.empty()) return fault;
  if (auto fault = checkGroups(character, 4, "Character"); !fault.empty()) return fault;
  if (auto fault = checkGroups(keys, 2, "Keys"); !fault.empty()) return fault;
  // Display is only shown, so it may hold any whole character; Character is
  // typed, and a keymap without the SMP flag replaces text unit by unit.
  if (auto fault = checkSurrogates(display, "Display", true); !fault.empty()) return fault;
  if (auto fault = checkSurrogates(character, "Character", smp); !fault.empty()) return fault;
  if (keys.size() / 2 > kMaxKeyLength)
    return quotedValue("Keys", keys) + ": " + std::to_string(keys.size() / 2) +
           " keys; a key sequence may have at most " + std::to_string(kMaxKeyLength);
  return {};
}

std::size_t KeymapFile::longestKeys() const {
  std::size_t longest = 0;
  for (const KeymapEntry& entry : entries) longest = std::max(longest, entry.keys.size());
  return longest;
}

std::optional<KeymapFile> readKeymapFile(const std::filesystem::path& path, std::string* why) {
  try {
    const KeymapReader reader = openKeymap(path);
    KeymapFile file;
    file.lcid = reader.lcid;
    file.smp = smpOf(reader);
    file.language = reader.language;
    file.keyboard = reader.keyboard;
    file.encoding = reader.encoding;
    file.entries.reserve(reader.entries.size());
    for (std::size_t i = 0; i < reader.entries.size(); ++i) {
      const EntryValues entry = entryValues(reader, i);
      const std::string fault = checkEntry(entry.display, entry.character, entry.keys, file.smp);
      if (!fault.empty()) throw KeymapFault{"entry " + std::to_string(i + 1) + ": " + fault};
      file.entries.push_back(
          {decoded(entry.keys, 2), decoded(entry.display, 4), decoded(entry.character, 4)});
    }
    return file;
  } catch (const KeymapFault& fault) {
    if (why) *why = fault.what;
  } catch (const xml::XmlError& error) {
    if (why) *why = error.reason();  // the caller names the file
  } catch (const std::exception& error) {
    if (why) *why = error.what();
  }
  return std::nullopt;
}

}  // namespace korimo
