// The offer made from a whole form: its sections, its limits and the report of what was left
// out.
#include <gtest/gtest.h>

#include <algorithm>

#include "StructuredTestSupport.h"
#include "structured/AllegroExport.h"

namespace licytek::structured {
namespace {

using testing::Cp1250;
using testing::FormWith;

// "T I | T": the items of each section, sections separated by " | ".
std::string Arrangement(const Description& description) {
    std::string out;
    for (const Section& section : description.sections) {
        if (!out.empty()) {
            out += " | ";
        }
        for (std::size_t i = 0; i < section.items.size(); ++i) {
            out += (i > 0 ? " " : "");
            out += section.items[i].type == ItemType::Text ? "T" : "I";
        }
    }
    return out;
}

std::vector<std::string> ControlsOf(const AllegroOffer& offer, Severity severity) {
    std::vector<std::string> controls;
    for (const Finding& finding : offer.findings) {
        if (finding.severity == severity) {
            controls.push_back(finding.control);
        }
    }
    return controls;
}

bool HasFindingWith(const AllegroOffer& offer, Severity severity, std::string_view part) {
    return std::any_of(offer.findings.begin(), offer.findings.end(), [&](const Finding& finding) {
        return finding.severity == severity && finding.message.find(part) != std::string::npos;
    });
}

TEST(AllegroExportTest, DefaultFormWithTitleAndDescriptionIsOneTextItem) {
    const AllegroOffer offer = ExportAllegro(FormWith("Rower", "Opis"));
    ASSERT_EQ(offer.description.sections.size(), 1u);
    ASSERT_EQ(offer.description.sections[0].items.size(), 1u);
    EXPECT_EQ(offer.description.sections[0].items[0].type, ItemType::Text);
    EXPECT_EQ(offer.description.sections[0].items[0].content, "<h1>Rower</h1><p>Opis</p>");
    EXPECT_TRUE(offer.findings.empty());  // nothing else of the default form was left out
    EXPECT_EQ(OfferToJson(offer),
              R"({"name":"Rower","images":[],"description":{"sections":[{"items":[)"
              R"({"type":"TEXT","content":"<h1>Rower</h1><p>Opis</p>"}]}]}})");
    EXPECT_EQ(offer.descriptionBytes, DescriptionToJson(offer.description).size());
}

TEST(AllegroExportTest, ItemsGroupLeftToRightIntoAllowedArrangements) {
    const auto arrangement = [](std::string_view title, std::string_view memo) {
        return Arrangement(ExportAllegro(FormWith(title, memo)).description);
    };
    const std::string a = "<img src=https://x/a.jpg>";
    const std::string b = "<img src=https://x/b.jpg>";
    EXPECT_EQ(arrangement("", a), "I");
    EXPECT_EQ(arrangement("", a + "Opis"), "I T");
    EXPECT_EQ(arrangement("Rower", a), "T I");
    EXPECT_EQ(arrangement("", a + b), "I I");
    EXPECT_EQ(arrangement("Rower", a + "Opis" + b), "T I | T I");
    EXPECT_EQ(arrangement("Rower", a + b + a), "T I | I I");
    EXPECT_EQ(arrangement("", a + b + "Opis"), "I I | T");
    // An <hr> between blocks ends a section, also past blocks that show nothing; inside a
    // list or a heading it is only a space.
    EXPECT_EQ(arrangement("Rower", "Opis<hr>Dalej"), "T | T");
    EXPECT_EQ(arrangement("Rower", "<hr>" + a + "Opis"), "T | I T");
    EXPECT_EQ(arrangement("", "<hr>" + a + "<hr><p>&nbsp;</p><hr>" + b), "I | I");
    EXPECT_EQ(arrangement("", "Opis" + a + "<hr>"), "T I");
    const AllegroOffer inList =
        ExportAllegro(FormWith("", "<ul><li>a<hr>b</li></ul><h1>x<hr>y</h1><h3>z</h3>"));
    EXPECT_EQ(inList.description.sections[0].items[0].content,
              "<ul><li>a b</li></ul><h1>x y</h1><h2>z</h2>");

    // Text next to text merges into one item; the terms and shipping never share a section.
    AuctionForm form = FormWith("Rower", "Opis" + a);
    form.descriptionHeader = Cp1250("Nagłówek");
    form.auctionTerms = Cp1250("Zwrot w 14 dni\r\n- bez pobrania");
    form.shippingLine1 = "Poczta 10 zl";
    form.shippingLine3 = "Kurier & co";
    const AllegroOffer offer = ExportAllegro(form, {.withTerms = true});
    EXPECT_EQ(Arrangement(offer.description), "T I | T | T");
    EXPECT_EQ(offer.description.sections[0].items[0].content,
              "<h1>Rower</h1><h2>Nagłówek</h2><p>Opis</p>");
    EXPECT_EQ(offer.description.sections[1].items[0].content,
              "<h2>Regulamin aukcji</h2><p>Zwrot w 14 dni</p><ul><li>bez pobrania</li></ul>");
    EXPECT_EQ(offer.description.sections[2].items[0].content,
              "<h2>Koszty przesyłki</h2><ul><li>Poczta 10 zl</li><li>Kurier &amp; co</li></ul>");
    EXPECT_EQ(Arrangement(ExportAllegro(form).description), "T I");
}

TEST(AllegroExportTest, TitlePicturesSectionsAndSizeAreRefusedJustPastTheirLimits) {
    // Title: 75 as Allegro counts it, "&" being 5.
    EXPECT_FALSE(ExportAllegro(FormWith("&" + std::string(70, 'x'), "a")).HasErrors());
    const AllegroOffer longTitle = ExportAllegro(FormWith("&" + std::string(71, 'x'), "a"));
    EXPECT_EQ(ControlsOf(longTitle, Severity::Error), std::vector<std::string>{"Edit2"});

    // Pictures: 16 different ones; the same one twice counts once.
    std::string pictures;
    for (int i = 0; i < 16; ++i) {
        pictures += "<img src=https://x/" + std::to_string(i) + ".jpg>";
    }
    const AllegroOffer sixteen = ExportAllegro(FormWith("", pictures + pictures));
    EXPECT_EQ(sixteen.images.size(), 16u);
    EXPECT_FALSE(sixteen.HasErrors());
    EXPECT_TRUE(ExportAllegro(FormWith("", pictures + "<img src=https://x/n.jpg>")).HasErrors());

    // Sections: 100, then 101.
    std::string sections;
    for (int i = 0; i < 100; ++i) {
        sections += "a<img src=https://x/1.jpg>";
    }
    const AllegroOffer hundred = ExportAllegro(FormWith("", sections));
    EXPECT_EQ(hundred.description.sections.size(), 100u);
    EXPECT_FALSE(hundred.HasErrors());
    const AllegroOffer hundredOne = ExportAllegro(FormWith("", sections + "a"));
    EXPECT_TRUE(HasFindingWith(hundredOne, Severity::Error, "101 sekcji"));

    // Size: the description object at 40,000 bytes, then one more.
    const std::size_t overhead = ExportAllegro(FormWith("", "")).descriptionBytes;
    EXPECT_EQ(overhead, std::string(R"({"sections":[]})").size());
    const AllegroOffer one = ExportAllegro(FormWith("", "x"));
    const std::size_t fixed = one.descriptionBytes - 1;
    const AllegroOffer atLimit = ExportAllegro(FormWith("", std::string(40000 - fixed, 'x')));
    EXPECT_EQ(atLimit.descriptionBytes, 40000u);
    EXPECT_FALSE(atLimit.HasErrors());
    const AllegroOffer past = ExportAllegro(FormWith("", std::string(40000 - fixed + 1, 'x')));
    EXPECT_TRUE(HasFindingWith(past, Severity::Error, "40 001 bajtów"));
    EXPECT_TRUE(HasFindingWith(past, Severity::Error, "skróć go o 1 bajt."));

    // Nothing at all is no description.
    EXPECT_TRUE(HasFindingWith(ExportAllegro(AuctionForm{}), Severity::Error, "żadnej sekcji"));
}

TEST(AllegroExportTest, PictureAddressesLinksAndGalleryAreReported) {
    const AllegroOffer offer =
        ExportAllegro(FormWith("Rower",
                               "<img src=\"\"><img src=\"http://\"><img src=\"zdjecia/1.jpg\">"
                               "<img src=\"file:///C:/1.jpg\"><img src=\"http://x/2.jpg\">"
                               "<img src=\"https://x/3.jpg\"><a href=\"http://sklep.pl\">sklep</a>"
                               "<a href=\"http://sklep.pl\">znowu</a><tt><GALERIA></tt>"));
    EXPECT_EQ(ControlsOf(offer, Severity::Error), std::vector<std::string>(4, "Memo1"));
    EXPECT_TRUE(HasFindingWith(offer, Severity::Error, "bez adresu"));
    EXPECT_TRUE(HasFindingWith(offer, Severity::Error, "„http://”"));
    EXPECT_TRUE(HasFindingWith(offer, Severity::Error, "„zdjecia/1.jpg” ma adres względny"));
    EXPECT_TRUE(HasFindingWith(offer, Severity::Warning, "„http://x/2.jpg” ma adres http://"));
    EXPECT_EQ(ControlsOf(offer, Severity::Warning).size(), 2u);  // the picture, the one link
    EXPECT_TRUE(HasFindingWith(offer, Severity::Warning, "„http://sklep.pl”"));
    EXPECT_EQ(ControlsOf(offer, Severity::Note), std::vector<std::string>{"Memo1"});
    EXPECT_EQ(offer.images.size(), 6u);
    EXPECT_EQ(offer.findings.front().severity, Severity::Error);
    EXPECT_EQ(offer.findings.back().severity, Severity::Note);
}

TEST(AllegroExportTest, EachInputLeftOutIsReportedWhereItBelongs) {
    AuctionForm form = FormWith("Rower", "Opis");
    form.pageBackground = "#ffffff";  // the default colour, written in small letters: not reported
    // "Brak efektu", the first item of every effect list, is no effect.
    form.pageEnterEffect = form.siteEnterEffect = form.pageExitEffect = form.siteExitEffect = 0;
    EXPECT_TRUE(ExportAllegro(form).findings.empty());

    form.askSellerLink = true;
    form.phone = "600 100 200";
    form.bankAccount = "12 3456";
    form.commentsLink = form.favouritesLink = true;
    form.auctionTerms = "Regulamin";
    form.shippingLine2 = "Kurier";
    form.tableInteriorColour = "#FF0000";
    form.backgroundGradient = true;
    form.pageExitEffect = 2;
    form.descriptionLock = true;
    form.bannerShown = true;
    form.backgroundPictureShown = true;
    form.searchDescription = "krótko";
    form.layout1 = false;
    form.layout8 = true;
    const AllegroOffer offer = ExportAllegro(form);
    EXPECT_EQ(ControlsOf(offer, Severity::Warning),
              (std::vector<std::string>{"CheckBox1", "Edit3", "Edit5", "CheckBox8", "Memo2",
                                        "Edit7", "Edit16", "ComboBox3", "CheckBox5", "CheckBox22",
                                        "CheckBox21", "Memo8", "RadioButton8"}));
    EXPECT_FALSE(offer.HasErrors());
    EXPECT_TRUE(HasFindingWith(offer, Severity::Warning, "„O sprzedającym”"));
    EXPECT_TRUE(HasFindingWith(offer, Severity::Warning, "„Dostawa i płatność”"));

    // With the terms in the description, neither the terms nor the shipping is left out.
    const auto withTerms = ControlsOf(ExportAllegro(form, {.withTerms = true}), Severity::Warning);
    EXPECT_EQ(std::count(withTerms.begin(), withTerms.end(), "Memo2"), 0);
    EXPECT_EQ(std::count(withTerms.begin(), withTerms.end(), "Edit7"), 0);
}

TEST(AllegroExportTest, PasteTextMarksTheSectionsAndWherePicturesGo) {
    const AllegroOffer offer =
        ExportAllegro(FormWith("Rower",
                               "Opis<img src=https://x/1.jpg>\n- a\n- b<img src=https://x/2.jpg>\n"
                               "<img src=https://x/1.jpg>"));
    EXPECT_EQ(OfferToPasteText(offer),
              "<!-- sekcja 1 -->\n<h1>Rower</h1>\n<p>Opis</p>\n"
              "<!-- sekcja 2 -->\n<ul><li>a</li><li>b</li></ul>\n"
              "<!-- sekcja 3 -->\n"
              "\n1. https://x/1.jpg (sekcje 1, 3)\n2. https://x/2.jpg (sekcja 2)\n");
}

TEST(AllegroExportTest, ClipboardHoldsTheTextAsHtmlAndWithoutTags) {
    const AllegroOffer offer =
        ExportAllegro(FormWith("Rower",
                               "Opis <b>mocny & tani</b><img src=https://x/1.jpg>\n- a\n- b\n"
                               "<ol><li>jeden<li>dwa</ol>"));
    ASSERT_EQ(offer.description.sections.size(), 2u);
    const ClipboardText whole = DescriptionClipboardText(offer.description);
    EXPECT_EQ(whole.html,
              "<meta charset=\"utf-8\"><h1>Rower</h1>\n<p>Opis <b>mocny &amp; tani</b></p>\n"
              "<ul><li>a</li><li>b</li></ul>\n<ol><li>jeden</li><li>dwa</li></ol>\n");
    EXPECT_EQ(whole.plain, "Rower\n\nOpis mocny & tani\n\n- a\n- b\n\n1. jeden\n2. dwa\n");

    const ClipboardText second = SectionClipboardText(offer.description.sections[1]);
    EXPECT_EQ(second.plain, "- a\n- b\n\n1. jeden\n2. dwa\n");
    const ClipboardText picture = SectionClipboardText(Section{{{ItemType::Image, "https://x/1"}}});
    EXPECT_EQ(picture.html + picture.plain, "");
}

TEST(AllegroExportTest, PictureAtAnIpAddressIsWarnedAboutByItsAddress) {
    const AllegroOffer offer = ExportAllegro(
        FormWith("Rower",
                 "<img src=https://192.168.1.5/a.jpg><img src=http://u@[::1]:80/b.jpg>"
                 "<img src=https://2130706433/c.jpg><img src=https://x1.pl/d.jpg>"));
    std::string warned;
    for (const Finding& finding : offer.findings) {
        warned += finding.message.find("numer IP") != std::string::npos ? finding.message : "";
    }
    EXPECT_EQ(warned,
              "Zdjęcie „https://192.168.1.5/a.jpg” ma w adresie numer IP 192.168.1.5 zamiast nazwy "
              "serwera; Allegro może nie pobrać takiego zdjęcia.Zdjęcie „http://u@[::1]:80/b.jpg” "
              "ma w adresie numer IP [::1] zamiast nazwy serwera; Allegro może nie pobrać takiego "
              "zdjęcia.Zdjęcie „https://2130706433/c.jpg” ma w adresie numer IP 2130706433 zamiast "
              "nazwy serwera; Allegro może nie pobrać takiego zdjęcia.");
}

}  // namespace
}  // namespace licytek::structured
