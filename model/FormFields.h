// One table of every input of the form, so that the window's snapshot and restore, the
// command-line tool's JSON and the tests walk the inputs instead of naming 150 of them.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/AuctionForm.h"

namespace licytek {

enum class FieldKind {
    Text,           // single-line text
    MultiLineText,  // text with CR LF between lines
    Switch,         // check box, radio button or switch panel
    ListPosition,   // selected position of a list, kNoListItem for none
    ListText,       // shown text of an editable list
};

// Switches of which at most one is on (radio groups and the editor's alignment panels).
enum class SwitchGroup { None, Layout, PictureSource, Direction, Animation, Alignment };

struct FormField {
    std::string_view name;    // the control's name, e.g. "Edit2": the JSON key and the column
    std::string_view member;  // the member's name, e.g. "auctionHeader", and its widget's
    FieldKind kind;
    std::string_view label;                        // what the seller sees it as, Polish, UTF-8
    std::string AuctionForm::*text = nullptr;      // Text, MultiLineText, ListText
    bool AuctionForm::*flag = nullptr;             // Switch
    int AuctionForm::*position = nullptr;          // ListPosition
    SwitchGroup group = SwitchGroup::None;         // Switch only
    int listSize = 0;                              // ListPosition: number of items
    std::span<const std::string_view> items = {};  // ListPosition: the items, UTF-8, in list order
    // A text the page shows as HTML text, where a character that Windows-1250 cannot hold
    // stands as its numeric reference ("&#178;"); any other text (an address in an attribute,
    // the right-click message in a script) refuses such a character.
    bool htmlText = false;
};

// Every input, in the order the window groups them.
std::span<const FormField> FormFields();

// The input of that control name, or nullptr.
const FormField* FindFormField(std::string_view name);

// The name the seller knows the input of that control name by, its label ("Edit2" gives
// "Nagłówek aukcji"), for every message that names an input; any other name (a column as the
// seller wrote it, say) as it is.
std::string_view InputLabel(std::string_view name);

// The input whose member (and widget) has that name, or nullptr.
const FormField* FindFormFieldByMember(std::string_view member);

// Windows-1250 bytes of a UTF-8 value of a text input, by the input's rule for characters the
// code page cannot hold: references in HTML text, refused elsewhere. Nothing when refused,
// with `badOffset` at the refused character.
std::optional<std::string> FieldTextFromUtf8(const FormField& field, std::string_view utf8,
                                             std::size_t* badOffset = nullptr);

inline bool IsTextKind(FieldKind kind) {
    return kind == FieldKind::Text || kind == FieldKind::MultiLineText ||
           kind == FieldKind::ListText;
}

}  // namespace licytek
