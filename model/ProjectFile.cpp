#include "model/ProjectFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <stdexcept>

#include "model/FormFields.h"

namespace licytek {
namespace {

constexpr std::uint8_t kFlagOn = 0xFF;
constexpr std::uint8_t kNoListItemByte = 0xFF;

// The record in file order. Gaps between entries stay zero.
constexpr auto kSlots = std::to_array<ProjectSlot>({
    {0, 98, "Edit2"},  // auction header
    {98, 1, "CheckBox1"},      {99, 50, "Edit3"},         {149, 50, "Edit4"},
    {199, 2500, "Memo2"},  // auction terms
    {2699, 100, "Edit5"},      {2799, 100, "Edit6"},      {2899, 100, "Edit7"},
    {2999, 100, "Edit8"},      {3099, 96, "Edit9"},       {3195, 1, "CheckBox6"},
    {3196, 1, "CheckBox7"},    {3197, 1, "CheckBox8"},    {3198, 1, "CheckBox9"},
    {3199, 100, "Edit1"},   // description header
    {3299, 100, "Edit14"},  // the seven colours
    {3399, 100, "Edit15"},     {3499, 100, "Edit16"},     {3599, 100, "Edit18"},
    {3699, 100, "Edit19"},     {3799, 100, "Edit20"},     {3899, 100, "Edit21"},
    {3999, 1, "ComboBox5"},  // colour style
    {4009, 1, "ComboBox1"},  // the four transition effects
    {4019, 1, "ComboBox2"},    {4029, 1, "ComboBox3"},    {4039, 1, "ComboBox4"},
    {4049, 1, "CheckBox2"},    {4059, 1, "CheckBox3"},    {4069, 1, "CheckBox5"},
    {4079, 1, "CheckBox4"},    {4999, 1, "RadioButton1"},  // the eight layouts
    {5009, 1, "RadioButton2"}, {5019, 1, "RadioButton3"}, {5029, 1, "RadioButton4"},
    {5039, 1, "RadioButton5"}, {5049, 1, "RadioButton6"}, {5059, 1, "RadioButton7"},
    {5069, 1, "RadioButton8"}, {5099, 900, "Edit34"},  // page title
    {5999, 1000, "Memo5"},                             // keywords
    {6999, 1000, "Memo8"},                             // short description
    {7999, 52001, "Memo1"},  // item description, up to the end of the record
});

constexpr bool SlotsAscendWithinRecord() {
    std::size_t end = 0;
    for (const auto& slot : kSlots) {
        if (slot.offset < end || slot.length == 0) {
            return false;
        }
        end = slot.offset + slot.length;
    }
    return end == kProjectRecordSize;
}
static_assert(SlotsAscendWithinRecord(), "slots must ascend without overlap and fill the record");

// The input a slot holds. The table names only inputs that FormFields() has; the tests check it.
const FormField& FieldOf(const ProjectSlot& slot) {
    const FormField* field = FindFormField(slot.control);
    if (field == nullptr) {
        throw std::logic_error("the project file names an unknown input");
    }
    return *field;
}

std::uint8_t ByteOf(char c) {
    return static_cast<std::uint8_t>(c);
}

// The record's byte at `offset`, zero past the end of a short record.
std::uint8_t ByteAt(std::string_view record, std::size_t offset) {
    return offset < record.size() ? ByteOf(record[offset]) : 0;
}

// The slot's text: its bytes up to the first zero byte, or all of them.
std::string TextAt(std::string_view record, const ProjectSlot& slot) {
    if (slot.offset >= record.size()) {
        return {};
    }
    const std::string_view bytes = record.substr(slot.offset, slot.length);
    return std::string(bytes.substr(0, bytes.find('\0')));
}

std::optional<SlotOverflow> CheckText(const std::string& text, const ProjectSlot& slot,
                                      const FormField& field) {
    SlotOverflow refusal{field.name, field.label, slot.length, text.size(), std::nullopt};
    if (text.size() > slot.length) {
        return refusal;
    }
    if (const auto zero = text.find('\0'); zero != std::string::npos) {
        refusal.zeroByteAt = zero;
        return refusal;
    }
    return std::nullopt;
}

std::uint8_t ListPositionByte(int position, int listSize) {
    if (position < 0 || position >= listSize) {
        return kNoListItemByte;
    }
    return static_cast<std::uint8_t>(position);
}

int ListPositionOf(std::uint8_t byte, int listSize) {
    return byte < listSize ? byte : kNoListItem;
}

}  // namespace

std::span<const ProjectSlot> ProjectSlots() {
    return kSlots;
}

std::string SlotOverflow::Message() const {
    const std::string field = "Pole „" + std::string(label) + "”";
    if (zeroByteAt) {
        return field + " zawiera znak o kodzie 0 na pozycji " + std::to_string(*zeroByteAt + 1) +
               ", którego nie da się zapisać. Projekt nie został zapisany.";
    }
    return field + " może mieć najwyżej " + std::to_string(limit) + " znaków, a ma " +
           std::to_string(length) + ". Projekt nie został zapisany.";
}

std::variant<std::string, SlotOverflow> EncodeProject(const AuctionForm& form) {
    std::string record(kProjectRecordSize, '\0');
    for (const auto& slot : kSlots) {
        const FormField& field = FieldOf(slot);
        switch (field.kind) {
            case FieldKind::Text:
            case FieldKind::MultiLineText:
            case FieldKind::ListText: {
                const std::string& text = form.*field.text;
                if (auto refusal = CheckText(text, slot, field)) {
                    return *refusal;
                }
                record.replace(slot.offset, text.size(), text);
                break;
            }
            case FieldKind::Switch:
                record[slot.offset] = static_cast<char>(form.*field.flag ? kFlagOn : 0);
                break;
            case FieldKind::ListPosition:
                record[slot.offset] =
                    static_cast<char>(ListPositionByte(form.*field.position, field.listSize));
                break;
        }
    }
    return record;
}

void DecodeProject(std::string_view record, AuctionForm& form) {
    record = record.substr(0, std::min(record.size(), kProjectRecordSize));
    for (const auto& slot : kSlots) {
        const FormField& field = FieldOf(slot);
        switch (field.kind) {
            case FieldKind::Text:
            case FieldKind::MultiLineText:
            case FieldKind::ListText:
                form.*field.text = TextAt(record, slot);
                break;
            case FieldKind::Switch:
                form.*field.flag = ByteAt(record, slot.offset) == kFlagOn;
                break;
            case FieldKind::ListPosition:
                form.*field.position = ListPositionOf(ByteAt(record, slot.offset), field.listSize);
                break;
        }
    }
}

std::variant<std::monostate, FileError, SlotOverflow> SaveProject(const AuctionForm& form,
                                                                  const std::string& path) {
    auto encoded = EncodeProject(form);
    if (auto* refusal = std::get_if<SlotOverflow>(&encoded)) {
        return *refusal;
    }
    if (auto error = WriteFileAtomically(path, std::get<std::string>(encoded))) {
        return *error;
    }
    return std::monostate{};
}

std::optional<FileError> LoadProject(const std::string& path, AuctionForm& form) {
    auto read = ReadFilePrefix(path, kProjectRecordSize);
    if (auto* error = std::get_if<FileError>(&read)) {
        return *error;
    }
    DecodeProject(std::get<std::string>(read), form);
    return std::nullopt;
}

}  // namespace licytek
