#pragma once
// Small keymap files written on the fly into a private temporary folder.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace korimo::testing {

struct FixtureEntry {
  std::string keys;       // the key characters, written as two-digit groups
  std::string character;  // code string
  std::string display;    // code string; empty means the same as character
};

inline std::string keysHex(const std::string& keys) {
  std::string hex;
  char buffer[3];
  for (unsigned char c : keys) {
    std::snprintf(buffer, sizeof buffer, "%02X", c);
    hex += buffer;
  }
  return hex;
}

class TempFolder {
 public:
  TempFolder() {
    std::random_device seed;
    path_ = std::filesystem::temp_directory_path() /
            ("korimo-test-" + std::to_string(seed()) + std::to_string(seed()));
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  std::filesystem::path write(const std::string& name, const std::string& text) const {
    std::filesystem::path file = path_ / name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }

  // A keymap file with the given entries, in file order.
  std::filesystem::path keymap(const std::string& name, const std::vector<FixtureEntry>& entries,
                               bool smp = false) const {
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Keymap>\n  <Header>\n"
        "    <LCID>0439</LCID>\n";
    if (smp) text += "    <SMP>True</SMP>\n";
    text += "  </Header>\n  <Data>\n";
    for (const FixtureEntry& e : entries)
      text += "    <Entry><Display>" + (e.display.empty() ? e.character : e.display) +
              "</Display><Character>" + e.character + "</Character><Keys>" + keysHex(e.keys) +
              "</Keys></Entry>\n";
    text += "  </Data>\n</Keymap>\n";
    return write(name, text);
  }

 private:
  std::filesystem::path path_;
};

// The worked example: k, ka, kaa, ksh, s, sa.
inline const std::vector<FixtureEntry> kSixEntries = {
    {"k", "0915094D", ""},   {"ka", "0915", ""},    {"kaa", "0915093E", ""},
    {"ksh", "0937094D", ""}, {"s", "0938094D", ""}, {"sa", "0938", ""}};

}  // namespace korimo::testing
