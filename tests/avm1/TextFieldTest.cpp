// Text fields as scripts see them: fields made by createTextField and placed by the timeline,
// their properties on TextField.prototype, variable binding, TextFormat's conversions, the
// style sheet's CSS reader and TextSnapshot on a clip without static text. The expected lines
// are what the original player prints for the same scripts.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "avm1/ScriptCode.h"
#include "avm1/ScriptRun.h"
#include "support/ActionBuilder.h"
#include "support/EditText.h"
#include "support/SwfWriter.h"

namespace {

namespace st = swftest;
using namespace avm1test::code;
using avm1test::ExpectTraces;
using avm1test::Joined;
using avm1test::RunMovie;
using avm1test::ScriptCase;

// name = value-on-the-stack-from `expression`
std::string store(std::string_view name, const std::string& expression) {
    return "push \"" + std::string(name) + "\"\n" + expression + "setVariable\n";
}

// tf = _root.createTextField("t", 1, x, y, w, h)
std::string field(std::string_view bounds = "0, 0, 100, 20") {
    std::vector<std::string> args = {"\"t\"", "1"};
    for (size_t start = 0; start <= bounds.size();) {
        size_t comma = std::min(bounds.find(", ", start), bounds.size());
        args.emplace_back(bounds.substr(start, comma - start));
        start = comma + 2;
    }
    return store("tf", call("_root", "createTextField", args));
}

std::string newObject(std::string_view cls, const std::vector<std::string>& args = {}) {
    std::string out = "push ";
    for (auto it = args.rbegin(); it != args.rend(); ++it) out += *it + ", ";
    return out + std::to_string(args.size()) + ", \"" + std::string(cls) + "\"; newObject\n";
}

TEST(TextFieldClass, MatchesThePlayer) {
    const std::string made = field() + store("tf", var("_root.t") + "\n");  // before SWF 8
    const std::vector<ScriptCase> cases = {
        {"a made field answers from version 8, with whole-pixel placement and size", 8,
         field("2.1, 3.94, 2.1, 3.94") + show("tf") + show("tf._x") + show("tf._y") +
             show("tf._width") + show("tf._height") + set("tf", "_width", "2.1") +
             set("tf", "_y", "3.94") + show("tf._width") + show("tf._y"),
         "_level0.t\n2\n3\n2\n3\n2.1\n3.9"},
        {"_width goes to the field's own box, which its scale then stretches", 8,
         field() + set("tf", "_xscale", "200") + set("tf", "_width", "20") + show("tf._width") +
             show("tf._xscale"),
         "40\n200"},
        {"a turned field's box is rounded once, at its corners", 8, field("0, 0, 12, 13") +
             set("tf", "_rotation", "5") + set("tf", "_xscale", "200") +
             set("tf", "_yscale", "150") + show("tf._width") + show("tf._height"), "25.6\n21.5"},
        {"before version 6 a field is no object: by name it stands for its clip", 5,
         field() + trace(var("_root.t") + "; typeOf") + show("_root.t"), "movieclip\n_level0"},
        {"SWF 6 keeps an empty restrict pattern", 6,
         made + set("tf", "restrict", "\"\"") + trace(member(var("tf"), "restrict") + "; typeOf"),
         "string"},
        {"from SWF 7 an empty restrict pattern is none", 7,
         made + set("tf", "restrict", "\"\"") + show("tf.restrict"), "null"},
        {"the field properties come to the prototype with the first field", 6,
         call("TextField.prototype", "hasOwnProperty", {"\"text\""}) + "trace\n" + field() +
             call("TextField.prototype", "hasOwnProperty", {"\"text\""}) + "trace\n",
         "false\ntrue"},
        {"createTextField hands the new field to _global.TextField as it is now", 6,
         "push \"_global\"; getVariable; push \"TextField\"; function () { push \"this\"; "
         "getVariable; push \"made\", 1; setMember }; setMember\n" + field() + show("_root.t.made"),
         "1"},
        {"getFontList makes a new array each time", 6,
         store("a", call("TextField", "getFontList")) + call("TextField", "getFontList") +
             "push \"a\"; getVariable; equals2; trace\n", "false"},
        {"before version 8 createTextField answers nothing", 7,
         field() + show("tf") + show("_root.t._name"), "undefined\nt"},
        {"text keeps line breaks as carriage returns", 8,
         field() + set("tf", "text", "\"a\\nb\"") + show("tf.length") +
             "push \"tf\"; getVariable; push \"text\"; getMember; push \"a\\rb\"; equals2; "
             "trace\n",
         "3\ntrue"},
        {"colours are 24-bit", 8,
         field() + show("tf.backgroundColor") + set("tf", "backgroundColor", "-1") +
             show("tf.backgroundColor") + set("tf", "borderColor", "4210752") +
             show("tf.borderColor") + show("tf.textColor"),
         "16777215\n16777215\n4210752\n0"},
        {"defaults of a made field", 8,
         field() + show("tf.type") + show("tf.maxChars") + show("tf.variable") +
             show("tf.autoSize") + show("tf.html") + show("tf.selectable") + show("tf.scroll") +
             show("tf.maxscroll") + show("tf.antiAliasType"),
         "dynamic\nnull\nnull\nnone\nfalse\ntrue\n1\n1\nnormal"},
        {"autoSize takes booleans and the names it knows", 8,
         field() + set("tf", "autoSize", "true") + show("tf.autoSize") +
             set("tf", "autoSize", "\"center\"") + show("tf.autoSize") +
             set("tf", "autoSize", "\"bogus\"") + show("tf.autoSize"),
         "left\ncenter\nnone"},
        {"a watcher of text sees no old value", 8,
         field() + set("tf", "text", "\"old\"") +
             "push \"w\"; function (p, o, n) { push \"o\"; getVariable; trace; push \"n\";"
             "  getVariable; return }; setVariable;"
             "push \"w\"; getVariable; push \"text\", 2, \"tf\"; getVariable; push \"watch\";"
             "callMethod; pop;" +
             set("tf", "text", "\"new\"") + show("tf.text"),
         "undefined\nnew"},
        {"the field's own listener list starts with itself", 8,
         field() + show("tf._listeners.length") +
             "push \"tf\"; getVariable; push \"_listeners\"; getMember; push 0; getMember; "
             "push \"tf\"; getVariable; equals2; trace\n",
         "1\ntrue"},
        {"replaceText and replaceSel edit the text", 8,
         field() + set("tf", "text", "\"abcdef\"") +
             call("tf", "replaceText", {"1", "3", "\"X\""}) + "pop\n" + show("tf.text") +
             call("tf", "replaceSel", {"\"!\""}) + "pop\n" + show("tf.text"),
         "aXdef\naXdef!"},
        {"scroll counts from zero in 32 bits: the lowest integer is the last line", 8,
         field() + set("tf", "multiline", "true") + set("tf", "text", "\"a\\rb\\rc\\rd\"") +
             set("tf", "scroll", "-2147483648") + show("tf.scroll") + show("tf.maxscroll") +
             set("tf", "scroll", "-2147483647") + show("tf.scroll") +
             set("tf", "scroll", "4294967299") + show("tf.scroll"),
         "4\n4\n1\n3"},
        {"a tall line shows or not by its own height: first it hides the next, last it "
         "keeps the scroll from reaching it with one line before",
         8,
         field("0, 0, 100, 40") + set("tf", "multiline", "true") +
             set("tf", "text", "\"a\\rb\\rc\"") + store("f", newObject("TextFormat")) +
             set("f", "size", "30") +
             "push \"f\"; getVariable; push 1, 0, 3, \"tf\"; getVariable; "
             "push \"setTextFormat\"; callMethod; pop\n" +
             show("tf.bottomScroll") + show("tf.maxscroll") +
             "push \"f\"; getVariable; push 5, 4, 3, \"tf\"; getVariable; "
             "push \"setTextFormat\"; callMethod; pop\n" +
             show("tf.maxscroll"),
         "1\n2\n3"},
        {"the empty line after a final break scrolls only where it can be typed on", 8,
         field("0, 0, 100, 40") + set("tf", "multiline", "true") +
             set("tf", "text", "\"a\\rb\\rc\\r\"") + show("tf.maxscroll") +
             set("tf", "type", "\"input\"") + show("tf.maxscroll"),
         "2\n3"},
        {"a duplicate of a made field starts empty and shown from its definition, where it was",
         8,
         field("5, 6, 100, 20") + set("tf", "text", "\"x\"") + set("tf", "_visible", "false") +
             "push \"t\", \"c\", 16394; cloneSprite\n" + show("_root.c._x") +
             show("_root.c._width") + show("_root.c.text.length") + show("tf._width") +
             show("_root.c._visible"),
         "5\n0\n0\n100\ntrue"},
        {"a field keeps the filters a script gives it", 8,
         field() + show("tf.filters.length") +
             assign(var("tf"), "filters",
                    makeFlash("filters", "BlurFilter", {lit("2"), lit("4")}) +
                        "; push 1; initArray") +
             show("tf.filters.length") + show("tf.filters.0.blurX"),
         "0\n1\n2"},
        {"maxChars limits typing only, and keeps any whole number", 6,
         made + set("tf", "maxChars", "3") + set("tf", "text", "\"abcdef\"") + show("tf.text") +
             set("tf", "maxChars", "-6.5") + show("tf.maxChars"),
         "abcdef\n-6"},
        {"a made field bound to a variable not there keeps its text and makes none", 8,
         field() + set("tf", "text", "\"kept\"") + set("tf", "variable", "\"missing\"") +
             show("tf.text") + trace(var("missing") + "; typeOf"),
         "kept\nundefined"},
        {"a bound field shows its variable and sets it", 8,
         field() + set("tf", "variable", "\"v\"") + "push \"v\", \"x\"; setVariable\n" +
             show("tf.text") + set("tf", "text", "\"y\"") + show("v"),
         "x\ny"},
        {"properties on something that is not a field are undefined", 8,
         store("o", newObject("TextField")) + show("o.text") + set("o", "text", "\"t\"") +
             show("o.text") + show("o.getDepth"),
         "undefined\nundefined\n[type Function]"},
        {"older movies see the version 8 names with nothing behind them", 7,
         store("o", newObject("TextField")) + set("o", "sharpness", "\"s\"") + show("o.sharpness"),
         "s"},
        {"a new field's format for new text", 8,
         field() + store("f", call("tf", "getNewTextFormat")) + show("f.font") + show("f.size") +
             show("f.color") + show("f.align") + show("f.bold") + show("f.display"),
         "Times New Roman\n12\n0\nleft\nfalse\nblock"},
        {"an empty field's format is all unset", 8,
         field() + store("f", call("tf", "getTextFormat")) + show("f.font") + show("f.size"),
         "null\nnull"},
        {"setTextFormat colours the text, not what new text gets", 8,
         field() + set("tf", "text", "\"abc\"") + store("f", newObject("TextFormat")) +
             set("f", "color", "255") + "push \"f\"; getVariable; push 1, \"tf\"; getVariable; "
             "push \"setTextFormat\"; callMethod; pop\n" + store("g", call("tf", "getTextFormat")) +
             show("g.color") + show("tf.textColor"),
         "255\n0"},
        {"TextFormat rounds half to even and bounds what it keeps", 8,
         store("f", newObject("TextFormat")) + set("f", "size", "-2.5") + show("f.size") +
             set("f", "size", "3.5") + show("f.size") + set("f", "size", "4294967295") +
             show("f.size") + set("f", "color", "-3") + show("f.color") +
             set("f", "leftMargin", "-3") + show("f.leftMargin") + set("f", "align", "\"right\"") +
             set("f", "align", "\"bogus\"") + show("f.align") + set("f", "bold", "\"x\"") +
             show("f.bold") + set("f", "display", "\"x\"") + show("f.display"),
         "-2\n4\n-2147483648\n4294967293\n0\nright\ntrue\nblock"},
        {"before version 8 a size that is NaN is 0", 7,
         store("f", newObject("TextFormat")) + set("f", "size", "\"x\"") + show("f.size") +
             set("f", "size", "-2.5") + show("f.size"),
         "0\n-2"},
        {"each text format has its own hidden getTextExtent", 7,
         store("f", newObject("TextFormat")) +
             trace(invoke(var("f"), "hasOwnProperty", {lit("\"getTextExtent\"")})) +
             trace(invoke(member(var("TextFormat"), "prototype"), "hasOwnProperty",
                          {lit("\"getTextExtent\"")})) +
             trace(member(invoke(var("f"), "getTextExtent", {lit("\"a\"")}), "width") + "; typeOf"),
         "true\nfalse\nnumber"},
        {"getTextExtent keeps text too narrow to break in pieces of two on one line", 7,
         store("f", newObject("TextFormat")) +
             trace(member(invoke(var("f"), "getTextExtent", {lit("\"Hello\""), lit("1")}),
                          "height") +
                   "; " + member(invoke(var("f"), "getTextExtent", {lit("\"Hello\"")}), "height") +
                   "; equals2"),
         "true"},
        {"the TextFormat constructor takes its arguments in order", 8,
         store("f", newObject("TextFormat", {"\"Arial\"", "10", "255", "true"})) + show("f.font") +
             show("f.size") + show("f.color") + show("f.bold") + show("f.italic"),
         "Arial\n10\n255\ntrue\nnull"},
        {"the CSS reader", 8,
         store("s", newObject("TextField.StyleSheet")) +
             call("s", "parseCSS", {"\"a, b { kerning: 5 }\""}) + "trace\n" +
             store("g", call("s", "getStyle", {"\"b\""})) + show("g.kerning") +
             call("s", "parseCSS", {"\"a{name}\""}) + "trace\n" +
             call("s", "parseCSS", {"\"k {font-size: 10px;}\""}) + "trace\n" +
             store("g", call("s", "getStyle", {"\"k\""})) + show("g.fontSize") +
             show("s._styles.k.size") + call("s", "getStyle", {"\"none\""}) + "trace\n",
         "true\n5 \nfalse\ntrue\n10px\n10\nnull"},
        {"HTML text takes its tags' format; text set later the format for new text", 8,
         field() + set("tf", "html", "true") +
             set("tf", "htmlText", "\"<font color='#00ff00'>green</font>\"") + show("tf.text") +
             show("tf.textColor") + store("f", call("tf", "getTextFormat")) + show("f.color") +
             set("tf", "text", "\"plain\"") + store("f", call("tf", "getTextFormat")) +
             show("f.color"),
         "green\n0\n65280\n0"},
        {"an attribute without quotes ends the HTML text", 8,
         field() + set("tf", "html", "true") +
             set("tf", "htmlText", "\"a<font color=#00FF00>b</font>\"") + show("tf.text"),
         "a"},
        {"paragraphs end lines in multiline fields only", 8,
         field() + set("tf", "html", "true") + set("tf", "htmlText", "\"<p>a</p><p>b</p>\"") +
             show("tf.length") + set("tf", "multiline", "true") +
             set("tf", "htmlText", "\"<p>a</p><p>b</p>\"") + show("tf.length"),
         "2\n4"},
        {"older movies truncate and keep indents positive", 7,
         store("f", newObject("TextFormat")) + set("f", "size", "-10.9") + show("f.size") +
             set("f", "indent", "-3") + show("f.indent") + set("f", "align", "\"right\"") +
             set("f", "align", "null") + show("f.align"),
         "-10\n0\nright"},
        {"the constructor truncates and keeps negative margins", 8,
         store("f", newObject("TextFormat", {"null", "-10.9", "null", "null", "null", "null",
                                           "null", "null", "null", "-11"})) +
             show("f.size") + show("f.leftMargin"),
         "-10\n-11"},
        {"style names", 8,
         store("s", newObject("TextField.StyleSheet")) +
             call("s", "parseCSS", {"\"a{x:1} b{y:2}\""}) + "pop\n" +
             store("n", call("s", "getStyleNames")) + show("n.length") +
             call("s", "parseCSS", {"\"k {font-family:  A ,  B; letter-spacing: 2.5}\""}) +
             "pop\n" + show("s._styles.k.font") + show("s._styles.k.letterSpacing"),
         "2\nA ,B\n2"},
        {"htmlText writes each run back with the font attributes it changes", 8,
         field() + set("tf", "html", "true") +
             set("tf", "htmlText", "\"<font color='#FF0000'>a</font>b<b>c</b>\"") +
             show("tf.htmlText") + store("f", call("tf", "getTextFormat", {"0", "1"})) +
             show("f.color") + store("f", call("tf", "getTextFormat", {"1", "3"})) +
             show("f.color") + show("f.bold") + store("f", call("tf", "getTextFormat")) +
             show("f.color"),
         "<P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#FF0000\" "
         "LETTERSPACING=\"0\" KERNING=\"0\">a<FONT COLOR=\"#000000\">b<B>c</B></FONT></FONT>"
         "</P>\n16711680\n0\nnull\nnull"},
        {"setTextFormat formats a range; the rest keeps its format", 8,
         field() + set("tf", "html", "true") + set("tf", "text", "\"abc\"") +
             store("f", newObject("TextFormat")) + set("f", "bold", "true") +
             "push \"f\"; getVariable; push 2, 1, 3, \"tf\"; getVariable; "
             "push \"setTextFormat\"; callMethod; pop\n" +
             show("tf.htmlText") +
             store("f", call("tf", "getTextFormat", {"0"})) + show("f.bold"),
         "<P ALIGN=\"LEFT\"><FONT FACE=\"Times New Roman\" SIZE=\"12\" COLOR=\"#000000\" "
         "LETTERSPACING=\"0\" KERNING=\"0\">a<B>b</B>c</FONT></P>\nfalse"},
        {"with a style sheet the HTML stays as set and its classes style the text", 8,
         field() + store("s", newObject("TextField.StyleSheet")) +
             call("s", "parseCSS", {"\".red { color: #FF0000; }\""}) + "pop\n" +
             "push \"tf\"; getVariable; push \"styleSheet\"; push \"s\"; getVariable; "
             "setMember\n" +
             set("tf", "htmlText", "\"<span class='red'>x</span>y\"") + show("tf.htmlText") +
             show("tf.text") + store("f", call("tf", "getTextFormat", {"0"})) +
             show("f.color") +
             "push \"tf\"; getVariable; push \"styleSheet\"; push \"_root\"; getVariable; "
             "setMember\n" +
             show("tf.styleSheet"),
         "<span class='red'>x</span>y\nxy\n16711680\nundefined"},
        {"a made field's duplicate starts from its definition, which keeps the field's type", 8,
         field() + set("tf", "type", "\"input\"") + set("tf", "password", "true") +
             "push \"t\", \"c\", 5; cloneSprite\n" + show("c.type") + show("c.password") +
             set("tf", "type", "\"dynamic\"") + "push \"t\", \"d\", 6; cloneSprite\n" +
             show("d.type"),
         "input\nfalse\ndynamic"},
        {"a style sheet set again restyles the HTML kept, a class matched ignoring case", 8,
         field() + store("s", newObject("TextField.StyleSheet")) +
             "push \"tf\"; getVariable; push \"styleSheet\", 0, \"Object\"; newObject; "
             "setMember\n" +
             set("tf", "htmlText", "\"<span class='RED'>x</span>\"") +
             call("s", "parseCSS", {"\".red { color: #FF0000; }\""}) + "pop\n" +
             "push \"tf\"; getVariable; push \"styleSheet\", \"s\"; getVariable; setMember\n" +
             store("f", call("tf", "getTextFormat", {"0"})) + show("f.color"),
         "16711680"},
        {"TextSnapshot of a clip without static text", 8,
         store("t", call("_root", "getTextSnapshot")) + call("t", "getCount") + "trace\n" +
             call("t", "findText", {"0", "\"a\"", "true"}) + "trace\n" +
             call("t", "getText", {"0", "1"}) + "trace\n" + call("t", "getText") + "trace\n",
         "0\n-1\n\nundefined"},
    };
    ExpectTraces(cases);
}

// A timeline field bound to a variable: it gives the variable its text when placed, shows
// what the variable holds after each frame's actions, and sets it when its text is set.
TEST(TextFieldClass, BindsTimelineVariables) {
    st::SwfWriter movie;
    movie.version(8);
    st::EditText text;
    text.bounds = st::Rect::fromPixels(0, 0, 100, 20);
    text.text = "Hello";
    text.variableName = "theVar";
    movie.defineEditText(1, text);
    movie.placeObject2({.depth = 1, .character = 1, .name = "t"});
    movie.doAction(st::ActionBuilder::assemble(
        show("theVar") + show("t.text") + "push \"theVar\", 5; setVariable\n" + show("t.text") +
        set("t", "text", "\"z\"") + show("theVar") + show("t._x") + show("t.variable")));
    movie.showFrame();
    movie.doAction(st::ActionBuilder::assemble("push \"theVar\", \"later\"; setVariable\n"));
    movie.showFrame();
    movie.doAction(st::ActionBuilder::assemble(show("t.text") + "stop\n"));
    movie.showFrame();
    EXPECT_EQ(Joined(RunMovie(movie, 3)), "Hello\nHello\n5\nz\n0\ntheVar\nlater");
}

// CSMTextSettings gives the field it names its anti-aliasing and grid fitting; a field
// without one, or named by a cut-off tag, has the defaults.
TEST(TextFieldClass, TakesItsTextSettingsFromTheMovie) {
    st::SwfWriter movie;
    movie.version(8);
    st::EditText text;
    text.bounds = st::Rect::fromPixels(0, 0, 100, 20);
    for (uint16_t id : {1, 2, 3}) {
        movie.defineEditText(id, text);
        movie.placeObject2({.depth = id, .character = id, .name = "t" + std::to_string(id)});
    }
    // Field 1: UseFlashType 1 (advanced), GridFit 2 (subpixel), thickness 100, sharpness -50.
    const std::vector<uint8_t> settings = {1, 0, 0x50, 0, 0, 0xC8, 0x42, 0, 0, 0x48, 0xC2, 0};
    movie.tag(74, settings);
    movie.tag(74, std::vector<uint8_t>{3, 0, 0x50, 0, 0});
    std::string script;
    for (const char* field : {"t1", "t2", "t3"})
        for (const char* property : {"antiAliasType", "gridFitType", "thickness", "sharpness"})
            script += show(std::string(field) + "." + property);
    movie.doAction(st::ActionBuilder::assemble(script));
    movie.showFrame();
    EXPECT_EQ(Joined(RunMovie(movie)),
              "advanced\nsubpixel\n100\n-50\nnormal\npixel\n0\n0\nnormal\npixel\n0\n0");
}

// Hostile input stays bounded: a huge CSS text, a long run of nested braces and a huge
// maxChars all finish and answer.
TEST(TextFieldClass, StaysWithinItsBounds) {
    std::string braces(20000, '{');
    const std::vector<ScriptCase> cases = {
        {"nested braces", 8,
         store("s", newObject("TextField.StyleSheet")) +
             call("s", "parseCSS", {"\"a" + braces + "\""}) + "trace\n",
         "false"},
        {"absurd maxChars", 8,
         field() + set("tf", "maxChars", "1e300") + show("tf.maxChars") +
             set("tf", "maxChars", "-5") + show("tf.maxChars"),
         "null\n-5"},
        // Sizes are kept within ten million pixels.
        {"absurd sizes", 8,
         field("0, 0, 1e300, -1e300") + show("tf._width") + set("tf", "_height", "1e300") +
             show("tf.textWidth"),
         "10000000\n0"},
    };
    ExpectTraces(cases);
}

}  // namespace
