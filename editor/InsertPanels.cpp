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

// The index of the fragment line that ends the font start tag after its size.
constexpr int kFontSizeEndFragment = 89;

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

std::string LinkOpening(std::string_view address) {
    return Concatenate({"<A href=\"", address, "\" target=\"", kLinkTarget, "\">"});
}

std::string PictureTag(const AuctionForm& form) {
    std::string tag = Concatenate({"<img src=\"", form.Edit17, "\" border=0 "});
    if (form.CheckBox19) {
        tag += Concatenate({"width=\"", form.Edit23, "%\" height=\"", form.Edit24, "%\""});
    }
    tag += ">";
    if (form.CheckBox18) {
        tag += "</A>";
    }
    return tag;
}

// Each piece goes in as a whole line, so that the line break that AddLine puts before or
// after it never lands inside an attribute value.
void AddWebPicture(std::string& memo1, const AuctionForm& form) {
    if (form.CheckBox18) {
        AddLineTo(memo1, LinkOpening(form.Edit22));
    }
    AddLineTo(memo1, PictureTag(form));
}

}  // namespace

std::string InsertPicture(const AuctionForm& form) {
    const std::size_t room = TotalSize({form.Edit17, form.Edit22, form.Edit23, form.Edit24}) +
                             kTagLiteralsRoom + kGalleryPlaceholder.size();
    std::string memo1 = CopyWithRoom(form.Memo1, room);
    if (form.RadioButton9) {
        AddWebPicture(memo1, form);
    }
    if (form.RadioButton10) {
        AppendTo(memo1, kGalleryPlaceholder);
    }
    return memo1;
}

std::string InsertLink(const AuctionForm& form) {
    std::string memo1 =
        CopyWithRoom(form.Memo1, TotalSize({form.Edit25, form.Edit26}) + kTagLiteralsRoom);
    AddLineTo(memo1, LinkOpening(form.Edit26) + form.Edit25 + "</A>");
    return memo1;
}

std::string ChangeFont(const AuctionForm& form) {
    const std::string_view sizeEnd = Fragment(kFontSizeEndFragment);
    const std::initializer_list<std::string_view> pieces = {
        "<font face=\"",         form.ComboBox9, "\" color=\"", form.Edit31,
        "\" style=\"font-size:", form.ComboBox8, sizeEnd};
    std::string memo1 = CopyWithRoom(form.Memo1, TotalSize(pieces));
    for (std::string_view piece : pieces) {
        AppendTo(memo1, piece);
    }
    return memo1;
}

PicturePanelEnabled PicturePanelEnabling(const AuctionForm& form) {
    const bool web = form.RadioButton9;
    return {.Edit17 = web,
            .CheckBox18 = web,
            .Edit22 = web && form.CheckBox18,
            .CheckBox19 = web,
            .Edit23 = web && form.CheckBox19,
            .Edit24 = web && form.CheckBox19};
}

}  // namespace licytek
