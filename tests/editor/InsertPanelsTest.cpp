#include <functional>
#include <ostream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "editor/InsertPanels.h"
#include "model/AuctionForm.h"

namespace licytek {
namespace {

// One insert into the description: the command, how the panel is set, the description
// before and the description expected after.
struct InsertCase {
    std::string_view name;
    std::function<std::string(const AuctionForm&)> command;
    std::function<void(AuctionForm&)> setPanel;
    std::string_view before;
    std::string_view after;
};

void LinkText(AuctionForm& form) {
    form.linkText = "Kup";
}
void LinkedSizedPicture(AuctionForm& form) {
    form.pictureOpensAddress = true;
    form.pictureLinkAddress = "LINK";
    form.pictureAddress = "PIC";
    form.pictureResized = true;
    form.pictureWidth = "50";
    form.pictureHeight = "60";
}
void GalleryWithWebFieldsSet(AuctionForm& form) {
    LinkedSizedPicture(form);
    form.pictureFromWeb = false;
    form.pictureFromGallery = true;
}
void Defaults(AuctionForm&) {}

void PrintTo(const InsertCase& c, std::ostream* os) {
    *os << c.name;
}

class InsertTest : public testing::TestWithParam<InsertCase> {};

TEST_P(InsertTest, AddsItsTagAtTheEnd) {
    AuctionForm form;
    GetParam().setPanel(form);
    form.itemDescription = GetParam().before;
    EXPECT_EQ(GetParam().command(form), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Panels, InsertTest,
    testing::Values(
        InsertCase{"LinkAsNewLine", InsertLink, LinkText, "abc",
                   "abc\r\n<A href=\"http://\" target=\"_o_opo\">Kup</A>"},
        // After a line break the new line holds only the tag's start; the address follows.
        InsertCase{"LinkAfterLineBreak", InsertLink, LinkText, "abc\r\n",
                   "abc\r\n<A href=\"\r\nhttp://\" target=\"_o_opo\">Kup</A>"},
        InsertCase{"PictureDefaults", InsertPicture, Defaults, "abc",
                   "abc\r\n<img src=\"http://\" border=0 >"},
        InsertCase{"PictureLinkedAndSized", InsertPicture, LinkedSizedPicture, "abc",
                   "abc\r\n<A href=\"LINK\" target=\"_o_opo\">\r\n"
                   "<img src=\"PIC\" border=0 width=\"50%\" height=\"60%\"></A>"},
        InsertCase{"PictureAfterLineBreak", InsertPicture, LinkedSizedPicture, "abc\r\n",
                   "abc\r\n<A href=\"\r\nLINK\" target=\"_o_opo\">\r\n"
                   "<img src=\"PIC\" border=0 width=\"50%\" height=\"60%\"></A>"},
        InsertCase{"PictureSizedWithLetters", InsertPicture,
                   [](AuctionForm& form) {
                       form.pictureAddress = "";
                       form.pictureResized = true;
                       form.pictureWidth = "duzo";
                   },
                   "abc", "abc\r\n<img src=\"\" border=0 width=\"duzo%\" height=\"100%\">"},
        InsertCase{"GalleryIgnoresWebFields", InsertPicture, GalleryWithWebFieldsSet, "abc",
                   "abc<br><br><tt><GALERIA></tt><br><br>"},
        InsertCase{"GalleryAfterLineBreak", InsertPicture, GalleryWithWebFieldsSet, "abc\r\n",
                   "abc\r\n<br><br><tt><GALERIA></tt><br><br>"},
        InsertCase{"FontDefaultsGlued", ChangeFont, Defaults, "abc",
                   "abc<font face=\"Verdana\" color=\"#000000\" style=\"font-size:12pt;\">"},
        InsertCase{"FontTypedValues", ChangeFont,
                   [](AuctionForm& form) {
                       form.fontFace = "Courier ";
                       form.fontSize = "duzy";
                       form.fontColour = "<red>";
                   },
                   "", "<font face=\"Courier \" color=\"<red>\" style=\"font-size:duzypt;\">"}),
    [](const testing::TestParamInfo<InsertCase>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace licytek
