// No character of the text a browser shows is lost or moved, on descriptions such as sellers
// write: typed lines, the editor's snippets, tables, pictures, links and comments.
#include <gtest/gtest.h>

#include <gumbo.h>

#include <array>
#include <string_view>

#include "StructuredTestSupport.h"
#include "structured/AllegroExport.h"
#include "structured/MarkupReader.h"

namespace licytek::structured {
namespace {

const std::array<std::string_view, 7> kDescriptions = {
    // Typed by hand, with dashed and numbered lines and an empty line.
    "Sprzedam rower górski marki Kross, używany przez dwa sezony, stan bardzo dobry.\r\n"
    "Rama aluminiowa 19 cali, amortyzator przedni, hamulce tarczowe.\r\n\r\n"
    "W zestawie:\r\n- licznik rowerowy z kablem i instrukcją obsługi\r\n- lampka przednia i "
    "tylna na baterie AAA\r\n* błotniki\r\n1. Odbiór osobisty w Krakowie po wcześniejszym "
    "kontakcie\r\n2. Wysyłka kurierem w ciągu dwóch dni roboczych od wpłaty\r\n",
    // The markup commands: pictures in links, a link, a font, paragraphs and the gallery.
    "<p align=\"center\">Zapraszam do zapoznania się z pełnym opisem przedmiotu</p>\r\n"
    "<A href=\"\r\nhttp://moj-serwer.pl/duze/zdjecie1.jpg\" target=\"_blank\"><img src=\"\r\n"
    "https://moj-serwer.pl/male/zdjecie1.jpg\" border=0 width=\"50%\" height=\"50%\"></A>"
    "<font face=\"Verdana\" color=\"#FF0000\" style=\"font-size:14pt\">Uwaga: cena do negocjacji "
    "przy odbiorze osobistym w weekend<br><br><tt><GALERIA></tt><br><br>Koniec opisu</font>",
    // The text editor's snippets, old and new closing order.
    "<p align=\"justify\"><font face=\"Tahoma\" style=\"font-size:10pt;\" color=\"#333333\"><B>"
    "<U>Gwarancja producenta obejmuje dwadzieścia cztery miesiące</font></p></B></U>\r\n"
    "<p align=\"left\"><font face=\"Arial\" style=\"font-size:12pt;\" color=\"#000000\"><I>"
    "<marquee scrollamount=\"8\" scrolldelay=\"50\" bgcolor=\"#FFFFFF\">Promocja trwa tylko do "
    "końca tego tygodnia, nie przegap</marquee></I></font></p>\r\nDalej zwykły tekst opisu.",
    // A table of parameters with entities and a misnested cell.
    "<table border=1><tr><td><b>Parametr</b></td><td><b>Wartość</b></td></tr>\r\n"
    "<tr><td>Waga całkowita roweru z osprzętem</td><td>13,5&nbsp;kg &amp; mniej</td></tr>"
    "<tr><td>Rozmiar kół &quot;29&quot;<td>Opony Schwalbe &lt;nowe&gt; &copy; 2024</tr>"
    "</table>Tekst pod tabelą, który przeglądarka pokazuje po niej&hellip;",
    // Comments, scripts and long alternative texts.
    "<!-- ten komentarz jest dość długi i nie jest widoczny w przeglądarce -->Przedmiot jest "
    "nowy, nieużywany, zapakowany w oryginalne pudełko<script>document.write('reklama, która "
    "nie jest tekstem opisu')</script><img src=\"https://x.pl/a.jpg\" alt=\"Zdjęcie przedmiotu "
    "z przodu, w pełnym świetle dziennym\">Po zdjęciu dalsza część opisu przedmiotu.",
    // Lists, headings and stray closing tags.
    "<h3>Specyfikacja techniczna urządzenia</h3><ul><li>Procesor czterordzeniowy 2,4 GHz<ul>"
    "<li>Pamięć operacyjna 8 GB DDR4</li></ul></li><li>Dysk SSD 256 GB w bardzo dobrym stanie"
    "</ul></div></span><ol><li>Zasilacz oryginalny</li><li>Torba</ol><h1>Koniec</h1>",
    // Unclosed elements and stray characters.
    "Cena: 100 < 200 zł & darmowa wysyłka przy zakupie dwóch sztuk <b>pogrubione <i>i "
    "pochylone do samego końca opisu bez zamknięcia\r\n<center>wyśrodkowany akapit<p>i "
    "jeszcze jeden akapit tekstu",
};

bool IsInvisible(GumboTag tag) {
    return tag == GUMBO_TAG_SCRIPT || tag == GUMBO_TAG_STYLE || tag == GUMBO_TAG_HEAD ||
           tag == GUMBO_TAG_TITLE || tag == GUMBO_TAG_TEMPLATE;
}

// Every text node the browser shows, in document order, read straight from the parser.
void AppendShownText(const GumboNode& node, std::string& out) {
    if (node.type == GUMBO_NODE_TEXT || node.type == GUMBO_NODE_WHITESPACE) {
        out += node.v.text.text;
        return;
    }
    const GumboVector* children =
        node.type == GUMBO_NODE_DOCUMENT ? &node.v.document.children
        : node.type == GUMBO_NODE_ELEMENT && !IsInvisible(node.v.element.tag)
            ? &node.v.element.children
            : nullptr;
    for (unsigned int i = 0; children != nullptr && i < children->length; ++i) {
        AppendShownText(*static_cast<const GumboNode*>(children->data[i]), out);
    }
}

// The characters that carry the text: no whitespace, no list markers (they become the
// list's bullets and numbers), no numbers' dots.
std::string Letters(std::string_view text) {
    std::string letters;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool numberDot = c == '.' && i > 0 && text[i - 1] >= '0' && text[i - 1] <= '9';
        if (std::string_view(" \t\r\n\f-*").find(c) != std::string_view::npos || numberDot) {
            continue;
        }
        if (text.substr(i).starts_with("\xE2\x80\xA2") || text.substr(i).starts_with("\xC2\xA0")) {
            i += 2;
            continue;
        }
        if (c >= '0' && c <= '9' && i + 1 < text.size() && text[i + 1] == '.') {
            continue;  // a number before its dot, as "1." of a numbered line
        }
        letters.push_back(c);
    }
    return letters;
}

std::string BrowserLetters(std::string_view html) {
    GumboOutput* output = gumbo_parse_with_options(&kGumboDefaultOptions, html.data(), html.size());
    std::string text;
    AppendShownText(*output->document, text);
    gumbo_destroy_output(&kGumboDefaultOptions, output);
    return Letters(text);
}

std::string ReadLetters(std::string_view html) {
    std::string text;
    for (const Block& block : ReadMarkup(html).blocks) {
        for (const Line& line : block.lines) {
            for (const Run& run : line) {
                text += run.text;
            }
        }
    }
    return Letters(text);
}

TEST(VisibleTextTest, NoCharacterOfTheShownTextIsLostOrMoved) {
    for (const std::string_view html : kDescriptions) {
        EXPECT_EQ(ReadLetters(html), BrowserLetters(html)) << html;
    }
    // All of them at once, as one long description.
    std::string all;
    for (const std::string_view html : kDescriptions) {
        all += html;
    }
    EXPECT_EQ(ReadLetters(all), BrowserLetters(all));
}

// Long plain texts go through the parser as stand-ins; markup that already holds the
// stand-ins' characters is read as it is. Both must read the same.
TEST(VisibleTextTest, ReadingWithAndWithoutStandInsGivesTheSameBlocks) {
    const std::string asItIs = "<!--\xEE\x80\x80-->";
    for (const std::string_view html : kDescriptions) {
        EXPECT_EQ(testing::Shown(html), testing::Shown(asItIs + std::string(html))) << html;
    }
}

TEST(VisibleTextTest, EveryDescriptionOfTheCorpusExportsToAValidDescription) {
    for (const std::string_view html : kDescriptions) {
        const AllegroOffer offer = ExportAllegro(testing::FormWith("Rower", html));
        if (!offer.HasErrors()) {
            EXPECT_TRUE(ValidateDescription(offer.description).empty()) << html;
        }
    }
}

}  // namespace
}  // namespace licytek::structured
