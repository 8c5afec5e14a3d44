#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "text/unicode_text.h"
#include "xml/xml_document.h"

namespace korimo::xml {
namespace {

using ::testing::HasSubstr;

std::string narrow(const std::u16string& text) { return text::utf16ToUtf8(text); }

// parse() must raise XmlError whose message names the line and contains what.
void expectParseError(std::string_view text, int line, const std::string& what) {
  SCOPED_TRACE(::testing::Message() << "input: " << ::testing::PrintToString(std::string(text)));
  try {
    XmlDocument::parse(text);
    ADD_FAILURE() << "parsed without error";
  } catch (const XmlError& e) {
    EXPECT_THAT(e.what(), HasSubstr("line " + std::to_string(line) + ","));
    EXPECT_THAT(e.what(), HasSubstr(what));
  }
}

void expectSameTree(const XmlElement& a, const XmlElement& b) {
  SCOPED_TRACE(narrow(a.name()));
  EXPECT_EQ(a.name(), b.name());
  EXPECT_EQ(a.value(), b.value());
  ASSERT_EQ(a.childCount(), b.childCount());
  for (std::size_t i = 0; i < a.childCount(); ++i) expectSameTree(a.child(i), b.child(i));
}

TEST(XmlLookup, ByNameIgnoresCaseAndFindsTheFirst) {
  const XmlDocument doc = XmlDocument::parse(
      "<Keymap><HEADER><LCID>0445</LCID></HEADER><Data><e>1</e></Data><data>2</data></Keymap>");
  const XmlElement& root = doc.root();
  EXPECT_EQ(root.name(), u"Keymap");
  const XmlElement* header = root.childByName(u"Header");
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->name(), u"HEADER");
  EXPECT_EQ(header->childByName(u"lcid")->value(), u"0445");
  EXPECT_EQ(root.indexOfChild(u"DATA"), 1);  // the first of Data and data
  EXPECT_EQ(root.childByName(u"data")->childCount(), 1u);
  EXPECT_EQ(root.childByName(u"Missing"), nullptr);
  EXPECT_EQ(root.indexOfChild(u"Missing"), -1);
  EXPECT_EQ(root.childByName(u"e"), nullptr);  // direct children only
}

TEST(XmlValues, BooleanRule) {
  const struct {
    std::u16string value;
    bool defaultValue;
    bool expected;
  } cases[] = {
      {u"", true, true},    {u"", false, false},  {u"y", false, true},    {u"Yes", false, true},
      {u"n", true, false},  {u"No", true, false}, {u"True", false, true}, {u"false", true, false},
      {u"1", false, false}, {u"1", true, true},   {u"0", true, true},     {u" True", false, false},
      {u"x", true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(narrow(c.value));
    XmlElement e(u"E");
    e.setValue(c.value);
    EXPECT_EQ(e.valueAsBool(c.defaultValue), c.expected);
  }
}

TEST(XmlValues, IntegerRule) {
  const struct {
    std::u16string value;
    std::int32_t asInt;
    std::int64_t asInt64;
  } cases[] = {
      {u"42", 42, 42},
      {u"-7", -7, -7},
      {u"+5", 5, 5},
      {u"007", 7, 7},
      {u"2147483647", 2147483647, 2147483647},
      {u"-2147483648", INT32_MIN, -2147483648LL},
      {u"2147483648", -1, 2147483648LL},
      {u"9223372036854775807", -1, INT64_MAX},
      {u"-9223372036854775808", -1, INT64_MIN},
      {u"9223372036854775808", -1, -1},
      {u"", -1, -1},
      {u"-", -1, -1},
      {u"+-1", -1, -1},
      {u" 3", -1, -1},
      {u"3 ", -1, -1},
      {u"1.5", -1, -1},
      {u"0x10", -1, -1},
      {u"None", -1, -1},
      {u"\u0663", -1, -1},  // an Arabic-Indic digit is not a decimal digit here
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(narrow(c.value));
    XmlElement e(u"E");
    e.setValue(c.value);
    EXPECT_EQ(e.valueAsInt(-1), c.asInt);
    EXPECT_EQ(e.valueAsInt64(-1), c.asInt64);
  }
}

TEST(XmlValues, WritersFindOrCreate) {
  XmlDocument doc(u"Config");
  XmlElement& local = doc.root().addChild(u"Local");
  local.writeInt(u"ToggleMode", 2);
  local.writeBool(u"Surround", false);
  local.writeBool(u"TextServices", true);
  local.writeValue(u"toggleMODE", u"1");  // the existing child, not a new one
  ASSERT_EQ(local.childCount(), 3u);
  EXPECT_EQ(local.child(0).name(), u"ToggleMode");
  EXPECT_EQ(local.child(0).value(), u"1");
  EXPECT_EQ(local.child(1).value(), u"False");
  EXPECT_EQ(local.child(2).value(), u"True");
  EXPECT_EQ(local.writeInt(u"Big", -9000000000LL).value(), u"-9000000000");
  EXPECT_EQ(&local.findOrCreateChild(u"big"), &local.child(3));
}

TEST(XmlParse, EntitiesAndCharacterReferences) {
  const XmlDocument doc = XmlDocument::parse(
      "<a b='&amp;&#x3c;'>&lt;&gt;&amp;&quot;&apos; &#65;&#x42;&#x1f600;&#2325;</a>");
  EXPECT_EQ(doc.root().value(), u"<>&\"' AB\U0001F600\u0915");
}

TEST(XmlParse, ByteOrderMarkAndDeclaration) {
  for (const char* text :
       {"\xEF\xBB\xBF<a>\xE0\xA4\x95</a>",
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a>\xE0\xA4\x95</a>",
        "<?xml version='1.0' encoding='utf-8' standalone='yes' ?><a>\xE0\xA4\x95</a>"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(XmlDocument::parse(text).root().value(), u"\u0915");
  }
}

TEST(XmlParse, CdataIsText) {
  EXPECT_EQ(XmlDocument::parse("<a>x<![CDATA[<b>&amp;]]]]>y</a>").root().value(), u"x<b>&amp;]]y");
}

TEST(XmlParse, CommentsAndProcessingInstructionsAreSkipped) {
  const XmlDocument doc = XmlDocument::parse(
      "<?xml version=\"1.0\"?><!-- before --><?app data?>\n"
      "<a>1<!-- inside -->2<?pi x?>3<b/><!-- - --></a>\n<!-- after --><?app?>\n");
  EXPECT_EQ(doc.root().value(), u"123");
  EXPECT_EQ(doc.root().childCount(), 1u);
}

TEST(XmlParse, ValuesAsWrittenAndLayoutWhiteSpace) {
  const XmlDocument doc = XmlDocument::parse(
      "<Config>\r\n  <Local>\r\n    <A>  two spaces  </A>\r\n    <B>   </B>\r\n    <C/>\r\n"
      "    <D>line1\r\nline2\rline3</D>\r\n  </Local>\r\n</Config>\r\n");
  const XmlElement& local = doc.root().child(0);
  EXPECT_EQ(doc.root().value(), u"");
  EXPECT_EQ(local.value(), u"");
  EXPECT_EQ(local.child(0).value(), u"  two spaces  ");
  EXPECT_EQ(local.child(1).value(), u"   ");  // no children: kept
  EXPECT_EQ(local.child(2).value(), u"");
  EXPECT_EQ(local.child(3).value(), u"line1\nline2\nline3");
}

TEST(XmlParse, MalformedInputs) {
  const struct {
    const char* text;
    int line;
    const char* what;
  } cases[] = {
      {"", 1, "missing root"},
      {"  \n <!-- only -->\n", 3, "missing root"},
      {"<a>", 1, "not closed"},
      {"<a>\n<b>\n</a>", 3, "does not match '<b>' opened at line 2"},
      {"<a></A>", 1, "does not match"},
      {"<a>\n  &foo;</a>", 2, "undefined entity '&foo;'"},
      {"<a>&amp</a>", 1, "lacks ';'"},
      {"<a>AT&T</a>", 1, "lacks ';'"},
      {"<a>& b</a>", 1, "'&' must start a reference"},
      {"<a>&#0;</a>", 1, "U+0000"},
      {"<a>&#xD800;</a>", 1, "U+D800"},
      {"<a>&#xFFFE;</a>", 1, "U+FFFE"},
      {"<a>&#x110000;</a>", 1, "beyond U+10FFFF"},
      {"<a>&#99999999999999999999;</a>", 1, "beyond U+10FFFF"},
      {"<a>&#;</a>", 1, "malformed character reference"},
      {"<a>&#x;</a>", 1, "malformed character reference"},
      {"<a>&#12a;</a>", 1, "malformed character reference"},
      {"<a>&#X41;</a>", 1, "malformed character reference"},
      {"<a></a>\ntext", 2, "text after the root"},
      {"<a></a><b></b>", 1, "second element"},
      {"x<a></a>", 1, "text before the root"},
      {"<a>1 < 2</a>", 1, "'<' must start a tag"},
      {"<a>]]></a>", 1, "']]>'"},
      {"<a x=\"1\" y='2' x=\"3\"></a>", 1, "duplicate attribute 'x'"},
      {"<a x=1></a>", 1, "quoted attribute value"},
      {"<a x=\"<\"></a>", 1, "'<' in an attribute value"},
      {"<a x=\"1\"y=\"2\"></a>", 1, "expected white space"},
      {"<a x></a>", 1, "'='"},
      {"<a\n\n", 3, "unterminated start tag"},
      {"<!DOCTYPE a><a></a>", 1, "DOCTYPE"},
      {"<a><!-- a -- b --></a>", 1, "'--' inside a comment"},
      {"<a><!-- open</a>", 1, "unterminated comment"},
      {"<a><![CDATA[x</a>", 1, "unterminated CDATA"},
      {"<a><?pi x</a>", 1, "unterminated processing instruction"},
      {"<?xml version=\"1.0\"?>", 1, "missing root"},
      {" <?xml version=\"1.0\"?><a/>", 1, "only allowed at the very start"},
      {"<a/>\n<?xml version='1.0'?>", 2, "only allowed at the very start"},
      {"<?xml encoding=\"UTF-8\"?><a/>", 1, "needs a version"},
      {"<?xml version=\"2.0\"?><a/>", 1, "unsupported XML version"},
      {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><a/>", 1, "only UTF-8"},
      {"<1a/>", 1, "expected the root element"},
      {"<a><1b/></a>", 1, "'<' must start a tag"},
      {"<a></ a>", 1, "element name in the end tag"},
      {"<a>\n\x01</a>", 2, "U+0001 is not allowed"},
      {"<a>\xEF\xBF\xBE</a>", 1, "U+FFFE is not allowed"},
  };
  for (const auto& c : cases) expectParseError(c.text, c.line, c.what);
  std::string deep;
  for (int i = 0; i < 1001; ++i) deep += "<a>";
  expectParseError(deep, 1, "nested deeper than 1000");
}

TEST(XmlParse, InvalidUtf8) {
  const struct {
    const char* bytes;
    const char* what;
  } cases[] = {
      {"\xC0\x80", "overlong"},         {"\xC1\xBF", "overlong"},
      {"\xE0\x80\xAF", "overlong"},     {"\xF0\x82\x82\xAC", "overlong"},
      {"\xED\xA0\x80", "surrogate"},    {"\xED\xBF\xBF", "surrogate"},
      {"\xF4\x90\x80\x80", "U+10FFFF"}, {"\xF5\x80\x80\x80", "U+10FFFF"},
      {"\xE2\x82", "truncated"},        {"\xE2\x82x", "truncated"},
      {"\xF0\x9F\x98", "truncated"},    {"\x80", "continuation"},
      {"\xFF", "never occurs"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.bytes)));
    expectParseError(std::string("<a>\n\n") + c.bytes + "</a>", 3, c.what);
  }
}

TEST(XmlWrite, ReadableLayout) {
  XmlDocument doc(u"Config");
  XmlElement& local = doc.root().addChild(u"Local");
  local.writeInt(u"ToggleMode", 1);
  local.writeValue(u"Odd", u"a<b>&c");
  doc.root().addChild(u"Keymaps");
  EXPECT_EQ(doc.toString(),
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
            "<Config>\r\n"
            "  <Local>\r\n"
            "    <ToggleMode>1</ToggleMode>\r\n"
            "    <Odd>a&lt;b&gt;&amp;c</Odd>\r\n"
            "  </Local>\r\n"
            "  <Keymaps/>\r\n"
            "</Config>\r\n");
}

TEST(XmlWrite, RoundTripsAwkwardValues) {
  const std::u16string values[] = {
      u"  leading and trailing  ",
      u"\U0001F600 \u0915\u094D\u0937",
      u"<&>]]>\"'",
      u"a\r\nb\rc\nd\te",
      u" ",
      u"",
  };
  XmlDocument doc(u"Root");
  for (const auto& v : values) doc.root().addChild(u"V").setValue(v);
  XmlElement& mixed = doc.root().addChild(u"Mixed");
  mixed.setValue(u"text");
  mixed.addChild(u"Inner").setValue(u" x ");
  const XmlDocument back = XmlDocument::parse(doc.toString());
  expectSameTree(doc.root(), back.root());
}

TEST(XmlWrite, RefusesWhatXmlCannotCarry) {
  XmlDocument bad(u"Bad");
  bad.root().addChild(u"V").setValue(std::u16string(1, u'\x01'));
  EXPECT_THROW(bad.toString(), XmlError);
  XmlDocument surrogate(u"Bad");
  surrogate.root().addChild(u"V").setValue(std::u16string(1, u'\xD800'));
  EXPECT_THROW(surrogate.toString(), XmlError);
  EXPECT_THROW(XmlDocument(u"two words").toString(), XmlError);
  EXPECT_THROW(XmlDocument().toString(), XmlError);  // the empty root has no name
}

class XmlFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           (std::string("korimo_xml_") + info->name() + "_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::filesystem::path dir_;
};

TEST_F(XmlFiles, ConfigurationRoundTripsThroughSaveAndLoad) {
  XmlDocument doc(u"Config");
  doc.setEncoding(u"UTF-8");
  XmlElement& local = doc.root().addChild(u"Local");
  local.writeInt(u"ToggleMode", 2);
  local.writeInt(u"TKey1", 0);
  local.writeInt(u"TKey2", 11);
  local.writeBool(u"TextServices", true);
  local.writeBool(u"Surround", false);
  XmlElement& keymaps = doc.root().addChild(u"Keymaps");
  for (const char16_t* file : {u"Bengali.xml", u"\u0939\u093F\u0928\u094D\u0926\u0940.xml"}) {
    XmlElement& entry = keymaps.addChild(u"Entry");
    entry.writeValue(u"Language", u"Bengali");
    entry.writeValue(u"Keyboard", u" Probhat ");
    entry.writeValue(u"Encoding", u"Unicode");
    entry.writeValue(u"Filename", file);
    entry.writeValue(u"TKey1", u"None");
    entry.writeInt(u"TKey2", 3);
  }
  const auto path = dir_ / "Config.xml";
  {
    std::ofstream(path)
        << "old, longer content that must be truncated away .............................";
  }
  doc.save(path);
  const XmlDocument back = XmlDocument::load(path);
  expectSameTree(doc.root(), back.root());
  EXPECT_EQ(back.encoding(), u"UTF-8");
  const XmlElement& l = *back.root().childByName(u"local");
  EXPECT_EQ(l.childByName(u"ToggleMode")->valueAsInt(1), 2);
  EXPECT_EQ(l.childByName(u"TKey2")->valueAsInt(0), 11);
  EXPECT_FALSE(l.childByName(u"Surround")->valueAsBool(true));
  EXPECT_EQ(back.toString(), doc.toString());
}

TEST_F(XmlFiles, MissingOrUnwritableFilesRaise) {
  try {
    XmlDocument::load(dir_ / "config.xml");
    ADD_FAILURE() << "loaded a missing file";
  } catch (const XmlError& e) {
    EXPECT_THAT(e.what(), HasSubstr("config.xml"));
  }
  EXPECT_THROW(XmlDocument::load(dir_), XmlError);  // a folder
  EXPECT_THROW(XmlDocument(u"Config").save(dir_ / "no such folder" / "Config.xml"), XmlError);
}

TEST_F(XmlFiles, LoadErrorsNameFileAndLine) {
  const auto path = dir_ / "broken.xml";
  { std::ofstream(path, std::ios::binary) << "<Config>\r\n  <Local>\r\n</Config>\r\n"; }
  try {
    XmlDocument::load(path);
    ADD_FAILURE() << "loaded a broken file";
  } catch (const XmlError& e) {
    EXPECT_THAT(e.what(), HasSubstr("broken.xml: line 3, column 1"));
  }
}

}  // namespace
}  // namespace korimo::xml

