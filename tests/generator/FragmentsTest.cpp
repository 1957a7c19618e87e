#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <string_view>

#include "GeneratorTestSupport.h"
#include "generator/Fragments.h"

namespace licytek {
namespace {

using generator_test::F;
using enum FragmentLine;

TEST(FragmentTable, MarkersStandAtTheirNumbersAndNowhereElse) {
    const std::string_view markers[] = {
        "!!!STYLE!!!",      "!!!Gradient!!! 31",   "!!! POZOSTALOSCI !!! 35",
        "!!! EFEKTY !!!39", "!!! Szablony !!! 48", "!!! Szablon 2 !!! 69"};
    const int markerLines[] = {3, 31, 35, 39, 48, 69};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Fragment(markerLines[i]), markers[i]);
    }
    int markerCount = 0;
    for (int line = 0; line < kFragmentCount; ++line) {
        markerCount += Fragment(line).starts_with("!!!") ? 1 : 0;
    }
    EXPECT_EQ(markerCount, 6);
}

TEST(FragmentTable, NoLineIsEmptyOrCarriesALineBreak) {
    for (int line = 0; line < kFragmentCount; ++line) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(Fragment(line).empty());
        EXPECT_EQ(Fragment(line).find_first_of("\r\n"), std::string_view::npos);
    }
}

TEST(FragmentTable, NumbersOutsideTheTableGiveNothing) {
    for (int line : {-1, kFragmentCount, INT_MIN, INT_MAX}) {
        EXPECT_TRUE(Fragment(line).empty()) << line;
    }
}

TEST(FragmentTable, BlanksAroundTheBorderColourStayExact) {
    EXPECT_EQ(F(StyleTabelaBorderColour) + "#000000" + F(StyleTabelaBackground),
              ";font-weight: bold;}.tabela {border:2px #000000 solid;background:");
}

TEST(FragmentTable, OddLooksAreKeptAsTheyStand) {
    EXPECT_NE(F(RightClickMessageClosing).find("bV  = parseInt(navigator.appVersion);"),
              std::string::npos);
    EXPECT_EQ(F(AddToFavouritesLinkClosing),
              "&amp;type=fav_sellers&amp;option=add_user\">Dodaj do ulubionych</A>");
    EXPECT_TRUE(F(AskQuestionLinkInlineClosing).ends_with("</a>&nbsp&nbsp&nbsp;&nbsp;"));
    EXPECT_TRUE(F(MessengerStatusPictureOpening).starts_with("\">Gadu-Gadu</a>&nbsp<img src=\""));
    EXPECT_NE(F(ConnectorOnTheLeft).find("<TD width=75% hidth=15>"), std::string::npos);
    EXPECT_NE(F(ConnectorOnTheRight).find("<TD width=75% hidth=15>"), std::string::npos);
    EXPECT_EQ(F(FontSizeClosing), "pt;\">");
    EXPECT_EQ(F(RightClickMessageOpening), "<script language=\"Javascript1.2\">am = \"");
    EXPECT_EQ(F(DescriptionTitleClosing),
              "</TD></TR><TR><TD class=tabela width=\"100%\" height=25>");
}

// The Polish letters are single Windows-1250 bytes: 0xB9 for a-ogonek, 0xB3 for l-stroke.
TEST(FragmentTable, PolishLettersAreSingleWindows1250Bytes) {
    EXPECT_EQ(F(SellerRowLabelLeftOpening),
              "<TABLE height=25 cellSpacing=0 cellPadding=0 width=\"80%\"><TR><TD class=nag "
              "width=\"25%\"><CENTER>Sprzedaj\xB9"
              "cy </TD><TD class=tabela width=\"75%\"><CENTER>");
    EXPECT_EQ(F(AskQuestionLinkStackedClosing),
              "\">Zadaj pytanie sprzedaj\xB9"
              "cemu</a>");
    EXPECT_EQ(F(ShippingRowLabelRightClosing),
              "</TD><TD class=nag width=\"25%\"><CENTER>Koszty przesy\xB3"
              "ki </TD></TR></TABLE>");
    for (int line = 0; line < kFragmentCount; ++line) {
        const bool polish = line == 51 || line == 62 || line == 66 || line == 71 || line == 75 ||
                            line == 76 || line == 82 || line == 86;
        int highBytes = 0;
        for (char c : Fragment(line)) {
            highBytes += static_cast<unsigned char>(c) >= 0x80 ? 1 : 0;
        }
        EXPECT_EQ(highBytes, polish ? 1 : 0) << line;
    }
}

TEST(FragmentTable, BaseAddressesStandInFullInTheirLines) {
    const std::string site(kAuctionSiteBase);
    EXPECT_EQ(F(AboutMeLinkOpening), "<A href=\"" + site + "/my_page.php?uid=");
    EXPECT_EQ(F(OtherAuctionsLinkOpening), "<A href=\"" + site + "/show_user_auctions.php?uid=");
    EXPECT_EQ(F(CommentsLinkOpening), "<A href=\"" + site + "/show_user.php?uid=");
    EXPECT_EQ(F(AddToFavouritesLinkOpening),
              "<A href=\"" + site + "/my_favourites_change.php?add_me=");
    EXPECT_EQ(F(AskQuestionLinkOpening), "<a href=\"" + site + "/email_to_user.php?uid=");
    EXPECT_EQ(F(MessengerStatusPictureOpening), "\">Gadu-Gadu</a>&nbsp<img src=\"" +
                                                    std::string(kMessengerStatusBase) +
                                                    "/users/status.asp?id=");
    for (std::string_view base : {kAuctionSiteBase, kMessengerStatusBase}) {
        EXPECT_TRUE(base.starts_with("https://") || base.starts_with("http://")) << base;
        EXPECT_FALSE(base.ends_with("/")) << base;
    }
}

}  // namespace
}  // namespace licytek
