#pragma once
// Keymaps and key streams for the benchmarks: syllables of Devanagari
// consonants and vowel signs, about 100, about 3,000 or about 30,000 entries.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace korimo::bench {

inline const std::vector<std::pair<std::string, int>> kConsonants = {
    {"k", 0x15}, {"kh", 0x16}, {"g", 0x17},  {"gh", 0x18}, {"ch", 0x1A}, {"Ch", 0x1B},
    {"j", 0x1C}, {"jh", 0x1D}, {"T", 0x1F},  {"Th", 0x20}, {"D", 0x21},  {"Dh", 0x22},
    {"N", 0x23}, {"t", 0x24},  {"th", 0x25}, {"d", 0x26},  {"dh", 0x27}, {"n", 0x28},
    {"p", 0x2A}, {"ph", 0x2B}, {"b", 0x2C},  {"bh", 0x2D}, {"m", 0x2E},  {"y", 0x2F},
    {"r", 0x30}, {"l", 0x32},  {"v", 0x35},  {"sh", 0x36}, {"Sh", 0x37}, {"s", 0x38},
    {"h", 0x39}};
inline const std::vector<std::pair<std::string, int>> kVowelSigns = {
    {"a", 0},     {"aa", 0x3E}, {"i", 0x3F},  {"ii", 0x40}, {"u", 0x41},
    {"uu", 0x42}, {"e", 0x47},  {"ai", 0x48}, {"o", 0x4B},  {"au", 0x4C}};

inline std::string code(int low) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "09%02X", low);
  return buffer;
}

inline std::string keysHex(const std::string& keys) {
  std::string hex;
  char buffer[3];
  for (unsigned char c : keys) {
    std::snprintf(buffer, sizeof buffer, "%02X", c);
    hex += buffer;
  }
  return hex;
}

// Syllables of the first `consonants` consonants: consonant alone (with
// virama), with each vowel sign, and, for the large keymaps, two-consonant
// conjuncts with each vowel sign, then three-consonant ones up to the limit.
inline std::filesystem::path writeKeymap(std::size_t consonants, bool conjuncts,
                                         std::size_t limit) {
  std::vector<std::pair<std::string, std::string>> entries;
  auto syllables = [&](const std::string& keys, const std::string& base) {
    entries.push_back({keys, base + "094D"});
    for (const auto& [vk, sign] : kVowelSigns)
      entries.push_back({keys + vk, sign ? base + code(sign) : base});
  };
  for (std::size_t i = 0; i < consonants; ++i)
    syllables(kConsonants[i].first, code(kConsonants[i].second));
  if (conjuncts)
    for (std::size_t i = 0; i < consonants && entries.size() < limit; ++i)
      for (std::size_t j = 0; j < consonants && entries.size() < limit; ++j)
        syllables(kConsonants[i].first + kConsonants[j].first,
                  code(kConsonants[i].second) + "094D" + code(kConsonants[j].second));
  if (conjuncts)
    for (std::size_t i = 0; i < consonants && entries.size() < limit; ++i)
      for (std::size_t j = 0; j < consonants && entries.size() < limit; ++j)
        for (std::size_t k = 0; k < consonants && entries.size() < limit; ++k)
          syllables(kConsonants[i].first + kConsonants[j].first + kConsonants[k].first,
                    code(kConsonants[i].second) + "094D" + code(kConsonants[j].second) + "094D" +
                        code(kConsonants[k].second));
  if (entries.size() > limit) entries.resize(limit);

  auto path = std::filesystem::temp_directory_path() /
              ("korimo-bench-" + std::to_string(entries.size()) + ".xml");
  std::ofstream out(path, std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Keymap>\n  <Header>\n    <LCID>0439</LCID>\n"
         "  </Header>\n  <Data>\n";
  for (const auto& [keys, character] : entries)
    out << "    <Entry><Display>" << character << "</Display><Character>" << character
        << "</Character><Keys>" << keysHex(keys) << "</Keys></Entry>\n";
  out << "  </Data>\n</Keymap>\n";
  return path;
}

inline const std::filesystem::path& smallKeymap() {
  static const auto path = writeKeymap(9, false, 100);  // 9 x 11 = 99 entries
  return path;
}
inline const std::filesystem::path& largeKeymap() {
  static const auto path = writeKeymap(kConsonants.size(), true, 3000);
  return path;
}

inline const std::filesystem::path& hugeKeymap() {
  static const auto path = writeKeymap(kConsonants.size(), true, 30000);
  return path;
}

// Words of two to four syllables over the consonants both keymaps know.
inline std::string wordStream() {
  std::mt19937 random(42);
  std::string text;
  while (text.size() < 20000) {
    for (int s = 2 + static_cast<int>(random() % 3); s > 0; --s) {
      text += kConsonants[random() % 9].first;
      text += kVowelSigns[random() % kVowelSigns.size()].first;
    }
    text += ' ';
  }
  return text;
}

// A typist's key stream of `keys` keys: words of one to four syllables over
// every consonant, now and then a two-consonant conjunct, a space after each
// word, and about one key in ten a Backspace that takes back a mistyped key.
inline std::string typingStream(std::size_t keys) {
  std::mt19937 random(2026);
  std::string text;
  auto key = [&](char c) {
    if (text.size() < keys) text += c;
    if (text.size() < keys && random() % 9 == 0) {
      text += static_cast<char>('a' + random() % 26);  // a slip, taken back
      if (text.size() < keys) text += '\b';
    }
  };
  while (text.size() < keys) {
    for (int s = 1 + static_cast<int>(random() % 4); s > 0; --s) {
      std::string syllable = kConsonants[random() % kConsonants.size()].first;
      if (random() % 5 == 0) syllable += kConsonants[random() % kConsonants.size()].first;
      syllable += kVowelSigns[random() % kVowelSigns.size()].first;
      for (char c : syllable) key(c);
    }
    key(' ');
  }
  return text;
}

}  // namespace korimo::bench
