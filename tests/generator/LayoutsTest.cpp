#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "GeneratorTestSupport.h"
#include "generator/Builders.h"

namespace licytek {
namespace {

using generator_test::Builder;
using generator_test::Cat;
using generator_test::CountOf;
using generator_test::F;
using enum FragmentLine;
using generator_test::Render;

constexpr std::string_view kNbsp4 = "&nbsp&nbsp&nbsp&nbsp";
constexpr std::string_view kCloser = "</TD></TR></TABLE><BR>";
constexpr std::string_view kRowCloser = "</TD></TR></TABLE>";
constexpr std::string_view kLowerBarEnd = "<br><br>";
constexpr std::string_view kWideOpener =
    "<TABLE cellSpacing=0 cellPadding=0 width=\"98%\"><TR><TD class=nag width=\"100%\" "
    "height=25><CENTER>";
constexpr std::string_view kOuterLeft18 =
    "<TABLE cellspacing=0 cellpadding=0 width=96%><TR valign=top><TD width=18%>";
constexpr std::string_view kOuterLeft82 =
    "<TABLE cellspacing=0 cellpadding=0 width=96%><TR valign=top><TD width=82%>";

// Box openers without their leading break, and that break.
constexpr std::string_view kSellerBox =
    "<TABLE cellspacing=0 cellpadding=0 width=\"95%\"><TR><TD class=nag width=\"100%\" "
    "height=25><CENTER>Sprzedaj\xB9"
    "cy</TD></TR><TR><TD class=tabela><CENTER><BR>";
constexpr std::string_view kContactBox =
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD class=nag width=\"100%\" "
    "height=25><CENTER>Kontakt </TD></TR><TR><TD class=tabela width=\"100%\"><BR><CENTER>";
constexpr std::string_view kTermsBox =
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD class=nag width=\"100%\" "
    "HEIGHT=25><CENTER>Regulamin aukcji </TD></TR><TR><TD class=tabela width=\"100%\"><BR><CENTER>";
constexpr std::string_view kBankBox =
    "<TABLE  cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD class=nag width=\"100%\" "
    "HEIGHT=25><CENTER>Rachunek bankowy</TD></TR><TR><TD class=tabela width=\"100%\"><BR><CENTER>";
constexpr std::string_view kShippingBox =
    "<TABLE  cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD class=nag width=\"100%\" "
    "height=25><CENTER>Koszty przesy\xB3"
    "ki </TD></TR><TR><TD class=tabela width=\"100%\"><BR><CENTER>";
constexpr std::string_view kBoxTextCloser = "<br><br></TD></TR></TABLE><BR>";

// The bars and connectors of layouts 6 (left) and 7 (right).
constexpr std::string_view kTopBar6 =
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD width=\"14%\" height=10></TD><TD "
    "class=nag width=\"11%\" height=10></TD><TD class=nag width=\"55%\" height=10></TD><TD "
    "width=\"20%\" height=10></TD></TR></TABLE>";
constexpr std::string_view kFirstStub6 =
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD width=\"14%\" height=30></TD><TD "
    "class=nag width=\"9%\" height=30></TD><TD width=75% width=30></TR><TR><TD "
    "height=2></TD></TR></TABLE>";
constexpr std::string_view kLastConnector6 =
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD height=2></TD></TR><TR><TD "
    "width=\"14%\" height=20></TD><TD class=nag width=\"9%\" height=20></TD><TD width=75% "
    "hidth=20></TR><TR><TD height=2></TD></TR></TABLE>";
constexpr std::string_view kTopBar7 =
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD width=\"20%\" height=10></TD><TD "
    "class=nag width=\"55%\" height=10></TD><TD class=nag width=\"11%\" height=10></TD><TD "
    "width=\"14%\" height=10></TD></TR></TABLE>";
constexpr std::string_view kFirstStub7 =
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD width=\"77%\" height=30></TD><TD "
    "class=nag width=\"9%\" height=30></TD><TD width=75% width=30></TR><TR><TD "
    "height=2></TD></TR></TABLE>";
constexpr std::string_view kLastConnector7 =
    "<TABLE cellSpacing=0 cellPadding=0 width=\"95%\"><TR><TD height=2></TD></TR><TR><TD "
    "width=\"77%\" height=20></TD><TD class=nag width=\"9%\" height=20></TD><TD width=75% "
    "hidth=20></TR><TR><TD height=2></TD></TR></TABLE>";

constexpr Builder kLayouts[] = {BuildLayout1, BuildLayout2, BuildLayout3, BuildLayout4,
                                BuildLayout5, BuildLayout6, BuildLayout7, BuildLayout8};

std::string HeaderBox(const AuctionForm& form) {
    return Cat({F(ThinBar), F(AuctionHeaderOpening), form.auctionHeader, "</TD></TR></TABLE>"});
}

std::string LowerBar() {
    return F(ThinBar) + std::string(kLowerBarEnd);
}

std::string Description(const AuctionForm& form, std::string_view opener, std::string_view closer) {
    return Cat(
        {opener, form.descriptionHeader, F(DescriptionTitleClosing), form.itemDescription, closer});
}

std::string StandardDescription(const AuctionForm& form) {
    return Description(form, F(DescriptionOpening), kCloser);
}

// The expected page of each layout around the information part that a test fills in:
// `left` is what stands where the blocks go (for layout 8 the left column), `right` the
// right column of layout 8.
std::string ExpectedBody(int layout, const AuctionForm& form, std::string_view left,
                         std::string_view right = "") {
    const std::string top = HeaderBox(form) + LowerBar();
    switch (layout) {
        case 4:
            return Cat(
                {top, kOuterLeft18, left, "</TD><TD width=82%>",
                 Description(form, F(DescriptionOpening), "</TD></TR></TABLE><BR></TABLE>")});
        case 5:
            return Cat({top, kOuterLeft82, Description(form, kWideOpener, kCloser),
                        "</TD><TD width=18%>", left, "</TABLE>"});
        case 6:
            return Cat({HeaderBox(form), kTopBar6, kFirstStub6, left, kLastConnector6,
                        StandardDescription(form)});
        case 7:
            return Cat({HeaderBox(form), kTopBar7, kFirstStub7, left, kLastConnector7,
                        StandardDescription(form)});
        case 8:
            return Cat({top, kOuterLeft18, left, "</TD><TD width=64%>",
                        Description(form, kWideOpener, kRowCloser), "</TD><TD width=18%>", right,
                        "</table>"});
        default:
            return Cat({top, left, StandardDescription(form)});
    }
}

std::string Body(int layout, const AuctionForm& form, std::string_view sellerId = "") {
    return Render(kLayouts[layout - 1], form, sellerId);
}

TEST(Layouts, DefaultLayout1BodyForADefaultForm) {
    const AuctionForm form;
    EXPECT_EQ(Body(1, form), Cat({F(ThinBar), F(AuctionHeaderOpening), "</TD></TR></TABLE>",
                                  F(ThinBar), "<br><br>", F(DescriptionOpening),
                                  F(DescriptionTitleClosing), "</TD></TR></TABLE><BR>"}));
}

TEST(Layouts, WithoutInformationOnlyTheFramesAndDescriptionRemain) {
    AuctionForm form;
    form.auctionHeader = "Rower";
    form.descriptionHeader = "Opis";
    form.itemDescription = "Tekst\r\n<tt><GALERIA></tt>\r\n";
    // Layout 8's placement switches alone place nothing when every block is empty.
    form.sellerBlockLeft = form.contactBlockLeft = form.termsBlockLeft = form.bankBlockLeft = true;
    form.shippingBlockLeft = form.shippingBlockRight = form.bankBlockRight = form.termsBlockRight =
        true;
    form.contactBlockRight = form.sellerBlockRight = true;
    for (int layout = 1; layout <= 8; ++layout) {
        SCOPED_TRACE(layout);
        const std::string connectors =
            layout == 6 ? F(ConnectorOnTheLeft) + F(ConnectorOnTheLeft) + F(ConnectorOnTheLeft) +
                              F(ConnectorOnTheLeft)
                        : (layout == 7 ? F(ConnectorOnTheRight) + F(ConnectorOnTheRight) +
                                             F(ConnectorOnTheRight) + F(ConnectorOnTheRight)
                                       : std::string());
        EXPECT_EQ(Body(layout, form), ExpectedBody(layout, form, connectors));
    }
}

// A form that writes every block with every item; inputs carry markup and line breaks,
// which must come through unchanged.
struct FullForm {
    AuctionForm form;
    std::string id = "jan<b>\r\n";
    std::string sellerInline, sellerStacked, contactInline, contactStacked;
    std::string shippingInline, shippingStacked;

