#include <gtest/gtest.h>

#include "swf/text/HtmlText.h"
#include "swf/text/TextDecoding.h"

using swf::DecodeMovieText;
using swf::PlainTextFromHtml;

TEST(HtmlTextTest, TagsAreDroppedAndBreaksKept) {
    EXPECT_EQ(PlainTextFromHtml(U"<font face=\"Arial\" size=\"12\"><b>Bold</b> text</font>"),
              U"Bold text");
    EXPECT_EQ(PlainTextFromHtml(U"one<br>two<BR/>three"), U"one\ntwo\nthree");
    EXPECT_EQ(PlainTextFromHtml(U"<p align=\"left\">first</p><P>second</P>"), U"first\nsecond");
    EXPECT_EQ(PlainTextFromHtml(U"before<p>after"), U"before\nafter");
    EXPECT_EQ(PlainTextFromHtml(U"<p></p><p>x</p>"), U"\nx");
    EXPECT_EQ(PlainTextFromHtml(U"cut <b"), U"cut ");
}

TEST(HtmlTextTest, EntitiesAreDecoded) {
    EXPECT_EQ(PlainTextFromHtml(U"a &lt;b&gt; &amp; &quot;c&quot; &apos;d&apos;"),
              U"a <b> & \"c\" 'd'");
    EXPECT_EQ(PlainTextFromHtml(U"&#65;&#x42;&#X43;&nbsp;"), U"ABC\u00A0");
    // Unknown or malformed entities stay as written.
    EXPECT_EQ(PlainTextFromHtml(U"&bogus; & x &#xZZ; &#0;"), U"&bogus; & x &#xZZ; &#0;");
}

TEST(TextDecodingTest, Utf8WithLatin1Fallback) {
    EXPECT_EQ(DecodeMovieText("plain"), U"plain");
    EXPECT_EQ(DecodeMovieText("caf\xC3\xA9 \xE3\x81\x82 \xF0\x9F\x98\x80"),
              U"café \u3042 \U0001F600");
    // Old movies' 8-bit text is not UTF-8: each byte is one character.
    EXPECT_EQ(DecodeMovieText("caf\xE9"), U"café");
    // Overlong forms and cut-off sequences fall back byte by byte too.
    EXPECT_EQ(DecodeMovieText("\xC0\xAF"), U"\u00C0\u00AF");
    EXPECT_EQ(DecodeMovieText("\xE3\x81"), U"\u00E3\u0081");
}
