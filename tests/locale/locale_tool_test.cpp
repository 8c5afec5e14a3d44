#include "locale/locale_tool.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/sim/sim_shell.h"
#include "shell/regional_language.h"
#include "tests/support/keymap_fixture.h"
#include "text/unicode_text.h"
#include "xml/xml_document.h"

namespace korimo::locale_tool {
namespace {

using platform::Hive;
using platform::RegistryValue;

// --- packing and choice --------------------------------------------------

struct PackCase {
  std::u16string id;
  std::u16string layoutId;
  std::optional<std::uint32_t> packed;
};

TEST(PackedLayoutNumber, InterleavesTheLayoutAndItsInputLanguage) {
  const PackCase cases[] = {
      // odd digits a000, even 0c0: the program loads a0000449 and asks for f0c00449
      {u"a0000449", u"00c0", 0xa00c000},
      {u"00010439", u"00C0", 0x000c001},
      {u"00020449", u"0011", 0x0001012},
      // the language's first layout: even digits 000
      {u"00000449", u"", 0x0000000},
      {u"0000044B", u"", 0x0000000},
      {u"e0010411", u"", std::nullopt},  // an input method
      {u"0439", u"", std::nullopt},
      {u"0001043g", u"00c0", std::nullopt},
      {u"00010439", u"1000", std::nullopt},  // more than three digits after f
      {u"00010439", u"00x0", std::nullopt},
  };
  for (const PackCase& c : cases)
    EXPECT_EQ(packedLayoutNumber({c.id, c.layoutId, u""}), c.packed)
        << text::utf16ToUtf8(c.id) << " " << text::utf16ToUtf8(c.layoutId);
}

TEST(LayoutForLanguage, PrefersALayoutWithALayoutIdThenTheLowestIdentifier) {
  const std::vector<KeyboardLayout> layouts = {
      {u"00000439", u"", u"Hindi Traditional"},
      {u"00020439", u"00d0", u"Devanagari second"},
      {u"00010439", u"00c0", u"Devanagari - INSCRIPT"},
      {u"e0200439", u"", u"An input method"},
      {u"00000449", u"", u"Tamil"},
      {u"0000044B", u"", u"Kannada"},
      {u"00010447", u"7000", u"Unpackable"},
  };
  const std::pair<std::u16string, std::u16string> cases[] = {
      {u"0439", u"00010439"}, {u"0449", u"00000449"}, {u"044b", u"0000044B"},
      {u"0446", u""},         {u"0447", u""},         {u"439", u""},
  };
  for (const auto& [language, expected] : cases) {
    auto chosen = layoutForLanguage(language, layouts);
    EXPECT_EQ(chosen ? chosen->id : u"", expected) << text::utf16ToUtf8(language);
  }
}

// --- the whole tool on a simulated registry -------------------------------

std::string keymapText(const std::string& lcid) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Keymap><Header><LCID>" + lcid +
         "</LCID></Header><Data><Entry><Display>0915</Display><Character>0915</Character>"
         "<Keys>6B</Keys></Entry></Data></Keymap>\n";
}

std::string configText(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Config><Local><ToggleMode>1</ToggleMode>"
      "<TKey1>0</TKey1><TKey2>0</TKey2><TextServices>True</TextServices><Surround>True</Surround>"
      "</Local><Keymaps>";
  int key = 0;
  for (const auto& [language, file] : entries) {
    const std::string digit = std::to_string(++key);
    text += "<Entry><Language>" + language + "</Language><Keyboard>K</Keyboard><Encoding>U" +
            "</Encoding><Filename>" + file + "</Filename><TKey1>" + digit + "</TKey1><TKey2>" +
            digit + "</TKey2></Entry>";
  }
  return text + "</Keymaps></Config>\n";
}

class LocaleToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    shell.appFolder = folder.path();
    std::filesystem::create_directories(folder.path() / "Data");
    for (auto [file, lcid] : {std::pair{"hi.xml", "0439"},
                              {"mr.xml", "0439"},
                              {"ta.xml", "0449"},
                              {"pa.xml", "0446"},
                              {"kn.xml", "044B"}})
      folder.write(std::string("Data/") + file, keymapText(lcid));
    folder.write("Data/broken.xml", "<Keymap><Header>");
    folder.write("config.xml", configText({{"Tamil", "ta.xml"},
                                           {"Hindi", "hi.xml"},
                                           {"Marathi", "mr.xml"},
                                           {"Punjabi", "pa.xml"}}));
    layout(u"00000439", u"", u"Hindi Traditional");
    layout(u"00010439", u"00c0", u"Devanagari - INSCRIPT");
    layout(u"00000449", u"", u"Tamil");
    layout(u"0000044b", u"", u"Kannada");
    layout(u"00000409", u"", u"US");
  }

  void layout(const std::u16string& id, const std::u16string& layoutId,
              const std::u16string& text) {
    const std::u16string key = std::u16string(kKeyboardLayoutsKey) + u"\\" + id;
    shell.setRegistry(Hive::LocalMachine, key, u"Layout Text", {RegistryValue::Type::String, text});
    if (!layoutId.empty())
      shell.setRegistry(Hive::LocalMachine, key, u"Layout Id",
                        {RegistryValue::Type::String, layoutId});
  }

  std::optional<std::u16string> product(std::u16string_view name) {
    auto value = shell.readRegistry(Hive::CurrentUser, kProductKey, name);
    if (!value) return std::nullopt;
    return value->text;
  }

  testing::TempFolder folder;
  platform::sim::SimShell shell;
};

