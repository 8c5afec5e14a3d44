#include "settings/configuration.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "tests/support/keymap_fixture.h"
#include "text/unicode_text.h"

namespace korimo {
namespace {

using testing::TempFolder;

std::string contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class ConfigurationTest : public ::testing::Test {
 protected:
  TempFolder folder;
  void SetUp() override {
    std::filesystem::create_directories(folder.path() / "Data");
    for (const char* name : {"hi.xml", "ta.xml"}) folder.write(std::string("Data/") + name, "x");
  }
  Configuration sample() {
    Configuration c;
    c.toggleMode = ToggleMode::FunctionKeys;
    c.tkey1 = 7;
    c.tkey2 = 11;
    c.textServices = false;
    c.surround = true;
    c.entries = {{u"Hindi", u"Phonetic", u"Unicode", u"hi.xml", u"1", u"None"},
                 {u"Tamil", u"InScript", u"Unicode", u"ta.xml", u"None", u"10"}};
    return c;
  }
};

TEST_F(ConfigurationTest, WrittenInTheReadableLayoutAndReadBackUnchanged) {
  saveConfiguration(sample(), folder.path());
  const std::string text = contents(folder.path() / "Config.xml");
  EXPECT_EQ(text.substr(0, text.find("<Keymaps>")),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Config>\r\n  <Local>\r\n"
            "    <ToggleMode>2</ToggleMode>\r\n    <TKey1>7</TKey1>\r\n    <TKey2>11</TKey2>\r\n"
            "    <TextServices>False</TextServices>\r\n    <Surround>True</Surround>\r\n"
            "  </Local>\r\n  ");
  EXPECT_NE(text.find("      <TKey2>10</TKey2>\r\n"), std::string::npos);
  EXPECT_EQ(readConfiguration(folder.path()), sample());

  // Saving what was read writes the same file again.
  saveConfiguration(readConfiguration(folder.path()), folder.path());
  EXPECT_EQ(contents(folder.path() / "Config.xml"), text);
}

TEST_F(ConfigurationTest, AFailedSaveLeavesThePreviousFileIntact) {
  saveConfiguration(sample(), folder.path());
  const std::string before = contents(folder.path() / "Config.xml");
  // The new file cannot be written: a folder stands where it would go.
  std::filesystem::create_directory(folder.path() / "Config.xml.new");
  Configuration changed = sample();
  changed.toggleMode = ToggleMode::Alt;
  EXPECT_ANY_THROW(saveConfiguration(changed, folder.path()));
  EXPECT_EQ(contents(folder.path() / "Config.xml"), before);
}

TEST_F(ConfigurationTest, ReplacesAnExistingFileWhateverTheCaseOfItsName) {
  folder.write("config.xml", "<Config><Local/><Keymaps/></Config>");
  saveConfiguration(sample(), folder.path());
  EXPECT_FALSE(
      std::filesystem::exists(folder.path() / "Config.xml") &&
      std::filesystem::exists(folder.path() / "config.xml") &&
      !std::filesystem::equivalent(folder.path() / "Config.xml", folder.path() / "config.xml"));
  EXPECT_EQ(readConfiguration(folder.path()), sample());
}

TEST_F(ConfigurationTest, AUtf16FileIsRefusedAsSuch) {
  // As an editor saves it "as Unicode": UTF-16 with a byte order mark.
  std::string text = "\xFF\xFE";
  for (char c : std::string("<Config/>")) text += std::string{c, '\0'};
  folder.write("config.xml", text);
  try {
    readConfiguration(folder.path());
    ADD_FAILURE() << "read a UTF-16 file";
  } catch (const xml::XmlError& error) {
    EXPECT_NE(std::string(error.what()).find("the file is UTF-16; save it as UTF-8"),
              std::string::npos)
        << error.what();
  }
}

TEST_F(ConfigurationTest, ReaderTakesDefaultsForWhatItCannotUse) {
  folder.write("config.xml",
               "<Config><Local><ToggleMode>abc</ToggleMode><TKey1>3</TKey1>"
               "<TextServices>1</TextServices><Surround>no</Surround></Local><Keymaps>"
               "<Entry><Language>Hindi</Language><Keyboard>K</Keyboard><Encoding>U</Encoding>"
               "<Filename>hi.xml</Filename><TKey1>Null</TKey1><TKey2>12</TKey2></Entry>"
               "<Entry><Language>Gone</Language><Keyboard>K</Keyboard><Encoding>U</Encoding>"
               "<Filename>missing.xml</Filename><TKey1>2</TKey1><TKey2>2</TKey2></Entry>"
               "</Keymaps></Config>");
  Configuration c = readConfiguration(folder.path());
  EXPECT_EQ(c.toggleMode, ToggleMode::Alt);
  EXPECT_EQ(c.tkey1, 3);
  EXPECT_EQ(c.tkey2, 0);
  EXPECT_TRUE(c.textServices);
  EXPECT_FALSE(c.surround);
  ASSERT_EQ(c.entries.size(), 1u);  // the entry without its keymap file is left out
  EXPECT_EQ(c.entries[0].tkey1, u"0");
  EXPECT_EQ(c.entries[0].tkey2, u"12");
}

TEST(KeymapFileName, OnlyAPlainNameInsideTheDataFolderIsOne) {
  for (std::u16string_view name : {u"Hindi-Phonetic.xml", u"\u0939\u093F\u0902.xml", u"a b.xml",
                                   u"x", u".hidden.xml", u"con-text.xml", u"COM10.xml"})
    EXPECT_TRUE(isKeymapFileName(name)) << text::utf16ToUtf8(std::u16string(name));
  for (std::u16string_view name : {u"",
                                   u".",
                                   u"..",
                                   u"../x.xml",
                                   u"..\\x.xml",
                                   u"Data/x.xml",
                                   u"C:\\x.xml",
                                   u"C:x.xml",
                                   u"\\\\host\\share\\x.xml",
                                   u"x.xml:stream",
                                   u"x.xml.",
                                   u"x.xml ",
                                   u"CON.xml",
                                   u"nul",
                                   u"Com1.xml",
                                   u"LPT9",
                                   u"a\tb.xml",
                                   u"a?.xml",
                                   u"a*.xml",
                                   u"a|b.xml",
                                   u"<a>.xml"})
    EXPECT_FALSE(isKeymapFileName(name)) << text::utf16ToUtf8(std::u16string(name));
}

TEST_F(ConfigurationTest, ReaderLeavesOutNamesOutsideTheDataFolder) {
  std::filesystem::create_directories(folder.path() / "Data");
  folder.write("outside.xml", "<Keymap/>");
  folder.write("Data/hi.xml", "<Keymap/>");
  auto entry = [](const std::string& file) {
    return "<Entry><Language>L</Language><Keyboard>K</Keyboard><Encoding>U</Encoding><Filename>" +
           file + "</Filename><TKey1>1</TKey1><TKey2>1</TKey2></Entry>";
  };
  folder.write("config.xml", "<Config><Local/><Keymaps>" + entry("../outside.xml") +
                                 entry("hi.xml") + "</Keymaps></Config>");
  Configuration c = readConfiguration(folder.path());
  ASSERT_EQ(c.entries.size(), 1u);
  EXPECT_EQ(c.entries[0].filename, u"hi.xml");
}

// A file this version writes, with where not to type in it, reads as the same
// file without it: the settings reader and the start-up loader look Local and
// Keymaps up by name and read no other element of the root, as the versions
// before did. (Their code for Local and Keymaps is unchanged here.)
TEST_F(ConfigurationTest, AFileWithTheNeverTypeListReadsAsOneWithout) {
  Configuration c = sample();
  c.neverTypeIn = {u"cmd.exe", u"Code.exe"};
  c.pauseInFullScreen = false;
  saveConfiguration(c, folder.path());
  const std::string written = contents(folder.path() / "Config.xml");
  const std::size_t from = written.find("  <Pause>");
  const std::size_t to = written.find("</Config>");
  ASSERT_NE(from, std::string::npos);
  EXPECT_EQ(written.substr(from),
            "  <Pause>\r\n    <FullScreen>False</FullScreen>\r\n"
            "    <Program>cmd.exe</Program>\r\n"
            "    <Program>Code.exe</Program>\r\n  </Pause>\r\n</Config>\r\n");
  EXPECT_EQ(readConfiguration(folder.path()), c);

  TempFolder without;
  std::filesystem::create_directories(without.path() / "Data");
  for (const char* name : {"hi.xml", "ta.xml"}) without.write(std::string("Data/") + name, "x");
  without.write("config.xml", written.substr(0, from) + written.substr(to));
  Configuration older = readConfiguration(folder.path());
  older.neverTypeIn.clear();
  older.pauseInFullScreen = true;
  EXPECT_EQ(readConfiguration(without.path()), older);
}

TEST_F(ConfigurationTest, TheListIsKeptInTheFileWithEverythingElseAsItWas) {
  const std::string file =
      "<Config><Local><Surround>no</Surround></Local><Keymaps><Entry><Filename>gone.xml</Filename>"
      "</Entry></Keymaps><Other>kept</Other></Config>";
  folder.write("config.xml", file);
  saveProgramList({u"cmd.exe"}, folder.path());
  const xml::XmlDocument saved = xml::XmlDocument::load(folder.path() / "config.xml");
  EXPECT_EQ(saved.root().childByName(u"Other")->value(), u"kept");
  EXPECT_EQ(saved.root().childByName(u"Keymaps")->child(0).childByName(u"Filename")->value(),
            u"gone.xml");
  EXPECT_EQ(readProgramList(saved), std::vector<std::u16string>{u"cmd.exe"});
  saveProgramList({}, folder.path());
  EXPECT_TRUE(readProgramList(xml::XmlDocument::load(folder.path() / "config.xml")).empty());
  EXPECT_TRUE(readPauseInFullScreen(xml::XmlDocument::load(folder.path() / "config.xml")));
}

TEST(ProgramList, NamesCompareWithoutLetterCaseAndOnlyFileNamesAreKept) {
  const xml::XmlDocument document = xml::XmlDocument::parse(
      "<Config><Pause><Program>CMD.exe</Program><program>cmd.EXE</program><Program>..\\x.exe"
      "</Program><Program></Program><Other>y.exe</Other><Program>y.exe</Program></Pause></Config>");
  std::vector<std::u16string> leftOut;
  EXPECT_EQ(readProgramList(document, &leftOut),
            (std::vector<std::u16string>{u"CMD.exe", u"y.exe"}));
  EXPECT_EQ(leftOut, (std::vector<std::u16string>{u"..\\x.exe", u""}));
  EXPECT_TRUE(sameProgram(u"Notepad.EXE", u"notepad.exe"));
  EXPECT_FALSE(sameProgram(u"notepad.exe", u"notepad.ex"));
}

}  // namespace
}  // namespace korimo
