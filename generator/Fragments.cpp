#include "generator/Fragments.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace licytek {
namespace {

// Joins constant pieces into one constant text at compile time, so that the two base
// addresses are kept in one place and still end up inside constant table lines.
template <const std::string_view&... pieces>
struct Joined {
    static constexpr std::size_t kSize = (pieces.size() + ... + 0);
    static constexpr std::array<char, kSize> kChars = [] {
        std::array<char, kSize> chars{};
        auto next = chars.begin();
        ((next = std::copy(pieces.begin(), pieces.end(), next)), ...);
        return chars;
    }();
    static constexpr std::string_view value{kChars.data(), kSize};
};

// The fixed parts around the base addresses in lines 52, 54, 56, 58, 61 and 63.
constexpr std::string_view kAnchorStartUpper = "<A href=\"";
constexpr std::string_view kAnchorStartLower = "<a href=\"";
constexpr std::string_view kAboutMePath = "/my_page.php?uid=";
constexpr std::string_view kOtherAuctionsPath = "/show_user_auctions.php?uid=";
constexpr std::string_view kCommentsPath = "/show_user.php?uid=";
constexpr std::string_view kAddToFavouritesPath = "/my_favourites_change.php?add_me=";
constexpr std::string_view kAskQuestionPath = "/email_to_user.php?uid=";
constexpr std::string_view kMessengerLinkEnd = "\">Gadu-Gadu</a>&nbsp<img src=\"";
constexpr std::string_view kMessengerStatusPath = "/users/status.asp?id=";

// Every line in Windows-1250. The Polish letters are single bytes written as escapes:
// \xB9 is "a with ogonek" and \xB3 is "l with stroke"; the literal is split right after
// each escape so that a following letter is not read as one more hexadecimal digit.
// Lines 3, 31, 35, 39, 48 and 69 are section markers that no builder writes; they stay so
// that every later line keeps its number.
constexpr std::array<std::string_view, kFragmentCount> kFragments = {
    /* 0 */
    "<body onload=\"\" oncontextmenu=\"return false\" onselectstart=\"return false\" "
    "oncopy=\"return false\" ><script type=\"text/javascript\">document.oncontextmenu=new "
    "Function(\"return false\")</script>",
    /* 1 */ "<script language=\"Javascript1.2\">am = \"",
    /* 2 */
    "\";bV  = parseInt(navigator.appVersion);bNS = navigator.appName==\"Netscape\";bIE = "
    "navigator.appName==\"Microsoft Internet Explorer\";function nrc(e) {;if (bNS && e.which > "
    "1){;alert(am);return false;} else if (bIE && (event.button >1)) {;alert(am);return "
    "false;}};document.onmousedown = nrc;if (document.layers) "
    "window.captureEvents(Event.MOUSEDOWN);if (bNS && bV<5) window.onmousedown = nrc;</script>",
    /* 3 */ "!!!STYLE!!!",
    /* 4 */ "<STYLE TYPE='text/css'>BODY{background-color:",
    /* 5 */ ";scrollbar-base-color:",
    /* 6 */ ";scrollbar-track-color:",
    /* 7 */ ";scrollbar-face-color:",
    /* 8 */ ";}.nag {background-color:",
    /* 9 */ ";border:0px;font-family: verdana;font-size: 12px;color:",
    /* 10 */ ";font-weight: bold;}.tabela {border:2px ",
    /* 11 */ " solid;background:",
    /* 12 */ ";font-family: verdana;font-size: 13px;color:black;text-align:justify;}A:LINK{color:",
    /* 13 */ ";}A:VISITED{color:",
    /* 14 */ ";}A:Hover { text-decoration : none; background :",
    /* 15 */ ";}.navbar-background{background:",
    /* 16 */ ";}.item-page {background:",
    /* 17 */ ";}.it-main {background:",
    /* 18 */ ";border-color:",
    /* 19 */ ";border-width:1px;border-style:solid;}.it-td-r {background:",
    /* 20 */ ";}.it-td {background:",
    /* 21 */ ";}.headcolor-f{font-weight:bold;color:#ffffff;background:",
    /* 22 */ ";}.nocolor-ltb-f {border-color:",
    /* 23 */ ";border-width:1px;border-style:solid;}.white{background:",
    /* 24 */ ";}.table_info {background:",
    /* 25 */ ";border-color:",
    /* 26 */ ";border-width:1px;border-style:solid;}.bid-win {background:",
    /* 27 */ ";}.bid-hist {background:",
    /* 28 */ ";}.bid-info-vdot{background:",
    /* 29 */ ";}.bid-info-hdot{background:",
    /* 30 */ ";}</STYLE>",
    /* 31 */ "!!!Gradient!!! 31",
    /* 32 */ "; filter: progid:DXImageTransform.Microsoft.Gradient(startColorstr=",
    /* 33 */ ", endColorstr=",
    /* 34 */ ", GradientType=1)",
    /* 35 */ "!!! POZOSTALOSCI !!! 35",
    /* 36 */ "<STYLE TYPE='text/css'>BODY{ background-image: url(",
    /* 37 */ "<META NAME=\"Keywords\" CONTENT=\"",
    /* 38 */ "<META name=\"description\" content=\"",
    /* 39 */ "!!! EFEKTY !!!39",
    /* 40 */ "<meta http-equiv=\"Page-Enter\" content=\"blendTrans(Duration=",
    /* 41 */ "<meta http-equiv=\"Page-Exit\" content=\"blendTrans(Duration=",
    /* 42 */ "<meta http-equiv=\"Site-Enter\" content=\"blendTrans(Duration=",
    /* 43 */ "<meta http-equiv=\"Site-Exit\" content=\"blendTrans(Duration=",
    /* 44 */ "<meta http-equiv=\"Page-Enter\" content=\"revealTrans(Duration=",
    /* 45 */ "<meta http-equiv=\"Page-Exit\" content=\"revealTrans(Duration=",
    /* 46 */ "<meta http-equiv=\"Site-Enter\" content=\"revealTrans(Duration=",
    /* 47 */ "<meta http-equiv=\"Site-Exit\" content=\"revealTrans(Duration=",
    /* 48 */ "!!! Szablony !!! 48",
    /* 49 */
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD width=\"20%\" height=10></TD><TD "
    "class=nag width=\"60%\" height=10></TD><TD width=\"20%\" height=10></TD></TR></TABLE>",
    /* 50 */
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD class=nag width=\"100%\" "
    "height=70><CENTER><FONT style=\"FONT-SIZE:22pt\">",
    /* 51 */
    "<TABLE height=25 cellSpacing=0 cellPadding=0 width=\"80%\"><TR><TD class=nag "
    "width=\"25%\"><CENTER>Sprzedaj\xB9"
    "cy </TD><TD class=tabela width=\"75%\"><CENTER>",
    /* 52 */ Joined<kAnchorStartUpper, kAuctionSiteBase, kAboutMePath>::value,
    /* 53 */ "\">Strona \"o mnie\"</A>&nbsp;&nbsp;&nbsp;&nbsp;",
    /* 54 */ Joined<kAnchorStartUpper, kAuctionSiteBase, kOtherAuctionsPath>::value,
    /* 55 */ "\">Inne moje aukcje</A>&nbsp;&nbsp;&nbsp;&nbsp;",
    /* 56 */ Joined<kAnchorStartUpper, kAuctionSiteBase, kCommentsPath>::value,
    /* 57 */ "\">Moje Komentarze</A>&nbsp;&nbsp;&nbsp;&nbsp;",
    /* 58 */ Joined<kAnchorStartUpper, kAuctionSiteBase, kAddToFavouritesPath>::value,
    /* 59 */ "&amp;type=fav_sellers&amp;option=add_user\">Dodaj do ulubionych</A>",
    /* 60 */
    "<TABLE height=25 cellSpacing=0 cellPadding=0 width=\"80%\"><TR><TD class=nag "
    "width=\"25%\"><CENTER>Kontakt </TD><TD class=tabela width=\"75%\"><CENTER>",
    /* 61 */ Joined<kAnchorStartLower, kAuctionSiteBase, kAskQuestionPath>::value,
    /* 62 */
    "\">Zadaj pytanie sprzedaj\xB9"
    "cemu</a>&nbsp&nbsp&nbsp;&nbsp;",
    /* 63 */ Joined<kMessengerLinkEnd, kMessengerStatusBase, kMessengerStatusPath>::value,
    /* 64 */
    "<TABLE height=25 cellSpacing=0 cellPadding=0 width=\"80%\"><TR><TD class=nag "
    "width=\"25%\"><CENTER>Regulamin aukcji </TD><TD class=tabela width=\"75%\"><CENTER>",
    /* 65 */
    "<TABLE height=25 cellSpacing=0 cellPadding=0 width=\"80%\"><TR><TD class=nag "
    "width=\"25%\"><CENTER>Rachunek bankowy </TD><TD class=tabela width=\"75%\"><CENTER>",
    /* 66 */
    "<TABLE height=25 cellSpacing=0 cellPadding=0 width=\"80%\"><TR><TD class=nag "
    "width=\"25%\"><CENTER>Koszty przesy\xB3"
    "ki </TD><TD class=tabela width=\"75%\"><CENTER>",
    /* 67 */
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD class=nag width=\"100%\" "
    "height=25><CENTER>",
    /* 68 */ "</TD></TR><TR><TD class=tabela width=\"100%\" height=25>",
    /* 69 */ "!!! Szablon 2 !!! 69",
    /* 70 */
    "<TABLE height=25 cellSpacing=0 cellPadding=0 width=\"80%\"><TR><TD class=tabela "
    "width=\"75%\"><CENTER>",
    /* 71 */
    "</TD><TD class=nag width=\"25%\"><CENTER>Sprzedaj\xB9"
    "cy </TD></TR></TABLE><BR>",
    /* 72 */ "</TD><TD class=nag width=\"25%\"><CENTER>Kontakt </TD></TR></TABLE><BR>",
    /* 73 */ "</TD><TD class=nag width=\"25%\"><CENTER>Regulamin aukcji </TD></TR></TABLE><BR>",
    /* 74 */ "</TD><TD class=nag width=\"25%\"><CENTER>Rachunek bankowy </TD></TR></TABLE><BR>",
    /* 75 */
    "</TD><TD class=nag width=\"25%\"><CENTER>Koszty przesy\xB3"
    "ki </TD></TR></TABLE><BR>",
    /* 76 */
    "\">Zadaj pytanie sprzedaj\xB9"
    "cemu</a>",
    /* 77 */ "\">Strona \"o mnie\"</A>",
    /* 78 */ "\">Inne moje aukcje</A>",
    /* 79 */ "\">Moje Komentarze</A>",
    /* 80 */
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD height=2></TD></TR><TR><TD "
    "width=\"14%\" height=15></TD><TD class=nag width=\"9%\" height=15></TD><TD width=75% "
    "hidth=15></TR><TR><TD height=2></TD></TR></TABLE>",
    /* 81 */
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD height=2></TD></TR><TR><TD "
    "width=\"77%\" height=15></TD><TD class=nag width=\"9%\" height=15></TD><TD width=75% "
    "hidth=15></TR><TR><TD height=2></TD></TR></TABLE>",
    /* 82 */
    "</TD><TD class=nag width=\"25%\"><CENTER>Sprzedaj\xB9"
    "cy </TD></TR></TABLE>",
    /* 83 */ "</TD><TD class=nag width=\"25%\"><CENTER>Kontakt </TD></TR></TABLE>",
    /* 84 */ "</TD><TD class=nag width=\"25%\"><CENTER>Regulamin aukcji </TD></TR></TABLE>",
    /* 85 */ "</TD><TD class=nag width=\"25%\"><CENTER>Rachunek bankowy </TD></TR></TABLE>",
    /* 86 */
    "</TD><TD class=nag width=\"25%\"><CENTER>Koszty przesy\xB3"
    "ki </TD></TR></TABLE>",
    /* 87 */ "<p align=center><script>document.write('<img border=\"0\" src=\"'+pictures_big[",
    /* 88 */ "]+'\">');</script></p>",
    /* 89 */ "pt;\">",
};

}  // namespace

std::string_view Fragment(int line) {
    if (line < 0 || line >= kFragmentCount) {
        return {};
    }
    return kFragments[static_cast<std::size_t>(line)];
}

}  // namespace licytek