namespace korimo::xml {
namespace {

std::string parseError(std::string_view text) {
  try {
    XmlDocument::parse(text);
  } catch (const XmlError& e) {
    return e.what();
  }
  return "parsed";
}

TEST(XmlLimits, WideEncodingsAreNamed) {
  const struct {
    std::string bytes;
    const char* encoding;
  } cases[] = {
      {"\xFF\xFE<\0a\0/\0>\0", "UTF-16"},
      {"\xFE\xFF\0<\0a\0/\0>", "UTF-16"},
      {std::string("<\0a\0/\0>\0", 8), "UTF-16"},
      {std::string("\0<\0a\0/\0>", 8), "UTF-16"},
      {std::string("\xFF\xFE\0\0<\0\0\0", 8), "UTF-32"},
      {std::string("<\0\0\0a\0\0\0", 8), "UTF-32"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(parseError(c.bytes), std::string("the file is ") + c.encoding + "; save it as UTF-8")
        << ::testing::PrintToString(c.bytes);
}

TEST(XmlLimits, BoundsAreStatedAndLayoutWhiteSpaceIsNotAValue) {
  const std::string longValue(kMaxValueLength + 1, 'x');
  EXPECT_THAT(parseError("<a>\n<b>" + longValue + "</b></a>"),
              HasSubstr("line 2, column 1: the value of element 'b' is longer than 65536"));
  EXPECT_THAT(parseError("<a><![CDATA[" + longValue + "]]></a>"), HasSubstr("longer than"));
  // Long white space between child elements is layout, alone it is a value.
  const std::string space(kMaxValueLength + 10, ' ');
  EXPECT_EQ(parseError("<a><b/>" + space + "<c/></a>"), "parsed");
  EXPECT_THAT(parseError("<a>" + space + "</a>"), HasSubstr("longer than"));
  EXPECT_THAT(parseError("<a><b/>" + space + "x<c/></a>"), HasSubstr("longer than"));
  std::string many = "<a>";
  for (std::size_t i = 0; i < kMaxElements; ++i) many += "<b/>";
  EXPECT_THAT(parseError(many + "</a>"), HasSubstr("more than 1000000 elements"));
  EXPECT_EQ(parseError(std::string(kMaxFileBytes + 1, ' ')), "the file is larger than 16 MiB");
}

TEST(XmlLimits, DuplicateAttributesAreFoundAmongMany) {
  std::string tag = "<a";
  for (int i = 0; i < 100000; ++i) tag += " n" + std::to_string(i) + "='v'";
  EXPECT_EQ(parseError(tag + "/>"), "parsed");
  EXPECT_THAT(parseError(tag + " n99999='w'/>"), HasSubstr("duplicate attribute 'n99999'"));
}

TEST_F(XmlFiles, EndlessFilesStopAtTheLimit) {
  try {
    XmlDocument::load("/dev/zero");
    ADD_FAILURE() << "loaded /dev/zero";
  } catch (const XmlError& e) {
    EXPECT_STREQ(e.what(), "/dev/zero: the file is larger than 16 MiB");
  }
}

}  // namespace
}  // namespace korimo::xml
