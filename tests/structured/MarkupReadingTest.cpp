// The seller's markup read as the browser shows it, one group per family of markup.
#include <gtest/gtest.h>

#include "StructuredTestSupport.h"
#include "model/AuctionForm.h"
#include "structured/MarkupReader.h"

namespace licytek::structured {
namespace {

using testing::Shown;

TEST(MarkupReadingTest, ParagraphsEndWhereTheBrowserBreaksTheLine) {
    EXPECT_EQ(Shown("Rower\ngórski"), "<p>Rower górski</p>");  // one line break is a space
    EXPECT_EQ(Shown("Rower\r\n\r\ngórski"), "<p>Rower</p><p>górski</p>");
    EXPECT_EQ(Shown("a\r\n  \t\r\nb"), "<p>a</p><p>b</p>");  // a line of spaces is empty
    EXPECT_EQ(Shown("a<br>b<BR>c"), "<p>a</p><p>b</p><p>c</p>");
    EXPECT_EQ(Shown("a<p>b</p>c<div>d</div>e<center>f</center>g"),
              "<p>a</p><p>b</p><p>c</p><p>d</p><p>e</p><p>f</p><p>g</p>");
    EXPECT_EQ(Shown("<table><tr><td>Rama</td><td>19\"</td></tr><tr><th>Koła</th></tr></table>"),
              "<p>Rama</p><p>19\"</p><p>Koła</p>");
    EXPECT_EQ(Shown("<pre>a\nb</pre>"), "<p>a</p><p>b</p>");
    EXPECT_EQ(Shown("<p></p><br><br><div> \n </div>x<p>&nbsp;</p>"), "<p>x</p>");
}

TEST(MarkupReadingTest, DashedAndNumberedLinesBecomeLists) {
    EXPECT_EQ(Shown("Zestaw:\n- rama\n* koła\n• siodełko\nKoniec"),
              "<p>Zestaw:</p><ul><li>rama</li><li>koła</li><li>siodełko</li></ul><p>Koniec</p>");
    EXPECT_EQ(Shown("1. jeden\n2. dwa<br>3. trzy"),
              "<ol><li>jeden</li><li>dwa</li><li>trzy</li></ol>");
    // A number that the list would show differently stays text.
    EXPECT_EQ(Shown("1. jeden\n3. trzy"), "<ol><li>jeden</li></ol><p>3. trzy</p>");
    EXPECT_EQ(Shown("2. miejsce w konkursie"), "<p>2. miejsce w konkursie</p>");
    EXPECT_EQ(Shown("1. a\n2. b\n1. c"), "<ol><li>a</li><li>b</li></ol><ol><li>c</li></ol>");
    // A dash without a space, or inside a line, is text.
    EXPECT_EQ(Shown("-50% taniej, cena 10 - 20 zł"), "<p>-50% taniej, cena 10 - 20 zł</p>");
    EXPECT_EQ(Shown("- <b>Rama</b> stalowa\n- koła"),
              "<ul><li><b>Rama</b> stalowa</li><li>koła</li></ul>");
    EXPECT_EQ(Shown("- a\n\n- b"), "<ul><li>a</li></ul><ul><li>b</li></ul>");
}

TEST(MarkupReadingTest, HtmlListsStayListsFlattenedToOneLevel) {
    EXPECT_EQ(Shown("<ul><li>a<li>b</ul><ol><li>c</li></ol>"),
              "<ul><li>a</li><li>b</li></ul><ol><li>c</li></ol>");
    EXPECT_EQ(Shown("<ul><li>a<ol><li>a1</li><li>a2</li></ol>po</li><li>b</li></ul>"),
              "<ul><li>a</li><li>a1</li><li>a2</li><li>po</li><li>b</li></ul>");
    EXPECT_EQ(Shown("<ul><li>a<br>b<p>c</p></li></ul>"), "<ul><li>a b c</li></ul>");
    EXPECT_EQ(Shown("<ul><li>- a\n- b</li></ul>"), "<ul><li>- a - b</li></ul>");
    EXPECT_EQ(Shown("<li>bez listy</li>x"), "<p>bez listy</p><p>x</p>");
}

TEST(MarkupReadingTest, BoldAndHeadingsKeepTheirMeaning) {
    EXPECT_EQ(Shown("<b>Nowy</b> rower <STRONG>tanio</STRONG>"),
              "<p><b>Nowy</b> rower <b>tanio</b></p>");
    EXPECT_EQ(Shown("<b>a <i>b</i></b> c"), "<p><b>a b</b> c</p>");
    EXPECT_EQ(Shown("<h1>Tytuł</h1>x<h3>Pod<b>tytuł</b></h3><h6>mały</h6>"),
              "<h1>Tytuł</h1><p>x</p><h2>Podtytuł</h2><h2>mały</h2>");
    EXPECT_EQ(Shown("<h2>a<br>b\nc</h2>"), "<h2>a b c</h2>");
}

TEST(MarkupReadingTest, EveryOtherElementIsUnwrappedKeepingItsText) {
    EXPECT_EQ(Shown("<i>kursywa</i> <u>podkreślenie</u> <font color=red size=5>czerwony</font> "
                    "<marquee>jedzie</marquee> <tt>stały</tt> <span style=\"x\">span</span> "
                    "<blink>miga</blink>"),
              "<p>kursywa podkreślenie czerwony jedzie stały span miga</p>");
    // Script and style content is not text the browser shows; the head is not either.
    EXPECT_EQ(Shown("<html><head><title>T</title><style>p{}</style></head><body>a<script>"
                    "alert(1)</script>b<!-- uwaga --></body></html>"),
              "<p>ab</p>");
}

TEST(MarkupReadingTest, LinksKeepTheirTextAndReportTheirAddress) {
    const MarkupReading reading =
        ReadMarkup("Zobacz <a href=\" http://example.com/\n1 \">moje aukcje</a> i <A>nic</A>");
    EXPECT_EQ(reading.linkAddresses, std::vector<std::string>{"http://example.com/1"});
    EXPECT_EQ(Shown("Zobacz <a href=\"http://x\">moje aukcje</a>."), "<p>Zobacz moje aukcje.</p>");
}

TEST(MarkupReadingTest, PicturesSplitTheTextWhereTheyStand) {
    EXPECT_EQ(Shown("Przód<img src=\"https://x/1.jpg\">tył"),
              "<p>Przód</p>[IMG https://x/1.jpg]<p>tył</p>");
    EXPECT_EQ(Shown("<img src=\"\r\nhttps://x/1.jpg\" border=0 ><img>"),
              "[IMG https://x/1.jpg][IMG ]");
    EXPECT_EQ(Shown("<ul><li>a<img src=a.jpg>b</li><li>c</li></ul>"),
              "<ul><li>a</li></ul>[IMG a.jpg]<ul><li>b</li><li>c</li></ul>");
    EXPECT_EQ(Shown("<h2>a<img src=x>b</h2>"), "<h2>a</h2>[IMG x]<h2>b</h2>");
}

TEST(MarkupReadingTest, GalleryPlaceholderIsDroppedAndNoted) {
    const MarkupReading reading = ReadMarkup("Opis<br><br><tt><GALERIA></tt><br><br>dalej");
    EXPECT_TRUE(reading.hadGallery);
    EXPECT_EQ(Shown("Opis<br><br><tt><GALERIA></tt><br><br>dalej"), "<p>Opis</p><p>dalej</p>");
    EXPECT_FALSE(ReadMarkup("<galeriax>").hadGallery);
}

TEST(MarkupReadingTest, EntitiesAreDecodedAndWhitespaceCollapsed) {
    EXPECT_EQ(Shown("Tom &amp; Jerry &lt;3 &gt; &quot;x&quot; &oacute;&#322;&#x17C;"),
              "<p>Tom &amp; Jerry &lt;3 &gt; \"x\" ółż</p>");
    EXPECT_EQ(Shown("a &amp b & c <5 zł"), "<p>a &amp; b &amp; c &lt;5 zł</p>");
    EXPECT_EQ(Shown("  a \t  b\f\n  c  "), "<p>a b c</p>");
    EXPECT_EQ(Shown("a&nbsp;&nbsp;b"), "<p>a\u00A0\u00A0b</p>");
}

// The text editor writes its snippet as `<p align><font ...><B>...</font></p></B>` (older
// versions) or closes in reverse order; both read the way a browser shows them.
TEST(MarkupReadingTest, TextEditorSnippetsReadAsTheBrowserShowsThem) {
    const std::string opening =
        "<p align=\"center\"><font face=\"Verdana\" style=\"font-size:12pt;\" "
        "color=\"#000000\"><B><I><marquee scrollamount=\"8\" scrolldelay=\"50\" "
        "bgcolor=\"#FFFFFF\">Hi";
    // The old order leaves the bold open past a moving text, in the browser too.
    EXPECT_EQ(Shown(opening + "</font></p></B></I></marquee>po"),
              "<p><b>Hi</b></p><p><b>po</b></p>");
    EXPECT_EQ(Shown(opening + "</marquee></I></B></font></p>po"), "<p><b>Hi</b></p><p>po</p>");
    // Two snippets one after another, the first left with bold open by the old order.
    EXPECT_EQ(Shown("<p align=\"left\"><font face=\"Arial\"><B>Raz</font></p></B>"
                    "<p align=\"left\"><font face=\"Arial\">Dwa</font></p>"),
              "<p><b>Raz</b></p><p>Dwa</p>");
    // The picture, link and font commands' markup.
    EXPECT_EQ(Shown("Opis\r\n<A href=\"\r\nhttps://x/duze.jpg\" target=\"_blank\"><img src=\""
                    "\r\nhttps://x/male.jpg\" border=0 width=\"50%\" height=\"50%\"></A>"
                    "<A href=\"\r\nhttp://example.com\" target=\"_blank\">Strona</A>"
                    "<font face=\"Verdana\" color=\"#FF0000\" style=\"font-size:12pt\">Tekst"),
              "<p>Opis</p>[IMG https://x/male.jpg]<p>StronaTekst</p>");
}

TEST(MarkupReadingTest, TermsReadEachLineAsAParagraph) {
    EXPECT_EQ(Shown("Wysyłka w 3 dni.\r\nBez pobrania.\r\n1. Zwrot 14 dni\r\n2. Faktura",
                    {.linesAreParagraphs = true}),
              "<p>Wysyłka w 3 dni.</p><p>Bez pobrania.</p><ol><li>Zwrot 14 dni</li>"
              "<li>Faktura</li></ol>");
}

TEST(MarkupReadingTest, DroppedMarkupIsToldOncePerKind) {
    const MarkupReading reading = ReadMarkup(
        "<p style=\"color:red\" onclick=\"x()\"><i>a</i><u>b</u><font color=red>c</font></p>"
        "<table><tr><td>x<td>y</table><table><td>z</table><script>alert(1)</script>"
        "<form><input value=\"Kup teraz\"><input type=hidden value=ukryte>"
        "<input type=submit value=Wyślij><input value=\"Kup teraz\"></form>"
        "<iframe src=x></iframe><object data=y></object><i>d</i>");
    EXPECT_EQ(reading.leftOut,
              (std::vector<std::string>{
                  "Style (<style> i atrybuty style) usunięte: Allegro pokazuje opis własnym "
                  "wyglądem.",
                  "Atrybuty zdarzeń (onclick, onload…) usunięte: Allegro nie przyjmuje skryptów.",
                  "Kursywa, podkreślenia i kolory znikają: Allegro pokazuje sam tekst.",
                  "Tabela spłaszczona do akapitów: każda komórka jest osobnym akapitem.",
                  "Skrypt usunięty: Allegro nie przyjmuje skryptów.",
                  "Formularz usunięty: Allegro nie przyjmuje pól ani przycisków; znika tekst "
                  "widoczny w polach i na przyciskach: „Kup teraz”, „Wyślij”.",
                  "Ramki i osadzone obiekty (<iframe>, <object>, <embed>) usunięte razem z tym, "
                  "co pokazywały.",
              }));
    EXPECT_EQ(ReadMarkup("<h2>a</h2><p><b>b</b></p><ul><li>c</ul><img src=x><br>").leftOut,
              std::vector<std::string>{});
}

}  // namespace
}  // namespace licytek::structured
