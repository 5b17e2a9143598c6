// HTML text as the player reads it into characters and formats, and writes it back.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "swf/text/HtmlParser.h"
#include "swf/text/HtmlWriter.h"

using swf::FormattedText;
using swf::HtmlParser;
using swf::HtmlWriter;
using swf::StyleSheet;
using swf::TextAlign;
using swf::TextFormat;

namespace {

// A field's format for new text: every attribute set, as the player's fields have them.
TextFormat baseFormat() {
    TextFormat f;
    f.font = "Base";
    f.size = 12;
    f.color = 0;
    f.bold = f.italic = f.underline = f.bullet = f.kerning = false;
    f.url = f.target = "";
    f.align = TextAlign::Left;
    f.leftMargin = f.rightMargin = f.indent = f.leading = f.blockIndent = f.letterSpacing = 0;
    f.tabStops = std::vector<double>{};
    return f;
}

// What a run is checked for.
struct ShownRun {
    std::u32string text;
    std::string font;
    double size;
    uint32_t color;
    bool bold;
    TextAlign align;
};

std::vector<ShownRun> runsOf(const FormattedText& parsed) {
    std::vector<ShownRun> out;
    for (const swf::FormatRun& run : parsed.runs.runs()) {
        const TextFormat& f = run.format;
        out.push_back({parsed.text.substr(run.begin, run.end - run.begin), *f.font, *f.size,
                       *f.color, *f.bold, *f.align});
    }
    return out;
}

StyleSheet sheet() {
    StyleSheet styles;
    TextFormat red;
    red.color = 0xFF0000;
    styles.set(".red", red);
    TextFormat big;
    big.size = 30;
    big.bold = true;
    styles.set(".big", big);
    TextFormat centred;
    centred.align = TextAlign::Center;
    styles.set("p", centred);
    TextFormat blue;
    blue.color = 0x0000FF;
    styles.set("span", blue);
    return styles;
}

constexpr TextAlign L = TextAlign::Left;

}  // namespace