    FullForm() {
        form.aboutMeLink = form.otherAuctionsLink = form.commentsLink = form.favouritesLink = true;
        form.askSellerLink = true;
        form.auctionHeader = "<i>Rower</i>";
        form.phone = "555 123";
        form.messengerNumber = "4242";
        form.auctionTerms = "Zasada 1\r\nZasada 2\r\n<b>3</b>";
        form.bankAccount = "12 3456 7890";
        form.shippingLine1 = "Poczta";
        form.shippingLine2 = "";
        form.shippingLine3 = "Kurier";
        form.shippingLine4 = " ";
        form.descriptionHeader = "Opis";
        form.itemDescription = "a\r\n<tt><GALERIA></tt>\r\n";
        sellerInline = Cat({F(AboutMeLinkOpening), id, F(AboutMeLinkInlineClosing),
                            F(OtherAuctionsLinkOpening), id, F(OtherAuctionsLinkInlineClosing),
                            F(CommentsLinkOpening), id, F(CommentsLinkInlineClosing),
                            F(AddToFavouritesLinkOpening), id, F(AddToFavouritesLinkClosing)});
        sellerStacked =
            Cat({F(AboutMeLinkOpening), id, F(AboutMeLinkStackedClosing), "<br>",
                 F(OtherAuctionsLinkOpening), id, F(OtherAuctionsLinkStackedClosing), "<br>",
                 F(CommentsLinkOpening), id, F(CommentsLinkStackedClosing), "<br>",
                 F(AddToFavouritesLinkOpening), id, F(AddToFavouritesLinkClosing), "<br><br>"});
        contactInline =
            Cat({F(AskQuestionLinkOpening), id, F(AskQuestionLinkInlineClosing), "Telefon: 555 123",
                 kNbsp4, "<a href=\"gg:4242", F(MessengerStatusPictureOpening), "4242\">"});
        contactStacked = Cat({F(AskQuestionLinkOpening), id, F(AskQuestionLinkStackedClosing),
                              "<br><br>", "Telefon: 555 123<br><br>", "<a href=\"gg:4242",
                              F(MessengerStatusPictureOpening), "4242\"><br><br>"});
        shippingInline = Cat({"Poczta", kNbsp4, kNbsp4, "Kurier", kNbsp4, " ", kNbsp4});
        shippingStacked = "Poczta<BR><BR>Kurier<BR> <BR><BR>";
    }

