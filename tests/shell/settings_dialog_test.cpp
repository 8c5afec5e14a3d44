// The settings dialog's decisions, without a window: what it shows, the
// menus, the mode change, the Ok checks and the save, the Run value and the
// keymap import.

#include "settings/settings_dialog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/sim/sim_shell.h"
#include "tests/support/keymap_fixture.h"
#include "text/unicode_text.h"
#include "xml/xml_document.h"

namespace korimo {
namespace {

using testing::TempFolder;

const std::u16string kMark(1, toggleKeyMark);
std::u16string shown(std::u16string_view key) { return std::u16string(key) + u" " + kMark; }

std::string contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string entry(const std::string& language, const std::string& file, const std::string& k1,
                  const std::string& k2) {
  return "<Entry><Language>" + language +
         "</Language><Keyboard>Phonetic</Keyboard>"
         "<Encoding>Unicode</Encoding><Filename>" +
         file + "</Filename><TKey1>" + k1 + "</TKey1><TKey2>" + k2 + "</TKey2></Entry>";
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  TempFolder folder;
  platform::sim::SimShell shell;
  int restarts = 0;

  void SetUp() override {
    shell.appFolder = folder.path();
    std::filesystem::create_directories(folder.path() / "Data");
    for (const char* name : {"hi.xml", "ta.xml", "bn.xml", "mr.xml"})
      folder.keymap(std::string("Data/") + name, {{"a", "0905", ""}});
  }

  void config(const std::string& local, const std::string& entries) {
    folder.write("config.xml",
                 "<Config><Local>" + local + "</Local><Keymaps>" + entries + "</Keymaps></Config>");
  }
  void standardConfig() {
    config(
        "<ToggleMode>1</ToggleMode><TKey1>0</TKey1><TKey2>0</TKey2>"
        "<TextServices>True</TextServices><Surround>False</Surround>",
        entry("Tamil", "ta.xml", "8", "None") + entry("Hindi", "hi.xml", "1", "3") +
            entry("Bengali", "bn.xml", "None", "11") + entry("Marathi", "mr.xml", "None", "None"));
  }
  SettingsDialogModel open() {
    SettingsDialogModel dialog(shell, [this] { ++restarts; });
    dialog.open();
    return dialog;
  }
  // Each row as "[x] Language Filename Toggle Key".
  static std::vector<std::u16string> list(const SettingsDialogModel& d) {
    std::vector<std::u16string> out;
    for (const KeymapRow& r : d.rows)
      out.push_back(std::u16string(r.checked ? u"[x] " : u"[ ] ") + r.language + u" " +
                    r.toggleKey);
    return out;
  }
  std::size_t rowOf(const SettingsDialogModel& d, std::u16string_view language) {
    for (std::size_t i = 0; i < d.rows.size(); ++i)
      if (d.rows[i].language == language) return i;
    ADD_FAILURE() << "no row";
    return 0;
  }
  // Chooses a key for a row through its Toggle Key cell's menu.
  void chooseKey(SettingsDialogModel& d, std::u16string_view language, std::u16string_view item) {
    std::optional<RadioMenu> menu = d.listPressed(rowOf(d, language), ListColumn::ToggleKey);
    ASSERT_TRUE(menu);
    auto at = std::find(menu->items.begin(), menu->items.end(), item);
    ASSERT_NE(at, menu->items.end());
    d.toggleKeyChosen(static_cast<std::size_t>(at - menu->items.begin()));
  }
  std::optional<platform::RegistryValue> runValue() {
    return shell.readRegistry(platform::Hive::CurrentUser, kRunKey, kRunValue);
  }
};

TEST_F(SettingsDialogTest, OpensWithTheFileSortedByKeyAndChecksTheRowsWithAKey) {
  standardConfig();
  SettingsDialogModel d = open();
  EXPECT_EQ(d.toggleMode, ToggleMode::Alt);
  EXPECT_EQ(d.offKeyLabel(), shown(u"Alt+0"));
  EXPECT_TRUE(d.textServices);
  EXPECT_FALSE(d.surround);
  EXPECT_FALSE(d.startWithWindows);
  EXPECT_EQ(list(d), (std::vector<std::u16string>{
                         u"[x] Hindi " + shown(u"Alt+1"), u"[x] Tamil " + shown(u"Alt+8"),
                         u"[ ] Bengali " + shown(u"None"), u"[ ] Marathi " + shown(u"None")}));
  EXPECT_EQ(d.rows[0].tkey1, u"01");
  EXPECT_EQ(d.rows[0].tkey2, u"03");
  EXPECT_EQ(d.rows[2].tkey2, u"0B");

  // Mode 2 shows the other keys, ScrLk after F12; and back again.
  d.toggleModeChosen(ToggleMode::FunctionKeys);
  EXPECT_EQ(d.offKeyLabel(), shown(u"F2"));
  EXPECT_EQ(list(d), (std::vector<std::u16string>{
                         u"[x] Hindi " + shown(u"F5"), u"[x] Bengali " + shown(u"ScrLk"),
                         u"[ ] Marathi " + shown(u"None"), u"[ ] Tamil " + shown(u"None")}));
  d.toggleModeChosen(ToggleMode::Alt);
  EXPECT_EQ(list(d)[1], u"[x] Tamil " + shown(u"Alt+8"));
}

TEST_F(SettingsDialogTest, ReadsWhatTheFileHoldsAsTheDialogDoes) {
  // Entries whose file is missing or would leave the Data folder are not
  // shown; Null reads as 0; Alt+12 shows; a mode-2 key beyond ScrLk is none.
  folder.write("outside.xml", "x");
  config("<ToggleMode>7</ToggleMode><TKey1>4</TKey1><TKey2>11</TKey2>",
         entry("Hindi", "hi.xml", "Null", "12") + entry("Tamil", "ta.xml", "12", "Null") +
             entry("Gone", "gone.xml", "2", "2") + entry("Evil", "../outside.xml", "3", "3") +
             entry("Evil", "..\\outside.xml", "3", "3"));
  SettingsDialogModel d = open();
  EXPECT_EQ(d.toggleMode, ToggleMode::Alt);
  EXPECT_EQ(d.offKey2, shown(u"ScrLk"));
  EXPECT_EQ(list(d), (std::vector<std::u16string>{u"[x] Hindi " + shown(u"Alt+0"),
                                                  u"[x] Tamil " + shown(u"Alt+12")}));
  EXPECT_EQ(d.rows[0].tkey2, u"None");
  const Configuration saved = d.dialogConfiguration();
  EXPECT_EQ(saved.toggleMode, ToggleMode::Alt);
  EXPECT_EQ(saved.tkey1, 4);
  EXPECT_EQ(saved.tkey2, 11);
  EXPECT_EQ(saved.entries[0].tkey1, u"0");
  EXPECT_EQ(saved.entries[1].tkey1, u"12");
  EXPECT_EQ(saved.entries[1].tkey2, u"0");
}

TEST_F(SettingsDialogTest, AnUnreadableFileIsReportedAndNothingIsRead) {
  folder.write("config.xml", "<Config><Local>");
  SettingsDialogModel d = open();
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_TRUE(shell.messages[0].starts_with(u"Vantrel Korimo: "))
      << text::utf16ToUtf8(shell.messages[0]);
  EXPECT_TRUE(d.rows.empty());
  EXPECT_EQ(d.toggleMode, ToggleMode::Alt);
  EXPECT_EQ(d.offKeyLabel(), shown(u"Alt+0"));
  EXPECT_FALSE(d.textServices);
}

TEST_F(SettingsDialogTest, TheToggleKeyMenuShowsTheCellsKeyAndMovesTheRow) {
  standardConfig();
  SettingsDialogModel d = open();
  // Only the Toggle Key cell opens the menu; the press picks the row.
  EXPECT_FALSE(d.listPressed(1, ListColumn::Filename));
  EXPECT_EQ(d.clickedRow, 1u);
  EXPECT_FALSE(d.listPressed(std::nullopt, ListColumn::ToggleKey));
  std::optional<RadioMenu> menu = d.listPressed(1, ListColumn::ToggleKey);
  ASSERT_TRUE(menu);
  EXPECT_EQ(menu->items.size(), 11u);
  EXPECT_EQ(menu->items[menu->checked], u"Alt+8");
  EXPECT_EQ(d.listPressed(3, ListColumn::ToggleKey)->checked, 10u);  // "None"

  chooseKey(d, u"Marathi", u"Alt+0");
  EXPECT_EQ(list(d)[0], u"[x] Marathi " + shown(u"Alt+0"));
  EXPECT_EQ(d.rows[0].tkey1, u"00");
  chooseKey(d, u"Hindi", u"None");
  EXPECT_EQ(list(d).back(), u"[ ] Hindi " + shown(u"None"));
  EXPECT_EQ(d.rows.back().tkey1, u"None");
  EXPECT_EQ(d.rows.back().tkey2, u"03");  // the other mode's key stays

  d.toggleModeChosen(ToggleMode::FunctionKeys);
  chooseKey(d, u"Tamil", u"F12");
  EXPECT_EQ(d.rows[rowOf(d, u"Tamil")].tkey2, u"0A");
  EXPECT_EQ(d.listPressed(rowOf(d, u"Bengali"), ListColumn::ToggleKey)->checked, 11u);
}

TEST_F(SettingsDialogTest, UncheckingARowTakesOnlyTheKeyOfTheCurrentMode) {
  standardConfig();
  SettingsDialogModel d = open();
  d.rowCheckChanged(rowOf(d, u"Hindi"), false);
  EXPECT_EQ(list(d)[2], u"[ ] Hindi " + shown(u"None"));  // behind Bengali, before Marathi
  d.toggleModeChosen(ToggleMode::FunctionKeys);
  EXPECT_EQ(list(d)[0], u"[x] Hindi " + shown(u"F5"));
  // Checking a row's box gives it no key: Ok refuses it.
  d.rowCheckChanged(rowOf(d, u"Tamil"), true);
  EXPECT_EQ(d.rows[rowOf(d, u"Tamil")].toggleKey, shown(u"None"));
  EXPECT_FALSE(d.ok());
  EXPECT_EQ(shell.messages.back(),
            u"Vantrel Korimo: No shortcut key is assigned for one or more checked Keymaps");
}

TEST_F(SettingsDialogTest, TheKeymapOffMenuChecksTheKeyAndSetsItForItsModeOnly) {
  standardConfig();
  SettingsDialogModel d = open();
  RadioMenu menu = d.offKeyMenu();
  EXPECT_EQ(menu.items.size(), 10u);
  EXPECT_EQ(menu.checked, 0u);
  d.offKeyChosen(5);
  EXPECT_EQ(d.offKeyLabel(), shown(u"Alt+5"));
  d.toggleModeChosen(ToggleMode::FunctionKeys);
  menu = d.offKeyMenu();
  EXPECT_EQ(menu.items.size(), 12u);
  d.offKeyChosen(11);
  EXPECT_EQ(d.offKeyLabel(), shown(u"ScrLk"));
  EXPECT_EQ(d.offKeyMenu().checked, 11u);
  const Configuration saved = d.dialogConfiguration();
  EXPECT_EQ(saved.tkey1, 5);
  EXPECT_EQ(saved.tkey2, 11);
  EXPECT_EQ(saved.toggleMode, ToggleMode::FunctionKeys);
}

// Ok's checks, row by row in list order; the first that fails is shown and
// nothing is saved.
TEST_F(SettingsDialogTest, OkRefusesInTheOrderOfTheChecks) {
  struct Case {
    const char* what;
    std::vector<std::pair<const char16_t*, const char16_t*>> keys;  // row language, key item
    std::vector<const char16_t*> checkedWithoutKey;
    const char16_t* offKey;   // mode-1 Keymap-off item
    const char16_t* refusal;  // nullptr: accepted
  };
  const Case cases[] = {
      {"two rows with one key",
       {{u"Marathi", u"Alt+1"}},
       {},
       u"Alt+0",
       u"Same shortcut key should not be used for more than one Keymap"},
      {"two checked rows without a key",
       {},
       {u"Bengali", u"Marathi"},
       u"Alt+0",
       u"Same shortcut key should not be used for more than one Keymap"},
      {"a key equal to the Keymap-off key",
       {{u"Marathi", u"Alt+0"}},
       {},
       u"Alt+0",
       u"Same shortcut key should not be used for both Keymap and Off Key"},
      {"the Keymap-off key moved onto a keymap's key",
       {},
       {},
       u"Alt+8",
       u"Same shortcut key should not be used for both Keymap and Off Key"},
      {"one checked row without a key, the last row",
       {},
       {u"Marathi"},
       u"Alt+0",
       u"No shortcut key is assigned for one or more checked Keymaps"},
      {"the duplicate of the first row wins over a later missing key",
       {{u"Tamil", u"Alt+1"}},
       {u"Marathi"},
       u"Alt+0",
       u"Same shortcut key should not be used for more than one Keymap"},
      {"the other mode's Keymap-off key (F5 is Hindi's) is no refusal", {}, {}, u"Alt+0", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    standardConfig();
    const std::string before = contents(folder.path() / "config.xml");
    shell.messages.clear();
    restarts = 0;
    SettingsDialogModel d = open();
    d.toggleModeChosen(ToggleMode::FunctionKeys);
    d.offKeyChosen(3);  // F5, Hindi's key in mode 2
    d.toggleModeChosen(ToggleMode::Alt);
    for (const auto& [language, item] : c.keys) chooseKey(d, language, item);
    for (const char16_t* language : c.checkedWithoutKey)
      d.rowCheckChanged(rowOf(d, language), true);
    auto offItem = d.offKeyMenu().items;
    d.offKeyChosen(static_cast<std::size_t>(std::find(offItem.begin(), offItem.end(), c.offKey) -
                                            offItem.begin()));
    const bool accepted = d.ok();
    if (c.refusal) {
      EXPECT_FALSE(accepted);
      EXPECT_EQ(shell.messages,
                std::vector<std::u16string>{u"Vantrel Korimo: " + std::u16string(c.refusal)});
      EXPECT_EQ(contents(folder.path() / "config.xml"), before);
      EXPECT_EQ(restarts, 0);
    } else {
      EXPECT_TRUE(accepted);
      EXPECT_EQ(shell.messages,
                std::vector<std::u16string>{u"Vantrel Korimo: Application will restart now"});
      EXPECT_EQ(restarts, 1);
    }
  }
}

TEST_F(SettingsDialogTest, OkWithAnEmptyListWritesAnEmptyKeymaps) {
  SettingsDialogModel d = open();  // no file: reported, nothing read
  shell.messages.clear();
  ASSERT_TRUE(d.ok());
  EXPECT_EQ(restarts, 1);
  const xml::XmlDocument saved = xml::XmlDocument::load(folder.path() / "Config.xml");
  ASSERT_TRUE(saved.root().childByName(u"Keymaps"));
  EXPECT_EQ(saved.root().childByName(u"Keymaps")->childCount(), 0u);
}

TEST_F(SettingsDialogTest, OkWithoutChangesWritesTheSameValuesBack) {
  standardConfig();
  open().ok();
  const std::string first = contents(folder.path() / "config.xml");
  open().ok();
  EXPECT_EQ(contents(folder.path() / "config.xml"), first);
  EXPECT_EQ(readConfiguration(folder.path()).entries.size(), 4u);
  EXPECT_EQ(restarts, 2);
}

TEST_F(SettingsDialogTest, AFailedSaveIsShownAndNeitherReplacesTheFileNorRestarts) {
  standardConfig();
  const std::string before = contents(folder.path() / "config.xml");
  std::filesystem::create_directory(folder.path() / "config.xml.new");  // cannot be written
  SettingsDialogModel d = open();
  chooseKey(d, u"Marathi", u"Alt+5");
  EXPECT_FALSE(d.ok());
  ASSERT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(shell.messages[0].find(u"restart"), std::u16string::npos);
  EXPECT_EQ(contents(folder.path() / "config.xml"), before);
  EXPECT_EQ(restarts, 0);
}

TEST_F(SettingsDialogTest, TheRunValueFollowsTheBoxBeforeTheChecks) {
  standardConfig();
  shell.appFolder = folder.path() / "Program Files";
  std::filesystem::create_directories(shell.appFolder);
  std::filesystem::copy(folder.path() / "config.xml", shell.appFolder / "config.xml");
  std::filesystem::copy(folder.path() / "Data", shell.appFolder / "Data");
  const std::u16string quoted = u"\"" + (shell.appFolder / "Korimo.exe").u16string() + u"\"";

  SettingsDialogModel d = open();
  EXPECT_FALSE(d.startWithWindows);
  d.startWithWindows = true;
  d.rowCheckChanged(rowOf(d, u"Marathi"), true);  // a refused Ok
  EXPECT_FALSE(d.ok());
  ASSERT_TRUE(runValue());
  EXPECT_EQ(runValue()->text, quoted);  // quoted: the path has a blank

  // A value holding another path is left alone while the box is checked.
  const platform::RegistryValue other{platform::RegistryValue::Type::String, u"C:\\old\\Korimo.exe",
                                      0};
  shell.setRegistry(platform::Hive::CurrentUser, std::u16string(kRunKey), std::u16string(kRunValue),
                    other);
  SettingsDialogModel again = open();
  EXPECT_TRUE(again.startWithWindows);
  EXPECT_TRUE(again.ok());
  EXPECT_EQ(runValue()->text, u"C:\\old\\Korimo.exe");

  // Unchecked: removed. Cancel (no Ok) touches nothing.
  SettingsDialogModel third = open();
  third.startWithWindows = false;
  EXPECT_TRUE(third.ok());
  EXPECT_FALSE(runValue());
  SettingsDialogModel cancelled = open();
  cancelled.startWithWindows = true;
  EXPECT_FALSE(runValue());
}

TEST_F(SettingsDialogTest, AFailedRunRegistrationIsShown) {
  standardConfig();
  shell.registryReadOnly = true;
  SettingsDialogModel d = open();
  d.startWithWindows = true;
  EXPECT_TRUE(d.ok());
  ASSERT_EQ(shell.messages.size(), 2u);
  EXPECT_NE(shell.messages[0].find(u"start automatically"), std::u16string::npos);
}

class ImportTest : public SettingsDialogTest {
 protected:
  TempFolder elsewhere;
  std::filesystem::path tamil;
  void SetUp() override {
    SettingsDialogTest::SetUp();
    standardConfig();
    tamil = elsewhere.write("tamil.xml",
                            "<Keymap><Header><LCID>0449</LCID><Language>Tamil</Language>"
                            "<Keyboard>Mine</Keyboard><Encoding>Unicode</Encoding></Header>"
                            "<Data><Entry><Display>0B95</Display><Character>0B95</Character>"
                            "<Keys>6B</Keys></Entry></Data></Keymap>");
  }
  void import(SettingsDialogModel& d, const std::filesystem::path& file,
              std::vector<bool> answers = {}) {
    shell.nextOpenFile = file;
    shell.yesNoAnswers = std::move(answers);
    d.importKeymap();
  }
  std::vector<std::u16string> rowsNaming(const SettingsDialogModel& d, std::u16string_view prefix) {
    std::vector<std::u16string> names;
    for (const KeymapRow& r : d.rows)
      if (r.filename.starts_with(prefix)) names.push_back(r.filename);
    return names;
  }
};

TEST_F(ImportTest, ANewFileIsCopiedAndGetsAnUncheckedRowWithoutKeys) {
  SettingsDialogModel d = open();
  const std::string config = contents(folder.path() / "config.xml");
  import(d, tamil);
  EXPECT_EQ(shell.openFileDialogs,
            std::vector<std::u16string>{u"Import a Keymap|Keymap files (*.xml)|*.xml|"});
  EXPECT_EQ(contents(folder.path() / "Data/tamil.xml"), contents(tamil));
  EXPECT_EQ(shell.messages,
            std::vector<std::u16string>{u"Vantrel Korimo: File imported successfully."});
  const KeymapRow& row = d.rows.back();  // behind every row with a key, after Marathi
  EXPECT_EQ(row.language, u"Tamil");
  EXPECT_EQ(row.keyboard, u"Mine");
  EXPECT_EQ(row.encoding, u"Unicode");
  EXPECT_EQ(row.filename, u"tamil.xml");
  EXPECT_EQ(row.toggleKey, shown(u"None"));
  EXPECT_EQ(row.tkey1, u"None");
  EXPECT_EQ(row.tkey2, u"None");
  EXPECT_FALSE(row.checked);
  // Cancel: the copy stays, the configuration is unchanged.
  EXPECT_EQ(contents(folder.path() / "config.xml"), config);
  // Ok after a key: the new entry is saved.
  chooseKey(d, u"Tamil", u"Alt+9");
  ASSERT_TRUE(d.ok());
  EXPECT_EQ(readConfiguration(folder.path()).entries.back().filename, u"tamil.xml");
}

TEST_F(ImportTest, AnsweringNoNumbersTheCopiesAndYesReplacesWithoutARow) {
  SettingsDialogModel d = open();
  import(d, tamil);
  import(d, tamil, {false});
  import(d, tamil, {false});
  EXPECT_EQ(rowsNaming(d, u"tamil"),
            (std::vector<std::u16string>{u"tamil.xml", u"tamil-1.xml", u"tamil-2.xml"}));
  for (const char* copy : {"tamil-1.xml", "tamil-2.xml"})
    EXPECT_EQ(contents(folder.path() / "Data" / copy), contents(tamil));
  EXPECT_EQ(shell.messages[1],
            u"Confirm: The File tamil.xml already exists.\nClick Yes to replace the existing file? "
            u"-> No");

  const std::string changed = "<Keymap><Header><LCID>0449</LCID></Header><Data/></Keymap>";
  elsewhere.write("tamil.xml", changed);  // changed, no entries
  import(d, tamil, {true});
  EXPECT_EQ(rowsNaming(d, u"tamil").size(), 3u);
  EXPECT_EQ(contents(folder.path() / "Data/tamil.xml"), changed);
}

TEST_F(ImportTest, ARefusedFileIsNotCopiedAndItsNameIsOfferedAgain) {
  struct Case {
    const char* what;
    std::string text;
  };
  const Case cases[] = {
      {"odd-length Keys",
       "<K><Data><E><Display>0915</Display><Character>0915</Character><Keys>6</Keys></E></Data></"
       "K>"},
      {"a Display group beyond F",
       "<K><Data><E><Display>09G5</Display><Character>0915</Character><Keys>6B</Keys></E></Data></"
       "K>"},
      {"an entry without Character",
       "<K><Data><E><Display>0915</Display><Keys>6B</Keys></E></Data></K>"},
      {"no Data", "<K><Header/></K>"},
      {"not XML", "<K><Data>"},
      // What the start-up loader refuses the import refuses: it would not
      // load at the next start.
      {"no Header", "<Keymap><Data/></Keymap>"},
      {"a lone surrogate",
       "<K><Header><LCID>0439</LCID></Header><Data><E><Display>0915</Display>"
       "<Character>D800</Character><Keys>6B</Keys></E></Data></K>"},
      {"65 keys in a sequence",
       "<K><Header><LCID>0439</LCID></Header><Data><E><Display>0915</Display>"
       "<Character>0915</Character><Keys>" +
           std::string(130, '6') + "</Keys></E></Data></K>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    shell.messages.clear();
    SettingsDialogModel d = open();
    const std::filesystem::path file = elsewhere.write("bad.xml", c.text);
    import(d, file);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "Data/bad.xml"));
    EXPECT_EQ(shell.messages,
              std::vector<std::u16string>{
                  u"Vantrel Korimo: Integrity check failed. File could not be imported"});
    EXPECT_EQ(d.rows.size(), 4u);
    EXPECT_EQ(d.importFileName(), file.u16string());
  }
}

TEST_F(ImportTest, AHeaderWithoutDescriptionsShowsTheFileNameAndUnknown) {
  SettingsDialogModel d = open();
  import(d, elsewhere.write("plain.xml",
                            "<Keymap><Header><LCID>0439</LCID></Header><Data/></Keymap>"));
  EXPECT_TRUE(std::filesystem::exists(folder.path() / "Data/plain.xml"));
  const KeymapRow& row = d.rows.back();
  EXPECT_EQ(row.language, u"plain");
  EXPECT_EQ(row.keyboard, u"Unknown");
  EXPECT_EQ(row.encoding, u"Unknown");
}

TEST_F(ImportTest, AFailedCopyOrACancelledChoiceAddsNothing) {
  SettingsDialogModel d = open();
  shell.copyFails = true;
  import(d, tamil);
  EXPECT_EQ(shell.messages,
            std::vector<std::u16string>{u"Vantrel Korimo: File could not be imported."});
  EXPECT_EQ(d.rows.size(), 4u);
  EXPECT_EQ(d.importFileName(), u"");
  shell.nextOpenFile.reset();
  d.importKeymap();
  EXPECT_EQ(shell.messages.size(), 1u);
  EXPECT_EQ(d.rows.size(), 4u);
}

// "Never type in": the list as the file has it, sorted; Add... offers the
// running programs not on it (each once, whatever the letter case) and the
// open-file dialog; Remove; Ok saves the list and the full-screen box.
TEST_F(SettingsDialogTest, TheProgramsNeverTypedInAreAddedRemovedAndSaved) {
  folder.write("config.xml",
               "<Config><Local><ToggleMode>1</ToggleMode><TKey1>0</TKey1><TKey2>0</TKey2>"
               "<TextServices>True</TextServices><Surround>True</Surround></Local><Keymaps>" +
                   entry("Hindi", "hi.xml", "1", "1") +
                   "</Keymaps><Pause><FullScreen>True</FullScreen><Program>wt.exe</Program>"
                   "<Program>Code.exe</Program><Program>a/b.exe</Program></Pause></Config>");
  shell.programsShown = [] {
    return std::vector<std::u16string>{u"notepad.exe", u"WT.EXE", u"Notepad.exe", u"calc.exe"};
  };
  SettingsDialogModel d = open();
  EXPECT_EQ(d.neverTypeIn, (std::vector<std::u16string>{u"Code.exe", u"wt.exe"}));
  EXPECT_TRUE(d.pauseInFullScreen);

  const std::vector<std::u16string> menu = d.addProgramMenu();
  EXPECT_EQ(menu,
            (std::vector<std::u16string>{u"calc.exe", u"notepad.exe",
                                         std::u16string(SettingsDialogModel::kOtherProgram)}));
  d.addProgramChosen(1);
  shell.nextOpenFile = folder.path() / "Tools" / "Far.exe";
  d.addProgramChosen(d.addProgramMenu().size() - 1);
  EXPECT_EQ(shell.openFileDialogs.back(), u"Never type in|Programs (*.exe)|*.exe|");
  d.addProgram(u"NOTEPAD.EXE");  // on the list already
  d.addProgram(u"C:\\x.exe");
  EXPECT_EQ(shell.messages.back(),
            u"Vantrel Korimo: \"C:\\x.exe\" is not the file name of a program.");
  d.removeProgram(3);  // wt.exe
  EXPECT_EQ(d.neverTypeIn, (std::vector<std::u16string>{u"Code.exe", u"Far.exe", u"notepad.exe"}));
  d.pauseInFullScreen = false;

  ASSERT_TRUE(d.ok());
  const std::string saved = contents(folder.path() / "config.xml");
  EXPECT_NE(saved.find("  <Pause>\r\n    <FullScreen>False</FullScreen>\r\n"
                       "    <Program>Code.exe</Program>\r\n    <Program>Far.exe</Program>\r\n"
                       "    <Program>notepad.exe</Program>\r\n  </Pause>\r\n</Config>"),
            std::string::npos)
      << saved;
  SettingsDialogModel again = open();
  EXPECT_EQ(again.neverTypeIn, d.neverTypeIn);
  EXPECT_FALSE(again.pauseInFullScreen);
}

}  // namespace
}  // namespace korimo