TEST_F(LocaleToolTest, WritesEachLanguagesLayoutThenLocalesAndSaysSoOnce) {
  // A value from an earlier run, for a language that has no layout now.
  shell.setRegistry(Hive::CurrentUser, kProductKey, u"0446", {RegistryValue::Type::String, u"7"});

  EXPECT_EQ(runLocaleTool(shell, false), 0);

  EXPECT_EQ(product(u"0439"), u"49153");  // 0x000c001: 00010439, f0c0
  EXPECT_EQ(product(u"0449"), u"0");      // 00000449 has no Layout Id
  EXPECT_EQ(product(u"044B"), u"0");
  EXPECT_EQ(product(u"0446"), std::nullopt);
  EXPECT_EQ(product(u"Locales"), u"1");
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0],
            u"Vantrel Korimo: Input languages for the keymaps:\r\n"
            u"Tamil (0449): Tamil, keyboard layout 00000449\r\n"
            u"Hindi, Marathi (0439): Devanagari - INSCRIPT, keyboard layout 00010439\r\n"
            u"kn.xml (044B): Kannada, keyboard layout 0000044b\r\n"
            u"\r\nNo keyboard layout on this computer for: Punjabi (0446). Add the language in the "
            u"Windows language settings and run Vantrellocale.exe again to use it.\r\n"
            u"\r\nNot keymaps, passed over: broken.xml.\r\n"
            u"\r\n"
            u"Restart Vantrel Korimo to use these settings.");
}

TEST_F(LocaleToolTest, TheProgramLoadsTheChosenLayoutAndAsksForItsInputLanguage) {
  ASSERT_EQ(runLocaleTool(shell, false), 0);
  WindowKeymapList windows(1);
  Catalogue catalogue;
  RegionalLanguage language(shell, windows, catalogue);
  // Each request names an input locale that exists: a variant layout's
  // carries its Layout Id, a language's first layout the language twice,
  // and a language without a layout gets none.
  EXPECT_EQ(language.inputLocaleFor(u"0439"), 0xF0C00439u);
  EXPECT_EQ(language.inputLocaleFor(u"0449"), 0x04490449u);
  EXPECT_EQ(language.inputLocaleFor(u"0446"), 0u);
  // Punjabi's first layout is tried too, and is not there.
  const std::vector<std::pair<std::u16string, std::uint32_t>> loaded = {
      {u"00010439", platform::kKlfNoTellShell},
      {u"00000449", platform::kKlfNoTellShell},
      {u"00000446", platform::kKlfNoTellShell}};
  EXPECT_EQ(shell.loadedLayouts, loaded);
}

TEST_F(LocaleToolTest, ARegistryThatRefusesTheWritesLeavesLocalesUnset) {
  shell.registryReadOnly = true;
  EXPECT_EQ(runLocaleTool(shell, false), 1);
  EXPECT_EQ(product(u"Locales"), std::nullopt);
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_TRUE(shell.messages[0].ends_with(
      u"Could not write to HKEY_CURRENT_USER\\SOFTWARE\\Vantrel\\Korimo (0449, 0439, 0446, 044B)."
      u" Vantrel Korimo will start this tool again at its next start."));
}

TEST_F(LocaleToolTest, NoKeymapsAndNoConfigurationStillFinish) {
  std::filesystem::remove_all(folder.path() / "Data");
  std::filesystem::remove(folder.path() / "config.xml");
  EXPECT_EQ(runLocaleTool(shell, false), 0);
  EXPECT_EQ(product(u"Locales"), u"1");
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0],
            u"Vantrel Korimo: No keymaps were found in the Data folder.\r\n\r\n"
            u"Restart Vantrel Korimo to use these settings.");
}

TEST_F(LocaleToolTest, QuietlyItWritesTheSameValuesAndShowsNothing) {
  EXPECT_EQ(runLocaleTool(shell, true), 0);
  EXPECT_EQ(product(u"0439"), u"49153");
  EXPECT_EQ(product(u"Locales"), u"1");
  EXPECT_TRUE(shell.messages.empty());
}

TEST(LocaleToolArguments, QuietOnlyForTheWholeSwitchInAnyCase) {
  const std::pair<std::u16string_view, bool> cases[] = {
      {u"", false},         {u"/quiet", true},    {u"/QUIET", true}, {u"  /Quiet  ", true},
      {u"/S /quiet", true}, {u"/quieter", false}, {u"quiet", false}, {u"\"/quiet x\"", false},
  };
  for (const auto& [arguments, quiet] : cases)
    EXPECT_EQ(quietRequested(arguments), quiet) << std::string(arguments.begin(), arguments.end());
}

}  // namespace
}  // namespace korimo::locale_tool
