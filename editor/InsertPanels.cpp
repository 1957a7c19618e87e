#include "editor/InsertPanels.h"

#include <cstddef>
#include <initializer_list>
#include <string_view>

#include "editor/MarkupCommands.h"
#include "editor/TextLines.h"
#include "generator/Fragments.h"

namespace licytek {

namespace {

// Generous room for the literal parts of one tag; only an estimate for the reservation.
constexpr std::size_t kTagLiteralsRoom = 128;

std::size_t TotalSize(std::initializer_list<std::string_view> pieces) {
    std::size_t total = 0;
    for (std::string_view piece : pieces) {
        total += piece.size();
    }
    return total;
}

std::string Concatenate(std::initializer_list<std::string_view> pieces) {
    std::string result;
    result.reserve(TotalSize(pieces));
    for (std::string_view piece : pieces) {
        result.append(piece);
    }
    return result;
}

// The link opening goes in as a new line that starts with `<A href="`; the address and the
// rest of the tag are glued to it. After a description that ends in a line break, the new
// line therefore holds only `<A href="` and the address follows on the next one: that is how
// the markup has always been written, and browsers drop a line break inside an address.
void AddLinkOpening(std::string& memo1, std::string_view address) {
    AddLineTo(memo1, "<A href=\"");
    AppendTo(memo1, Concatenate({address, "\" target=\"", kLinkTarget, "\">"}));
}

void AddPictureTag(std::string& memo1, const AuctionForm& form) {
    AddLineTo(memo1, "<img src=\"");
    std::string tag = Concatenate({form.pictureAddress, "\" border=0 "});
    if (form.pictureResized) {
        tag += Concatenate(
            {"width=\"", form.pictureWidth, "%\" height=\"", form.pictureHeight, "%\""});
    }
    tag += ">";
    if (form.pictureOpensAddress) {
        tag += "</A>";
    }
    AppendTo(memo1, tag);
}

void AddWebPicture(std::string& memo1, const AuctionForm& form) {
    if (form.pictureOpensAddress) {
        AddLinkOpening(memo1, form.pictureLinkAddress);
    }
    AddPictureTag(memo1, form);
}

}  // namespace

std::string InsertPicture(const AuctionForm& form) {
    const std::size_t room = TotalSize({form.pictureAddress, form.pictureLinkAddress,
                                        form.pictureWidth, form.pictureHeight}) +
                             kTagLiteralsRoom + kGalleryPlaceholder.size();
    std::string memo1 = CopyWithRoom(form.itemDescription, room);
    if (form.pictureFromWeb) {
        AddWebPicture(memo1, form);
    }
    if (form.pictureFromGallery) {
        AppendTo(memo1, kGalleryPlaceholder);
    }
    return memo1;
}

std::string InsertLink(const AuctionForm& form) {
    std::string memo1 = CopyWithRoom(
        form.itemDescription, TotalSize({form.linkText, form.linkAddress}) + kTagLiteralsRoom);
    AddLinkOpening(memo1, form.linkAddress);
    AppendTo(memo1, Concatenate({form.linkText, "</A>"}));
    return memo1;
}

std::string ChangeFont(const AuctionForm& form) {
    const std::string_view sizeEnd = Fragment(FragmentLine::FontSizeClosing);
    const std::initializer_list<std::string_view> pieces = {
        "<font face=\"",         form.fontFace, "\" color=\"", form.fontColour,
        "\" style=\"font-size:", form.fontSize, sizeEnd};
    std::string memo1 = CopyWithRoom(form.itemDescription, TotalSize(pieces));
    for (std::string_view piece : pieces) {
        AppendTo(memo1, piece);
    }
    return memo1;
}

}  // namespace licytek