    // The five boxes; `leadingBreaks` says whether the openers keep their leading break.
    std::string Boxes(bool leadingBreaks) const {
        const std::string_view br = leadingBreaks ? "<br>" : "";
        const std::string_view bigBr = leadingBreaks ? "<BR>" : "";
        return Cat({kSellerBox, sellerStacked, kCloser, br, kContactBox, contactStacked, kCloser,
                    br, kTermsBox, form.auctionTerms, kBoxTextCloser, br, kBankBox,
                    form.bankAccount, kBoxTextCloser, bigBr, kShippingBox, shippingStacked,
                    kCloser});
    }
};

TEST(Layouts, EveryBlockWrittenInEachLayoutsFrames) {
    FullForm full;
    const AuctionForm& form = full.form;
    const std::string& memo2 = form.auctionTerms;
    const std::string& edit5 = form.bankAccount;
    const std::string labelLeft =
        Cat({F(SellerRowLabelLeftOpening), full.sellerInline, kCloser,
             F(ContactRowLabelLeftOpening), full.contactInline, kCloser,
             F(TermsRowLabelLeftOpening), memo2, kCloser, F(BankRowLabelLeftOpening), edit5,
             kCloser, F(ShippingRowLabelLeftOpening), full.shippingInline, kCloser});
    const std::string labelRight = Cat(
        {F(RowLabelRightOpening), full.sellerInline, F(SellerRowLabelRightClosingWithBreak),
         F(RowLabelRightOpening), full.contactInline, F(ContactRowLabelRightClosingWithBreak),
         F(RowLabelRightOpening), memo2, F(TermsRowLabelRightClosingWithBreak),
         F(RowLabelRightOpening), edit5, F(BankRowLabelRightClosingWithBreak),
         F(RowLabelRightOpening), full.shippingInline, F(ShippingRowLabelRightClosingWithBreak)});
    const std::string zigZag = Cat(
        {F(SellerRowLabelLeftOpening), full.sellerInline, kCloser, F(RowLabelRightOpening),
         full.contactInline, F(ContactRowLabelRightClosingWithBreak), F(TermsRowLabelLeftOpening),
         memo2, kCloser, F(RowLabelRightOpening), edit5, F(BankRowLabelRightClosingWithBreak),
         F(ShippingRowLabelLeftOpening), full.shippingInline, kCloser});
    const std::string connectedLeft =
        Cat({F(SellerRowLabelLeftOpening), full.sellerInline, kRowCloser, F(ConnectorOnTheLeft),
             F(ContactRowLabelLeftOpening), full.contactInline, kRowCloser, F(ConnectorOnTheLeft),
             F(TermsRowLabelLeftOpening), memo2, kRowCloser, F(ConnectorOnTheLeft),
             F(BankRowLabelLeftOpening), edit5, kRowCloser, F(ConnectorOnTheLeft),
             F(ShippingRowLabelLeftOpening), full.shippingInline, kRowCloser});
    const std::string connectedRight =
        Cat({F(RowLabelRightOpening), full.sellerInline, F(SellerRowLabelRightClosing),
             F(ConnectorOnTheRight), F(RowLabelRightOpening), full.contactInline,
             F(ContactRowLabelRightClosing), F(ConnectorOnTheRight), F(RowLabelRightOpening), memo2,
             F(TermsRowLabelRightClosing), F(ConnectorOnTheRight), F(RowLabelRightOpening), edit5,
             F(BankRowLabelRightClosing), F(ConnectorOnTheRight), F(RowLabelRightOpening),
             full.shippingInline, F(ShippingRowLabelRightClosing)});
    const std::string boxes = full.Boxes(true);
    const std::string expected[] = {labelLeft, labelRight,    zigZag,        boxes,
                                    boxes,     connectedLeft, connectedRight};
    for (int layout = 1; layout <= 7; ++layout) {
        EXPECT_EQ(Body(layout, form, full.id), ExpectedBody(layout, form, expected[layout - 1]))
            << "layout " << layout;
    }
}

TEST(Layout8, EveryBlockOnBothSidesDropsOnlyTheRightLeadingBreaks) {
    FullForm full;
    AuctionForm& form = full.form;
    form.sellerBlockLeft = form.contactBlockLeft = form.termsBlockLeft = form.bankBlockLeft = true;
    form.shippingBlockLeft = form.shippingBlockRight = form.bankBlockRight = form.termsBlockRight =
        true;
    form.contactBlockRight = form.sellerBlockRight = true;
    EXPECT_EQ(Body(8, form, full.id), ExpectedBody(8, form, full.Boxes(true), full.Boxes(false)));
}

// Single items of the blocks in their row (inline) form, seen in layout 1.
TEST(BlockContent, InlineItems) {
    struct Case {
        std::string_view name;
        std::function<void(AuctionForm&)> fill;
        std::string_view sellerId;
        std::string rows;
    };
    const std::vector<Case> cases = {
        {"favourites only", [](AuctionForm& f) { f.favouritesLink = true; }, "7",
         Cat({F(SellerRowLabelLeftOpening), F(AddToFavouritesLinkOpening), "7",
              F(AddToFavouritesLinkClosing), kCloser})},
        {"about-me only", [](AuctionForm& f) { f.aboutMeLink = true; }, "7",
         Cat({F(SellerRowLabelLeftOpening), F(AboutMeLinkOpening), "7", F(AboutMeLinkInlineClosing),
              kCloser})},
        {"empty seller ID", [](AuctionForm& f) { f.aboutMeLink = true; }, "",
         Cat({F(SellerRowLabelLeftOpening), F(AboutMeLinkOpening), F(AboutMeLinkInlineClosing),
              kCloser})},
        {"blank phone", [](AuctionForm& f) { f.phone = "  "; }, "",
         Cat({F(ContactRowLabelLeftOpening), "Telefon:   ", kNbsp4, kCloser})},
        {"messenger only", [](AuctionForm& f) { f.messengerNumber = "123"; }, "",
         Cat({F(ContactRowLabelLeftOpening), "<a href=\"gg:123", F(MessengerStatusPictureOpening),
              "123\">", kCloser})},
        {"ask link only", [](AuctionForm& f) { f.askSellerLink = true; }, "9",
         Cat({F(ContactRowLabelLeftOpening), F(AskQuestionLinkOpening), "9",
              F(AskQuestionLinkInlineClosing), kCloser})},
        {"last shipping line only", [](AuctionForm& f) { f.shippingLine4 = "X"; }, "",
         Cat({F(ShippingRowLabelLeftOpening), kNbsp4, kNbsp4, kNbsp4, "X", kNbsp4, kCloser})},
        {"terms of three lines", [](AuctionForm& f) { f.auctionTerms = "a\r\nb\r\nc"; }, "",
         Cat({F(TermsRowLabelLeftOpening), "a\r\nb\r\nc", kCloser})},
        {"bank as markup", [](AuctionForm& f) { f.bankAccount = "<b>"; }, "",
         Cat({F(BankRowLabelLeftOpening), "<b>", kCloser})},
    };
    for (const Case& c : cases) {
        AuctionForm form;
        c.fill(form);
        EXPECT_EQ(Body(1, form, c.sellerId), ExpectedBody(1, form, c.rows)) << c.name;
    }
}

// Single items of the blocks in their box (stacked) form, seen in layouts 4 and 5.
TEST(BlockContent, StackedItems) {
    struct Case {
        std::string_view name;
        int layout;
        std::function<void(AuctionForm&)> fill;
        std::string column;
    };
    const std::vector<Case> cases = {
        {"favourites only", 5, [](AuctionForm& f) { f.favouritesLink = true; },
         Cat({kSellerBox, F(AddToFavouritesLinkOpening), "id", F(AddToFavouritesLinkClosing),
              "<br><br>", kCloser})},
        {"phone only", 4, [](AuctionForm& f) { f.phone = "555"; },
         Cat({"<br>", kContactBox, "Telefon: 555<br><br>", kCloser})},
        {"messenger only", 5, [](AuctionForm& f) { f.messengerNumber = "123"; },
         Cat({"<br>", kContactBox, "<a href=\"gg:123", F(MessengerStatusPictureOpening),
              "123\"><br><br>", kCloser})},
        {"third shipping line only", 5, [](AuctionForm& f) { f.shippingLine3 = "X"; },
         Cat({"<BR>", kShippingBox, "<BR><BR>X<BR><BR><BR>", kCloser})},
        {"terms only", 4, [](AuctionForm& f) { f.auctionTerms = "Zasady"; },
         Cat({"<br>", kTermsBox, "Zasady", kBoxTextCloser})},
    };
    for (const Case& c : cases) {
        AuctionForm form;
        c.fill(form);
        EXPECT_EQ(Body(c.layout, form, "id"), ExpectedBody(c.layout, form, c.column)) << c.name;
    }
}

// The label side alternates with the number of rows written, whichever blocks are missing.
TEST(Layout3, RowsZigZagOverTheBlocksWritten) {
    struct Case {
        std::string_view name;
        std::function<void(AuctionForm&)> fill;
        std::string rows;
    };
    const std::vector<Case> cases = {
        {"contact and terms",
         [](AuctionForm& f) {
             f.phone = "1";
             f.auctionTerms = "T";
         },
         Cat({F(ContactRowLabelLeftOpening), "Telefon: 1", kNbsp4, kCloser, F(RowLabelRightOpening),
              "T", F(TermsRowLabelRightClosingWithBreak)})},
        {"bank and shipping",
         [](AuctionForm& f) {
             f.bankAccount = "B";
             f.shippingLine1 = "S";
         },
         Cat({F(BankRowLabelLeftOpening), "B", kCloser, F(RowLabelRightOpening), "S", kNbsp4,
              kNbsp4, kNbsp4, kNbsp4, F(ShippingRowLabelRightClosingWithBreak)})},
        {"shipping only", [](AuctionForm& f) { f.shippingLine1 = "S"; },
         Cat({F(ShippingRowLabelLeftOpening), "S", kNbsp4, kNbsp4, kNbsp4, kNbsp4, kCloser})},
        {"seller, bank and shipping",
         [](AuctionForm& f) {
             f.commentsLink = true;
             f.bankAccount = "B";
             f.shippingLine1 = "S";
         },
         Cat({F(SellerRowLabelLeftOpening), F(CommentsLinkOpening), F(CommentsLinkInlineClosing),
              kCloser, F(RowLabelRightOpening), "B", F(BankRowLabelRightClosingWithBreak),
              F(ShippingRowLabelLeftOpening), "S", kNbsp4, kNbsp4, kNbsp4, kNbsp4, kCloser})},
    };
    for (const Case& c : cases) {
        AuctionForm form;
        c.fill(form);
        EXPECT_EQ(Body(3, form), ExpectedBody(3, form, c.rows)) << c.name;
    }
}

TEST(ConnectedLayouts, ConnectorsStandWhetherOrNotRowsAreWritten) {
    AuctionForm terms;
    terms.auctionTerms = "T";
    EXPECT_EQ(Body(6, terms), ExpectedBody(6, terms,
                                           Cat({F(ConnectorOnTheLeft), F(ConnectorOnTheLeft),
                                                F(TermsRowLabelLeftOpening), "T", kRowCloser,
                                                F(ConnectorOnTheLeft), F(ConnectorOnTheLeft)})));
    AuctionForm bank;
    bank.bankAccount = "B";
    EXPECT_EQ(Body(7, bank),
              ExpectedBody(7, bank,
                           Cat({F(ConnectorOnTheRight), F(ConnectorOnTheRight),
                                F(ConnectorOnTheRight), F(RowLabelRightOpening), "B",
                                F(BankRowLabelRightClosing), F(ConnectorOnTheRight)})));
    AuctionForm phone;
    phone.phone = "555";
    EXPECT_EQ(Body(7, phone),
              ExpectedBody(7, phone,
                           Cat({F(ConnectorOnTheRight), F(RowLabelRightOpening), "Telefon: 555",
                                kNbsp4, F(ContactRowLabelRightClosing), F(ConnectorOnTheRight),
                                F(ConnectorOnTheRight), F(ConnectorOnTheRight)})));
}

TEST(Layout8, PlacementSwitchesChooseTheColumnOnly) {
    AuctionForm form;
    form.auctionTerms = "";
    form.termsBlockLeft = true;  // terms on the left, but there are no terms
    EXPECT_EQ(Body(8, form), ExpectedBody(8, form, ""));

    AuctionForm seller;
    seller.aboutMeLink = true;
    seller.sellerBlockLeft = seller.sellerBlockRight = true;
    const std::string sellerBox = Cat(
        {kSellerBox, F(AboutMeLinkOpening), "id", F(AboutMeLinkStackedClosing), "<br>", kCloser});
    EXPECT_EQ(Body(8, seller, "id"), ExpectedBody(8, seller, sellerBox, sellerBox));

    AuctionForm contact;
    contact.phone = "1";
    contact.contactBlockLeft = contact.contactBlockRight = true;
    const std::string contactBox = Cat({kContactBox, "Telefon: 1<br><br>", kCloser});
    EXPECT_EQ(Body(8, contact), ExpectedBody(8, contact, "<br>" + contactBox, contactBox));

    AuctionForm shipping;
    shipping.shippingLine1 = "S";
    shipping.shippingBlockRight = true;  // the bottom right switch places the shipping block
    EXPECT_EQ(Body(8, shipping),
              ExpectedBody(8, shipping, "", Cat({kShippingBox, "S<BR><BR><BR><BR><BR>", kCloser})));
}

TEST(Layout8, LeftColumnKeepsTheFixedOrder) {
    FullForm full;
    AuctionForm& form = full.form;
    form.shippingBlockLeft = form.bankBlockLeft = form.termsBlockLeft = form.contactBlockLeft =
        form.sellerBlockLeft = true;
    EXPECT_EQ(Body(8, form, full.id), ExpectedBody(8, form, full.Boxes(true), ""));
    EXPECT_EQ(CountOf(Body(8, form, full.id), F(AboutMeLinkOpening)), 1u);
}

}  // namespace
}  // namespace licytek
