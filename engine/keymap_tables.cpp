#include "engine/keymap_tables.h"

#include <algorithm>
#include <string_view>

#include "engine/globalroutines.h"
#include "xml/xml_document.h"

namespace korimo {
namespace {

using xml::XmlElement;

// A required failure of the file, carrying the reason to the caller.
struct KeymapFault {
  std::string what;
};

std::string narrow(std::u16string_view text) {
  try {
    return xml::utf16ToUtf8(text);
  } catch (const xml::XmlError&) {
    return "?";
  }
}

const XmlElement& required(const XmlElement& parent, std::u16string_view name,
                           const std::string& where) {
  const XmlElement* child = parent.childByName(name);
  if (!child) throw KeymapFault{where + "missing " + narrow(name) + " element"};
  return *child;
}

bool isHex(char16_t c) {
  return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// Checks a text made of groups of `width` hexadecimal digits.
std::string checkGroups(std::u16string_view text, std::size_t width, const char* element) {
  auto quoted = [&] { return std::string(element) + " \"" + narrow(text) + "\""; };
  if (text.size() % width != 0)
    return quoted() + ": length " + std::to_string(text.size()) + " is not a multiple of " +
           std::to_string(width);
  for (std::size_t i = 0; i < text.size(); i += width)
    for (std::size_t j = i; j < i + width; ++j)
      if (!isHex(text[j]))
        return quoted() + ": group " + std::to_string(i / width + 1) + " \"" +
               narrow(text.substr(i, width)) + "\" is not hexadecimal";
  return {};
}

struct ParsedKeymap {
  xml::XmlDocument document;
  const XmlElement* header = nullptr;
  const XmlElement* data = nullptr;
};

ParsedKeymap openKeymap(const std::filesystem::path& path) {
  ParsedKeymap parsed{xml::XmlDocument::load(path)};
  const XmlElement& root = parsed.document.root();
  parsed.data = &required(root, u"Data", "");
  parsed.header = &required(root, u"Header", "");
  required(*parsed.header, u"LCID", "Header: ");
  return parsed;
}

struct EntryValues {
  const std::u16string& display;
  const std::u16string& character;
  const std::u16string& keys;
};

EntryValues entryValues(const XmlElement& entry, std::size_t index) {
  std::string where = "entry " + std::to_string(index + 1) + ": ";
  return {required(entry, u"Display", where).value(), required(entry, u"Character", where).value(),
          required(entry, u"Keys", where).value()};
}

template <typename Body>
bool guarded(std::string* why, Body body) {
  try {
    body();
    return true;
  } catch (const KeymapFault& fault) {
    if (why) *why = fault.what;
  } catch (const xml::XmlError& error) {
    if (why) *why = error.what();
  } catch (const std::exception& error) {
    if (why) *why = error.what();
  }
  return false;
}

}  // namespace

std::string validateEntry(std::u16string_view display, std::u16string_view character,
                          std::u16string_view keys, std::u16string* decodedKeys) {
  if (auto fault = checkGroups(display, 4, "Display"); !fault.empty()) return fault;
  if (auto fault = checkGroups(character, 4, "Character"); !fault.empty()) return fault;
  if (auto fault = checkGroups(keys, 2, "Keys"); !fault.empty()) return fault;
  if (decodedKeys) {
    decodedKeys->clear();
    for (std::size_t i = 0; i < keys.size(); i += 2)
      decodedKeys->push_back(static_cast<char16_t>(hexToInt(keys.substr(i, 2))));
  }
  return {};
}

int KeymapTables::entryCount(int keymap) const {
  return std::stoi(xml::utf16ToUtf8(cell(keymap, kDisplay, 0)));
}

int KeymapTables::longestKeys(int keymap) const {
  return std::stoi(xml::utf16ToUtf8(cell(keymap, kCharacter, 0)));
}

void KeymapTables::resizeTables(int keymaps) {
  auto size =
      static_cast<std::size_t>(std::max<int>(keymaps, static_cast<int>(keymapTables.size())));
  keymapTables.resize(size);
  keymapTablesCopy.resize(size);
  keymapSmp.resize(size, false);
  for (auto* tables : {&keymapTables, &keymapTablesCopy})
    for (KeymapTable& table : *tables)
      for (auto& column : table) column.resize(static_cast<std::size_t>(tableCapacity) + 1);
}

bool KeymapTables::integritycheck(const std::filesystem::path& path, std::string* why) {
  return guarded(why, [&] {
    ParsedKeymap parsed = openKeymap(path);
    const int k = loadingKeymap;
    const auto n = static_cast<int>(parsed.data->childCount());
    const int padded = paddedCountFor(n);
    if (tableCapacity < padded) tableCapacity = padded;
    resizeTables(k + 1);

    KeymapTable& sorted = keymapTables[static_cast<std::size_t>(k)];
    KeymapTable& copy = keymapTablesCopy[static_cast<std::size_t>(k)];
    const std::u16string& lcid = parsed.header->childByName(u"LCID")->value();
    std::u16string count = xml::utf8ToUtf16(std::to_string(n));
    for (KeymapTable* table : {&sorted, &copy}) {
      (*table)[kDisplay][0] = count;
      (*table)[kCharacter][0] = u"0";
      (*table)[kKeys][0] = lcid;
    }
    const XmlElement* smp = parsed.header->childByName(u"SMP");
    keymapSmp[static_cast<std::size_t>(k)] = smp ? smp->valueAsBool(false) : false;

    std::size_t longest = 0;
    std::u16string decoded;
    for (int i = 0; i < n; ++i) {
      EntryValues entry =
          entryValues(parsed.data->child(static_cast<std::size_t>(i)), static_cast<std::size_t>(i));
      std::string fault = validateEntry(entry.display, entry.character, entry.keys, &decoded);
      if (!fault.empty()) throw KeymapFault{"entry " + std::to_string(i + 1) + ": " + fault};
      const auto row = static_cast<std::size_t>(i + 1);
      for (KeymapTable* table : {&sorted, &copy}) {
        (*table)[kDisplay][row] = entry.display;
        (*table)[kCharacter][row] = entry.character;
        (*table)[kKeys][row] = decoded;
      }
      if (decoded.size() > longest) {
        longest = decoded.size();
        std::u16string text = xml::utf8ToUtf16(std::to_string(longest));
        sorted[kCharacter][0] = text;
        copy[kCharacter][0] = text;
      }
    }
    if (n >= 2) QuickSort(k, 1, n);
    for (int row = n + 1; row <= padded; ++row)
      for (KeymapTable* table : {&sorted, &copy})
        for (auto& column : *table) column[static_cast<std::size_t>(row)].clear();
  });
}

bool KeymapTables::integritycheck1(const std::filesystem::path& path, std::string* why) {
  return guarded(why, [&] {
    ParsedKeymap parsed = openKeymap(path);
    validatedLcid = parsed.header->childByName(u"LCID")->value();
    for (std::size_t i = 0; i < parsed.data->childCount(); ++i) {
      EntryValues entry = entryValues(parsed.data->child(i), i);
      std::string fault = validateEntry(entry.display, entry.character, entry.keys, nullptr);
      if (!fault.empty()) throw KeymapFault{"entry " + std::to_string(i + 1) + ": " + fault};
    }
  });
}

// Hoare partitioning around the middle row, exactly so: the order it leaves
// equal key sequences in decides which of them the halving search meets.
void KeymapTables::QuickSort(int keymap, int lo, int hi) {
  KeymapTable& table = keymapTables[static_cast<std::size_t>(keymap)];
  auto& keys = table[kKeys];
  auto at = [](int row) { return static_cast<std::size_t>(row); };
  const std::u16string pivot = keys[at((lo + hi) / 2)];
  int i = lo;
  int j = hi;
  do {
    while (keysLess(keys[at(i)], pivot)) ++i;
    while (keysLess(pivot, keys[at(j)])) --j;
    if (i <= j) {
      for (auto& column : table) std::swap(column[at(i)], column[at(j)]);
      ++i;
      --j;
    }
  } while (i <= j);
  if (lo < j) QuickSort(keymap, lo, j);
  if (i < hi) QuickSort(keymap, i, hi);
}

}  // namespace korimo