TEST(HtmlParserTest, ReadsRunsAndWritesThePlayersHtml) {
    const StyleSheet styles = sheet();
    struct Case {
        const char* name;
        std::u32string html;
        bool multiline;
        const StyleSheet* sheet;
        std::vector<ShownRun> runs;
        std::u32string written;  // empty: not checked
        int swfVersion = 8;
        bool definitionText = false;
    };
    const std::vector<Case> cases = {
        {"tags format their text; the rest keeps the base",
         U"a<font face='F' size='20' color='#FF0000'>b<b>c</b></font>d", false, nullptr,
         {{U"a", "Base", 12, 0, false, L},
          {U"b", "F", 20, 0xFF0000, false, L},
          {U"c", "F", 20, 0xFF0000, true, L},
          {U"d", "Base", 12, 0, false, L}},
         U"<P ALIGN=\"LEFT\"><FONT FACE=\"Base\" SIZE=\"12\" COLOR=\"#000000\" "
         U"LETTERSPACING=\"0\" KERNING=\"0\">a<FONT FACE=\"F\" SIZE=\"20\" "
         U"COLOR=\"#FF0000\">b<B>c</B></FONT>d</FONT></P>"},
        {"relative sizes, colours without '#' ignored, entities decoded",
         U"<font size='+3' color='123'>&lt;&amp;&#65;&#x42;&nbsp;&bogus;</font>", false, nullptr,
         {{U"<&AB\u00A0&bogus;", "Base", 15, 0, false, L}},
         U"<P ALIGN=\"LEFT\"><FONT FACE=\"Base\" SIZE=\"15\" COLOR=\"#000000\" "
         U"LETTERSPACING=\"0\" KERNING=\"0\">&lt;&amp;AB\u00A0&amp;bogus;</FONT></P>"},
        {"numeric entities: blanks, a sign and digits up to the first other one, in 16 bits; sizes at least 1",
         U"<font size='0'>&#-50;&#x+2c;&#58 0;&# 40;&#1311768467463786786;&#X28;&#  x3b;</font>", false, nullptr,
         {{U"\uFFCE,:(\uD122&#X28;&#  x3b;", "Base", 1, 0, false, L}}, U""},
        {"paragraphs break only multiline fields; their format is their first character's",
         U"<p align='right'>a</p><p align='center'>b</p>", true, nullptr,
         {{U"a\r", "Base", 12, 0, false, TextAlign::Right},
          {U"b\r", "Base", 12, 0, false, TextAlign::Center}},
         U"<P ALIGN=\"RIGHT\"><FONT FACE=\"Base\" SIZE=\"12\" COLOR=\"#000000\" "
         U"LETTERSPACING=\"0\" KERNING=\"0\">a</FONT></P><P ALIGN=\"CENTER\"><FONT "
         U"FACE=\"Base\" SIZE=\"12\" COLOR=\"#000000\" LETTERSPACING=\"0\" "
         U"KERNING=\"0\">b</FONT></P>"},
        {"single-line fields join paragraphs but raw newlines still break",
         U"<p>a</p><br><p>b</p>\nc", false, nullptr, {{U"ab\rc", "Base", 12, 0, false, L}}, U""},
        {"a closing tag closes only the innermost open one", U"<b>a<i>b</b>c</i>d</b>e", false,
         nullptr,
         {{U"a", "Base", 12, 0, true, L},
          {U"bc", "Base", 12, 0, true, L},
          {U"d", "Base", 12, 0, true, L},
          {U"e", "Base", 12, 0, false, L}},
         U"<P ALIGN=\"LEFT\"><FONT FACE=\"Base\" SIZE=\"12\" COLOR=\"#000000\" "
         U"LETTERSPACING=\"0\" KERNING=\"0\"><B>a</B><B><I>bc</I></B><B>d</B>e</FONT></P>"},
        {"list items, links and paragraph settings",
         U"<textformat leftmargin='4' leading='2'><li><a href='u' target='t'><u>x</u></a>"
         U"</li></textformat>",
         true, nullptr, {{U"x", "Base", 12, 0, false, L}, {U"\r", "Base", 12, 0, false, L}},
         U"<TEXTFORMAT LEFTMARGIN=\"4\" LEADING=\"2\"><LI><FONT FACE=\"Base\" SIZE=\"12\" "
         U"COLOR=\"#000000\" LETTERSPACING=\"0\" KERNING=\"0\"><A HREF=\"u\" "
         U"TARGET=\"t\"><U>x</U></A></FONT></LI></TEXTFORMAT>"},
        {"a break keeps its own format, written as an empty run",
         U"<font color='#AAAAAA'>a</font>\nb", false, nullptr,
         {{U"a", "Base", 12, 0xAAAAAA, false, L}, {U"\rb", "Base", 12, 0, false, L}},
         U"<P ALIGN=\"LEFT\"><FONT FACE=\"Base\" SIZE=\"12\" COLOR=\"#AAAAAA\" "
         U"LETTERSPACING=\"0\" KERNING=\"0\">a<FONT COLOR=\"#000000\"></FONT></FONT></P><P "
         U"ALIGN=\"LEFT\"><FONT FACE=\"Base\" SIZE=\"12\" COLOR=\"#000000\" "
         U"LETTERSPACING=\"0\" KERNING=\"0\">b</FONT></P>"},
        {"style sheets style paragraphs and a class named whole, ignoring case; spans, "
         "unknown classes and tags take nothing",
         U"<p>a<span class='BIG'>b</span><span class='red big'>c</span><x>d</x></p>", false,
         &styles,
         {{U"a", "Base", 12, 0, false, TextAlign::Center},
          {U"b", "Base", 30, 0, true, TextAlign::Center},
          {U"cd", "Base", 12, 0, false, TextAlign::Center}},
         U""},
        {"the break a </p> makes has the last closed <font>'s font and the last character's "
         "style",
         U"<p><font color='#FF0000'><b>a</b></font></p><b><p></p></b>", true, nullptr,
         {{U"a\r", "Base", 12, 0xFF0000, true, L}, {U"\r", "Base", 12, 0xFF0000, false, L}},
         U""},
        {"older movies drop blank text between tags and ignore kerning",
         U"<p>a</p> \n<p><font kerning='1'>b</font></p>\n", false, nullptr,
         {{U"ab", "Base", 12, 0, false, L}},
         U"<P ALIGN=\"LEFT\"><FONT FACE=\"Base\" SIZE=\"12\" COLOR=\"#000000\" "
         U"LETTERSPACING=\"0\" KERNING=\"0\">ab</FONT></P>",
         7},
        {"older movies' initial text keeps blank text inside a tag that formats characters",
         U"<p><font color='#FF0000'> </font></p> <p><b>\n</b>a</p>", false, nullptr,
         {{U" ", "Base", 12, 0xFF0000, false, L}, {U"\r", "Base", 12, 0, true, L},
          {U"a", "Base", 12, 0, false, L}},
         U"", 7, true},
        {"older movies' scripts lose it; text beside it stays",
         U"<p><font color='#FF0000'> </font></p> <p><b>\n</b>a<b> b </b></p>", false, nullptr,
         {{U"a", "Base", 12, 0, false, L}, {U" b ", "Base", 12, 0, true, L}},
         U"", 7},
        {"without a style sheet classes are nothing", U"<span class='red'>a</span>", false,
         nullptr, {{U"a", "Base", 12, 0, false, L}}, U""},
        {"an unquoted attribute value or an unfinished tag ends the text",
         U"a<font color=#FF0000>b</font>", false, nullptr, {{U"a", "Base", 12, 0, false, L}},
         U""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HtmlParser::Options options;
        options.multiline = c.multiline;
        options.styleSheet = c.sheet;
        options.swfVersion = c.swfVersion;
        options.definitionText = c.definitionText;
        const FormattedText parsed = HtmlParser::parse(c.html, baseFormat(), options);
        const std::vector<ShownRun> runs = runsOf(parsed);
        ASSERT_EQ(runs.size(), c.runs.size());
        for (size_t i = 0; i < runs.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(runs[i].text, c.runs[i].text);
            EXPECT_EQ(runs[i].font, c.runs[i].font);
            EXPECT_EQ(runs[i].size, c.runs[i].size);
            EXPECT_EQ(runs[i].color, c.runs[i].color);
            EXPECT_EQ(runs[i].bold, c.runs[i].bold);
            EXPECT_EQ(runs[i].align, c.runs[i].align);
        }
        if (!c.written.empty()) {
            EXPECT_EQ(HtmlWriter::write(parsed.text, parsed.runs, baseFormat()), c.written);
        }
    }

    // Hostile input: nesting past the limit, a huge attribute, thousands of tags.
    std::u32string deep;
    for (int i = 0; i < 5000; ++i) deep += U"<font size='+1'>";
    deep += U"x" + std::u32string(100000, U'<') + U">";
    HtmlParser::Options version13;
    version13.swfVersion = 13;
    const FormattedText hostile = HtmlParser::parse(deep, baseFormat(), version13);
    ASSERT_EQ(hostile.text, U"x");
    EXPECT_EQ(*hostile.runs.runs()[0].format.size, 12 + HtmlParser::kMaxOpenTags);
    // Movies before version 13 stop at 127 points.
    EXPECT_EQ(*HtmlParser::parse(deep, baseFormat(), {}).runs.runs()[0].format.size, 127);
    const std::u32string longFace = U"<font face='" + std::u32string(50000, U'a') + U"'>y";
    const FormattedText cut = HtmlParser::parse(longFace, baseFormat(), {});
    EXPECT_EQ(cut.runs.runs()[0].format.font->size(), HtmlParser::kMaxAttributeLength);
}
