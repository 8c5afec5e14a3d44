// korimo-cli as keymap authors use it: keys in, the window's text or the
// input events out.

#include "tools/korimo-cli/cli.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/keymap_fixture.h"
#include "text/unicode_text.h"
#include "xml/xml_document.h"

namespace korimo {
namespace {

using testing::FixtureEntry;
using testing::TempFolder;

struct CliRun {
  int code;
  std::string out;
  std::string err;
};

CliRun cli(std::vector<std::string> args, const std::string& input = "") {
  std::istringstream in(input);
  std::ostringstream out, err;
  int code = cli::run(args, in, out, err);
  return {code, out.str(), err.str()};
}

class CliTest : public ::testing::Test {
 protected:
  TempFolder folder;
  std::string six = folder.keymap("six.xml", testing::kSixEntries).string();

  // The window's text after typing keys, as UTF-16 for comparison.
  std::u16string typed(const std::string& keymap, const std::string& keys,
                       std::vector<std::string> options = {}) {
    std::vector<std::string> args = {"type", "--keymap", keymap};
    args.insert(args.end(), options.begin(), options.end());
    CliRun run = cli(args, keys);
    EXPECT_EQ(run.code, 0) << run.err;
    return text::utf8ToUtf16(run.out);
  }
  std::string events(const std::string& keymap, const std::string& keys,
                     std::vector<std::string> options = {}) {
    options.push_back("--events");
    std::vector<std::string> args = {"type", "--keymap", keymap};
    args.insert(args.end(), options.begin(), options.end());
    CliRun run = cli(args, keys);
    EXPECT_EQ(run.code, 0) << run.err;
    return run.out;
  }
};

TEST_F(CliTest, WorkedExampleSendsExactlyTheDifferenceOfEachKey) {
  EXPECT_EQ(events(six, "kaaksa"),
            "char 0915\nchar 094D\n"    // k: X V
            "key 8 down\nkey 8 up\n"    // a: V deleted
            "char 093E\n"               // a: A typed
            "char 0915\nchar 094D\n"    // k: X V after X A
            "char 0938\nchar 094D\n"    // s: S V
            "key 8 down\nkey 8 up\n");  // a: V deleted
  EXPECT_EQ(typed(six, "kaaksa"), u"\u0915\u093E\u0915\u094D\u0938");
}

TEST_F(CliTest, SurroundBackspaceWalksBackThroughTheSteps) {
  // Enter first, so the plain Backspace at the end has something to delete.
  EXPECT_EQ(events(six, "\rkaa\b\b\b\b", {"--surround"}),
            "pass 13\n"
            "char 0915\nchar 094D\nkey 8 down\nkey 8 up\nchar 093E\n"  // kaa: X A
            "key 8 down\nkey 8 up\n"                                   // back to X (ka)
            "char 094D\n"                                              // back to X V (k)
            "key 8 down\nkey 8 up\nkey 8 down\nkey 8 up\n"             // X V deleted
            "key 8 down\nkey 8 up\n");                                 // a plain Backspace
  EXPECT_EQ(typed(six, "\rkaa\b\b\b\b", {"--surround"}), u"");
  // An undone key continues the syllable from the restored state.
  EXPECT_EQ(typed(six, "kaa\ba", {"--surround"}), u"\u0915\u093E");
  EXPECT_EQ(typed(six, "ksa\b\b", {"--surround"}), u"\u0915\u094D");
}

TEST_F(CliTest, UndoReachesBackTwelveKeysThenBackspaceIsPlain) {
  // In a browser-class window undo deletes with Left + Delete, so the plain
  // Backspace of the thirteenth press shows as key 8.
  auto key = folder.keymap("a.xml", {{"a", "0C05", ""}});
  std::string out = events(key.string(), std::string(13, 'a') + std::string(14, '\b'),
                           {"--surround", "--class", "Chrome_XPFrame"});
  std::string undo = "key 37 down\nkey 37 up\nkey 46 down\nkey 46 up\n";
  std::string plain = "key 8 down\nkey 8 up\n";
  std::string expected;
  for (int i = 0; i < 13; ++i) expected += "char 0C05\n";
  for (int i = 0; i < 12; ++i) expected += undo;
  expected += plain + plain;
  EXPECT_EQ(out, expected);
}

TEST_F(CliTest, BackspaceWithoutSurroundReachesTheApplicationAndEndsTheSyllable) {
  EXPECT_EQ(events(six, "kaa\b"),
            "char 0915\nchar 094D\nkey 8 down\nkey 8 up\nchar 093E\npass 8\n");
  EXPECT_EQ(typed(six, "kaa\bk"), u"\u0915\u0915\u094D");
}

TEST_F(CliTest, EnterAndEscapeReachTheApplicationAndStartANewSyllable) {
  EXPECT_EQ(typed(six, "ka\rk", {"--surround"}), u"\u0915\r\u0915\u094D");
  EXPECT_EQ(typed(six, "ka\r\b", {"--surround"}), u"\u0915");  // history emptied by Enter
  EXPECT_EQ(events(six, "k\x1b"), "char 0915\nchar 094D\npass 27\n");
  EXPECT_EQ(typed(six,
                  "k\x1b"
                  "a"),
            u"\u0915\u094D");  // a alone types nothing
}

struct TextCase {
  const char* label;
  std::vector<FixtureEntry> keymap;
  const char* keys;
  std::u16string text;
};

TEST_F(CliTest, KeysComposeIntoTheExpectedText) {
  const std::vector<FixtureEntry> kat = {
      {"k", "0915094D", ""}, {"ka", "0915", ""}, {"kaa", "0915093E", ""}, {"t", "0924094D", ""}};
  const TextCase cases[] = {
      {"longest match then the next key", kat, "kaat", u"\u0915\u093E\u0924\u094D"},
      {"an unknown key types nothing", kat, "kq", u"\u0915\u094D"},
      {"space commits the syllable", kat, "ka ka", u"\u0915 \u0915"},
      {"Shift distinguishes keys", {{"k", "0915", ""}, {"K", "0916", ""}}, "kK", u"\u0915\u0916"},
      {"a prefix shows its pieces until it completes",
       {{"k", "0915094D", ""}, {"s", "0938094D", ""}, {"ksh", "0915094D0937094D", ""}},
       "ksh",
       u"\u0915\u094D\u0937\u094D"},
      {"a vowel after a vowel",
       {{"a", "0905", ""}, {"i", "0907", ""}, {"ai", "0910", ""}},
       "aia",
       u"\u0910\u0905"},
  };
  for (const TextCase& c : cases) {
    SCOPED_TRACE(c.label);
    auto keymap = folder.keymap("case.xml", c.keymap);
    EXPECT_EQ(typed(keymap.string(), c.keys), c.text);
  }
}

TEST_F(CliTest, EveryWindowClassEndsWithTheSameTextButDeletesItsOwnWay) {
  // Tamil: k types the consonant with virama, ki and kii the vowel signs.
  auto tamil = folder
                   .keymap("ta.xml", {{"k", "0B950BCD", ""},
                                      {"ka", "0B95", ""},
                                      {"ki", "0B950BBF", ""},
                                      {"kii", "0B950BC0", ""}})
                   .string();
  for (const char* cls : {"Edit", "Chrome_XPFrame", "{1C03B488-D53B-4a81-97F8-754559640193}",
                          "Chrome_VistaFrame", "Chrome_2003Frame"}) {
    SCOPED_TRACE(cls);
    EXPECT_EQ(typed(tamil, "ka", {"--class", cls}), u"\u0B95");
    EXPECT_EQ(typed(tamil, "kii", {"--class", cls}), u"\u0B95\u0BC0");
  }
  // Deleting the virama: Left + Delete takes the cluster, the base is typed again.
  EXPECT_EQ(events(tamil, "ka", {"--class", "Chrome_VistaFrame"}),
            "char 0B95\nchar 0BCD\nkey 37 down\nkey 37 up\nkey 46 down\nkey 46 up\nchar 0B95\n");
  // 0BBF is a mark for kind 0 but a plain character for kind 1.
  std::string tail = "key 37 down\nkey 37 up\nkey 46 down\nkey 46 up\n";
  EXPECT_EQ(
      events(tamil, "kii", {"--class", "Chrome_XPFrame"}),
      "char 0B95\nchar 0BCD\n" + tail + "char 0B95\nchar 0BBF\n" + tail + "char 0B95\nchar 0BC0\n");
  EXPECT_EQ(events(tamil, "kii", {"--class", "{1C03B488-D53B-4a81-97F8-754559640193}"}),
            "char 0B95\nchar 0BCD\n" + tail + "char 0B95\nchar 0BBF\n" + tail + "char 0BC0\n");
}

TEST_F(CliTest, SupplementaryKeymapsRetypeWholeCharactersWithoutSurround) {
  // Brahmi letters A and AA: each is a surrogate pair.
  std::vector<FixtureEntry> brahmi = {{"a", "D804DC05", ""}, {"aa", "D804DC06", ""}};
  auto smp = folder.keymap("smp.xml", brahmi, true).string();
  EXPECT_EQ(events(smp, "aa"),
            "char D804\nchar DC05\nkey 8 down\nkey 8 up\nchar D804\nchar DC06\n");
  EXPECT_EQ(typed(smp, "aa"), u"\U00011006");
  // Surround is off for such a keymap: Backspace reaches the application.
  EXPECT_EQ(typed(smp, "aa\b", {"--surround"}), u"");
}

TEST_F(CliTest, RefusedInputAndFilesExitWithTheirCodes) {
  auto bad = folder.write("bad.xml",
                          "<K><Header><LCID>0439</LCID></Header><Data><E><Display>091</Display>"
                          "<Character>0915</Character><Keys>6B</Keys></E></Data></K>");
  CliRun run = cli({"type", "--keymap", bad.string()}, "k");
  EXPECT_EQ(run.code, 3);
  EXPECT_NE(run.err.find("entry 1: Display"), std::string::npos) << run.err;
  EXPECT_EQ(cli({"type", "--keymap", six}, "k\tq").code, 2);
  EXPECT_EQ(cli({"type", "--keymap", six}, "\xC3\xA9").code, 2);  // é is not a key
  EXPECT_EQ(cli({"type", "--keymap", six}, "\xC3").code, 2);      // broken UTF-8
  EXPECT_EQ(cli({"type"}, "").code, 2);
  EXPECT_EQ(cli({"frobnicate"}).code, 2);
  EXPECT_EQ(typed(six, "k\na\n"), u"\u0915");  // line feeds are ignored

  run = cli({"check", six, bad.string()});
  EXPECT_EQ(run.code, 3);
  EXPECT_EQ(run.out, six + ": ok 6 entries, longest key 3\n" + bad.string() +
                         ": error entry 1: Display \"091\": length 3 is not a multiple of 4\n");
  EXPECT_EQ(cli({"check", six}).code, 0);
}

TEST_F(CliTest, HelpPrintsTheUsageAndAnUnknownCommandIsRefused) {
  for (const char* help : {"--help", "-h"}) {
    const CliRun run = cli({help});
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out.rfind("usage: korimo-cli check FILE...\n", 0), 0u) << run.out;
    EXPECT_EQ(run.err, "");
  }
  const CliRun unknown = cli({"--frobnicate"});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_NE(unknown.err.find("unknown command '--frobnicate'"), std::string::npos);
}

TEST_F(CliTest, HostileInputGetsAMessageAndAnExitCodeNeverAnAbort) {
  auto keymapWith = [&](const char* name, const char* character) {
    return folder
        .write(name, std::string("<K><Header><LCID>0439</LCID></Header><Data><E><Display>0915"
                                 "</Display><Character>") +
                         character + "</Character><Keys>6B</Keys></E></Data></K>")
        .string();
  };
  const std::string lone = keymapWith("lone.xml", "D800");
  const std::string smp = keymapWith("smp.xml", "D804DC05");
  const std::string utf16 =
      folder.write("utf16.xml", std::string("\xFF\xFE<\0K\0/\0>\0", 8)).string();
  const struct {
    std::vector<std::string> args;
    std::string input;
    int code;
    std::string err;
  } cases[] = {
      {{"type", "--keymap", six, "--class", "\xFF"}, "k", 2, "class name is not valid UTF-8"},
      {{"type", "--keymap", lone}, "k", 3, "group 1 \"D800\" is a lone surrogate"},
      {{"type", "--keymap", smp}, "k", 3, "only with <SMP>True</SMP> in its Header"},
      {{"type", "--keymap", utf16}, "k", 3, "the file is UTF-16; save it as UTF-8"},
      {{"type", "--keymap", "/dev/zero"}, "k", 3, "the file is larger than 16 MiB"},
      {{"type", "--keymap", six}, std::string((1 << 20) + 1, 'k'), 2, "longer than 1 MiB"},
      {{"simulate", "--app-dir", folder.path().string(), "/dev/zero"},
       "",
       2,
       "line 1: the line is longer than 64 KiB"},
      {{"simulate", "--app-dir", folder.path().string()},
       std::string(17 << 20, '\n'),
       2,
       "the scenario is longer than 16 MiB"},
  };
  for (const auto& c : cases) {
    CliRun run = cli(c.args, c.input);
    EXPECT_EQ(run.code, c.code) << c.err;
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
  }
  CliRun run = cli({"check", utf16, "/dev/zero", "/no/such.xml"});
  EXPECT_EQ(run.code, 3);
  // Each line names its file once.
  EXPECT_EQ(run.out, utf16 +
                         ": error the file is UTF-16; save it as UTF-8\n"
                         "/dev/zero: error the file is larger than 16 MiB\n"
                         "/no/such.xml: error cannot open the file for reading\n");
}

TEST_F(CliTest, UndoOfASignTypedAsItsOwnStepKeepsTheSyllableInEveryClass) {
  // "duH": du, then the visarga H as a step of its own; "kaM" likewise with
  // the anusvara. Left + Delete takes the whole cluster, so the syllable
  // before the sign must be typed again.
  const std::string hindi =
      std::string(std::getenv("KORIMO_SOURCE_DIR")) + "/keymaps/Data/Hindi-Phonetic.xml";
  for (const char* cls : {"Edit", "Chrome_XPFrame", "{1C03B488-D53B-4a81-97F8-754559640193}",
                          "Chrome_VistaFrame", "Chrome_2003Frame"}) {
    SCOPED_TRACE(cls);
    EXPECT_EQ(typed(hindi, "duH\b", {"--surround", "--class", cls}), u"\u0926\u0941");
    EXPECT_EQ(typed(hindi, "kaM\b", {"--surround", "--class", cls}), u"\u0915");
  }
  EXPECT_EQ(events(hindi, "duH\b", {"--surround", "--class", "Chrome_XPFrame"}),
            "char 0926\nchar 094D\n"                            // d
            "key 37 down\nkey 37 up\nkey 46 down\nkey 46 up\n"  // u: the virama goes
            "char 0926\nchar 0941\n"                            // with its base, du typed
            "char 0903\n"                                       // H
            "key 37 down\nkey 37 up\nkey 46 down\nkey 46 up\n"  // undo: the cluster goes,
            "char 0926\nchar 0941\n");                          // du typed again
}

TEST_F(CliTest, SimulateRefusesUnknownCommandsAndWindows) {
  std::string app = folder.path().string();
  for (const char* scenario : {"window A\nfrobnicate\n", "focus Nowhere\n", "key alt+zz\n",
                               "window A\nreg HKCU Software X sz y\n", "type \\q\n"}) {
    CliRun run = cli({"simulate", "--app-dir", app}, scenario);
    EXPECT_EQ(run.code, 2) << scenario;
    EXPECT_NE(run.err.find("line "), std::string::npos) << run.err;
  }
  EXPECT_EQ(cli({"simulate"}, "").code, 2);
  // Without a configuration the program still starts, with the engine off.
  CliRun run = cli({"simulate", "--app-dir", app}, "window A\ntype k\nkey alt+1\nstate\n");
  EXPECT_EQ(run.code, 0) << run.err;
  EXPECT_EQ(run.out, "keymap=**** on=0 active=0 hint=Keymap Off checked=0 surround=1\nA: k\n");
}

TEST(BundledExample, SixEntryKeymapPasses) {
  std::string source = std::getenv("KORIMO_SOURCE_DIR") ? std::getenv("KORIMO_SOURCE_DIR") : ".";
  std::string file = source + "/keymaps/examples/six.xml";
  CliRun run = cli({"check", file});
  EXPECT_EQ(run.out, file + ": ok 6 entries, longest key 3\n");
}

}  // namespace
}  // namespace korimo
