#include "engine/composition.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "engine/engine.h"
#include "engine/written_values.h"
#include "platform/sim/sim_desktop.h"
#include "tests/support/keymap_fixture.h"
#include "tests/support/reference_conversion.h"
#include "tests/support/stream_typer.h"
#include "text/unicode_text.h"
#include "xml/xml_document.h"

namespace korimo {
namespace {

using testing::FixtureEntry;
using testing::TempFolder;

class CompositionTest : public ::testing::Test {
 protected:
  TempFolder folder;
  Engine engine;
};

TEST_F(CompositionTest, ConversionKeptFromKeyToKeyMatchesTheScanFromScratch) {
  std::mt19937 random(7);
  const std::u16string alphabet = u"ab \r";
  auto randomKeys = [&](std::size_t longest) {
    std::u16string keys;
    for (std::size_t n = 1 + random() % longest; n > 0; --n)
      keys.push_back(alphabet[random() % alphabet.size()]);
    return keys;
  };
  for (int round = 0; round < 60; ++round) {
    // Small alphabets make long chains of overlapping and repeated entries.
    std::vector<FixtureEntry> entries;
    for (int i = 0, n = 1 + static_cast<int>(random() % 30); i < n; ++i) {
      std::u16string keys = randomKeys(1 + random() % 8);
      std::string narrow(keys.begin(), keys.end());
      char code[16];
      std::snprintf(code, sizeof code, "%04X", 0x0900 + i);
      entries.push_back({narrow, code, ""});
    }
    ASSERT_TRUE(engine.keymaps.load(1, folder.keymap("random.xml", entries)));
    engine.keymap.activate(1);
    Composition& c = engine.composition;
    std::u16string source;
    for (int step = 0; step < 200; ++step) {
      // Mostly one more key, as typing goes; now and then a fresh start or
      // the same sequence again, as after an undo or a reset.
      const unsigned choice = random() % 10;
      if (choice == 0)
        source = randomKeys(12);
      else if (choice == 1)
        source = source.empty() ? source : source.substr(0, random() % source.size());
      else if (choice > 2)
        source.push_back(alphabet[random() % alphabet.size()]);
      if (source.size() > 40) source.erase(0, 20);
      std::u16string expectedPending = u"unchanged";
      c.pendingKeys = u"unchanged";
      const std::u16string expected =
          testing::referenceConvert(engine.keymap, source, expectedPending);
      ASSERT_EQ(c.convert(source), expected) << "round " << round << " step " << step;
      ASSERT_EQ(c.pendingKeys, expectedPending) << "round " << round << " step " << step;
    }
  }
}

TEST_F(CompositionTest, AnotherKeymapInTheSameSlotIsNotTakenForTheKeptOne) {
  ASSERT_TRUE(engine.keymaps.load(1, folder.keymap("one.xml", {{"k", "0915", ""}})));
  engine.keymap.activate(1);
  EXPECT_EQ(engine.composition.convert(u"k"), u"\u0915");
  ASSERT_TRUE(engine.keymaps.load(1, folder.keymap("two.xml", {{"k", "0916", ""}})));
  engine.keymap.activate(1);
  EXPECT_EQ(engine.composition.convert(u"k"), u"\u0916");
}

std::string shown(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    char item[8];
    std::snprintf(item, sizeof item, c < 0x80 && c >= 0x20 ? "%c" : "<%04X>", c);
    out += item;
  }
  return out;
}

// Every window class ends with the text that plain Backspace deletion gives,
// for the same keys: random streams over each bundled keymap, with and
// without Backspace as undo, made of pieces of the keymap's own sequences,
// single keys, spaces, Enter, Escape and Backspace.
TEST(WindowClasses, EndWithTheSameTextForTheSameKeys) {
  const char* source = std::getenv("KORIMO_SOURCE_DIR");
  ASSERT_NE(source, nullptr);
  std::mt19937 random(2024);
  int keymaps = 0;
  for (const auto& file :
       std::filesystem::directory_iterator(std::filesystem::path(source) / "keymaps" / "Data")) {
    testing::StreamTyper typer;
    ASSERT_TRUE(typer.load(file.path())) << file.path();
    ++keymaps;
    std::vector<std::u16string> sequences;
    const Keymap& keymap = typer.engine().keymaps[1];
    for (std::size_t i = 0; i < static_cast<std::size_t>(keymap.entryCount()); ++i)
      sequences.emplace_back(keymap.inFileOrder(i).keys);
    for (int stream = 0; stream < 60; ++stream) {
      std::u16string keys;
      while (keys.size() < 30) {
        const unsigned pick = random() % 12;
        if (pick < 6)
          keys += sequences[random() % sequences.size()];
        else if (pick < 8)
          keys.push_back(sequences[random() % sequences.size()].front());
        else
          keys.push_back(u" \r\b\x1b"[pick - 8]);
      }
      for (bool surround : {false, true}) {
        const std::u16string expected = typer.type(u"Edit", keys, surround);
        for (std::u16string_view className : testing::StreamTyper::kClasses)
          ASSERT_EQ(shown(typer.type(className, keys, surround)), shown(expected))
              << file.path().filename() << " keys \"" << shown(keys) << "\" surround " << surround
              << " class " << text::utf16ToUtf8(className);
      }
    }
  }
  EXPECT_EQ(keymaps, 35);
}

}  // namespace
}  // namespace korimo
