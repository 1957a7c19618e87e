#include "cli/FormJson.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <unordered_set>
#include <vector>

#include "model/Text.h"

namespace licytek {
namespace {

// Keeps the keys in the order the form gives them, so the first fault reported is the first
// one in the text.
using Json = nlohmann::ordered_json;

// A message that stays on one line whatever the input held.
std::string OneLine(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    return text;
}

FormJsonError Fault(std::string_view key, std::string_view what) {
    return {OneLine(std::string(key) + ": " + std::string(what))};
}

// The library's message without its "[json.exception.parse_error.101] " tag. It may quote
// the bytes it stopped at, which need not be UTF-8: those become '?'.
std::string LibraryMessage(const nlohmann::json::exception& error) {
    std::string_view text = error.what();
    if (const auto tagEnd = text.find("] "); tagEnd != std::string_view::npos) {
        text.remove_prefix(tagEnd + 2);
    }
    std::string message(text);
    std::replace_if(
        message.begin(), message.end(),
        [](char c) { return static_cast<unsigned char>(c) >= 0x80; }, '?');
    return message;
}

// A key as the form wrote it, quoted and escaped so that it cannot break the line.
std::string Quoted(std::string_view key) {
    return Json(std::string(key)).dump();
}

std::string Describe(const Json& value) {
    switch (value.type()) {
        case Json::value_t::null:
            return "null";
        case Json::value_t::boolean:
            return value.get<bool>() ? "true" : "false";
        case Json::value_t::string:
            return "a string";
        case Json::value_t::object:
            return "an object";
        case Json::value_t::array:
            return "an array";
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
        case Json::value_t::number_float:
            return value.dump();
        default:
            return "a binary value";
    }
}

std::string LastPosition(const FormField& field) {
    return std::to_string(field.listSize - 1);
}

std::string ExpectedType(const FormField& field) {
    switch (field.kind) {
        case FieldKind::Switch:
            return "true or false";
        case FieldKind::ListPosition:
            return "an integer from -1 (no item) to " + LastPosition(field);
        default:
            return "a string";
    }
}

FormJsonError WrongType(std::string_view key, std::string_view expected, const Json& value) {
    return Fault(key, "must be " + std::string(expected) + ", not " + Describe(value));
}

// The code point that starts at `offset` of a valid UTF-8 text.
char32_t CodePointAt(std::string_view utf8, std::size_t offset) {
    const auto lead = static_cast<unsigned char>(utf8[offset]);
    if (lead < 0xC0) {
        return lead;
    }
    const int length = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    char32_t code = lead & (0x7F >> length);
    for (int i = 1; i < length && offset + static_cast<std::size_t>(i) < utf8.size(); ++i) {
        code = (code << 6) |
               (static_cast<unsigned char>(utf8[offset + static_cast<std::size_t>(i)]) & 0x3F);
    }
    return code;
}

std::string CodePointName(char32_t code) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string digits;
    for (; code != 0 || digits.size() < 4; code >>= 4) {
        digits.insert(digits.begin(), kHex[code & 0xF]);
    }
    return "U+" + digits;
}

// Which character of the text (counted from 1) starts at byte `offset`.
std::size_t CharacterNumber(std::string_view utf8, std::size_t offset) {
    return 1 + static_cast<std::size_t>(std::count_if(
                   utf8.begin(), utf8.begin() + static_cast<std::ptrdiff_t>(offset),
                   [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

// The Windows-1250 text for a UTF-8 value of the form, with CR LF between its lines.
std::optional<FormJsonError> ConvertText(std::string_view key, const std::string& utf8,
                                         std::string& out) {
    if (const auto zero = utf8.find('\0'); zero != std::string::npos) {
        return Fault(key, "holds a zero character (character " +
                              std::to_string(CharacterNumber(utf8, zero)) +
                              "), which no text can hold");
    }
    std::size_t badOffset = 0;
    auto converted = Utf8ToCp1250(utf8, &badOffset);
    if (!converted) {
        return Fault(key, CodePointName(CodePointAt(utf8, badOffset)) + " (character " +
                              std::to_string(CharacterNumber(utf8, badOffset)) +
                              ") cannot be written in Windows-1250");
    }
    out = ToCrLf(*converted);
    return std::nullopt;
}

std::optional<FormJsonError> ApplyListPosition(const FormField& field, const Json& value,
                                               AuctionForm& form) {
    if (!value.is_number_integer()) {
        return WrongType(field.name, ExpectedType(field), value);
    }
    // Compare in the widest types, so that no huge number wraps into the range.
    const bool inRange =
        value.is_number_unsigned()
            ? value.get<std::uint64_t>() < static_cast<std::uint64_t>(field.listSize)
            : value.get<std::int64_t>() >= kNoListItem &&
                  value.get<std::int64_t>() < field.listSize;
    if (!inRange) {
        return Fault(field.name, value.dump() +
                                     " is not a position of its list (-1 for no item, 0 to " +
                                     LastPosition(field) + ")");
    }
    form.*field.position = static_cast<int>(value.get<std::int64_t>());
    return std::nullopt;
}

// The switches of one group that the form names, and which of them it gives true.
struct GroupChoice {
    std::vector<std::string_view> chosen;
    bool named = false;
};

std::optional<FormJsonError> ApplyField(const FormField& field, const Json& value,
                                        AuctionForm& form,
                                        std::map<SwitchGroup, GroupChoice>& groups) {
    switch (field.kind) {
        case FieldKind::Switch: {
            if (!value.is_boolean()) {
                return WrongType(field.name, ExpectedType(field), value);
            }
            if (field.group == SwitchGroup::None) {
                form.*field.flag = value.get<bool>();
                return std::nullopt;
            }
            auto& choice = groups[field.group];
            choice.named = true;
            if (value.get<bool>()) {
                choice.chosen.push_back(field.name);
            }
            return std::nullopt;
        }
        case FieldKind::ListPosition:
            return ApplyListPosition(field, value, form);
        case FieldKind::Text:
        case FieldKind::MultiLineText:
        case FieldKind::ListText:
            if (!value.is_string()) {
                return WrongType(field.name, ExpectedType(field), value);
            }
            return ConvertText(field.name, value.get_ref<const std::string&>(), form.*field.text);
    }
    return std::nullopt;
}

std::string GroupMembers(SwitchGroup group) {
    std::string names;
    for (const auto& field : FormFields()) {
        if (field.kind == FieldKind::Switch && field.group == group) {
            names += (names.empty() ? "" : ", ") + std::string(field.name);
        }
    }
    return names;
}

std::optional<FormJsonError> ApplyGroups(const std::map<SwitchGroup, GroupChoice>& groups,
                                         AuctionForm& form) {
    for (const auto& [group, choice] : groups) {
        if (choice.chosen.size() > 1) {
            return Fault(std::string(choice.chosen[0]) + ", " + std::string(choice.chosen[1]),
                         "only one of " + GroupMembers(group) + " can be true");
        }
    }
    for (const auto& field : FormFields()) {
        const auto choice = groups.find(field.group);
        if (field.kind != FieldKind::Switch || choice == groups.end() || !choice->second.named) {
            continue;
        }
        const auto& chosen = choice->second.chosen;
        form.*field.flag = std::find(chosen.begin(), chosen.end(), field.name) != chosen.end();
    }
    return std::nullopt;
}

// Parses the text into `json`; a key given twice at the top is a fault, since only one of
// its values could count.
std::optional<FormJsonError> Parse(std::string_view text, Json& json) {
    std::optional<std::string> duplicate;
    std::optional<std::string> lastKey;
    std::unordered_set<std::string> keys;
    const Json::parser_callback_t noteKeys = [&](int depth, Json::parse_event_t event,
                                                 Json& parsed) {
        if (depth == 1 && event == Json::parse_event_t::key) {
            lastKey = parsed.get<std::string>();
            if (!keys.insert(*lastKey).second && !duplicate) {
                duplicate = lastKey;
            }
        }
        return true;
    };
    try {
        json = Json::parse(text.begin(), text.end(), noteKeys);
    } catch (const nlohmann::json::parse_error& error) {
        return FormJsonError{OneLine("malformed JSON: " + LibraryMessage(error))};
    } catch (const nlohmann::json::exception& error) {
        // Such as a number too large for any type; name the key whose value held it.
        const std::string where = lastKey ? Quoted(*lastKey) : std::string("JSON");
        return Fault(where, LibraryMessage(error));
    }
    if (duplicate) {
        return Fault(Quoted(*duplicate), "given more than once");
    }
    return std::nullopt;
}

}  // namespace

std::optional<FormJsonError> ApplyFormJson(std::string_view json, AuctionForm& form,
                                           std::optional<std::string>& sellerId) {
    Json parsed;
    if (auto error = Parse(json, parsed)) {
        return error;
    }
    if (!parsed.is_object()) {
        return FormJsonError{"the JSON form must be an object of control names, not " +
                             Describe(parsed)};
    }
    AuctionForm next = form;
    std::optional<std::string> nextSellerId = sellerId;
    std::map<SwitchGroup, GroupChoice> groups;
    for (const auto& [key, value] : parsed.items()) {
        if (key == kSellerIdKey) {
            if (!value.is_string()) {
                return WrongType(key, "a string", value);
            }
            std::string id;
            if (auto error = ConvertText(key, value.get_ref<const std::string&>(), id)) {
                return error;
            }
            nextSellerId = std::move(id);
            continue;
        }
        const FormField* field = FindFormField(key);
        if (field == nullptr) {
            return FormJsonError{"unknown key " + Quoted(key) +
                                 " (the keys are the control names and SellerId)"};
        }
        if (auto error = ApplyField(*field, value, next, groups)) {
            return error;
        }
    }
    if (auto error = ApplyGroups(groups, next)) {
        return error;
    }
    form = std::move(next);
    sellerId = std::move(nextSellerId);
    return std::nullopt;
}

std::string FormToJson(const AuctionForm& form, std::span<const FormField* const> fields) {
    Json json = Json::object();
    for (const FormField* field : fields) {
        const std::string name(field->name);
        switch (field->kind) {
            case FieldKind::Switch:
                json[name] = form.*field->flag;
                break;
            case FieldKind::ListPosition:
                json[name] = form.*field->position;
                break;
            case FieldKind::Text:
            case FieldKind::MultiLineText:
            case FieldKind::ListText:
                json[name] = Cp1250ToUtf8(form.*field->text);
                break;
        }
    }
    return json.dump(4);
}

std::span<const FormField* const> AllFormFields() {
    static const std::vector<const FormField*> all = [] {
        std::vector<const FormField*> fields;
        for (const auto& field : FormFields()) {
            fields.push_back(&field);
        }
        return fields;
    }();
    return all;
}

std::string DescribeFormKeys() {
    std::string text;
    auto line = [&text](std::string_view key, std::string_view type, std::string_view label) {
        std::string padded(key);
        padded.resize(std::max<std::size_t>(padded.size() + 2, 15), ' ');
        std::string typeColumn(type);
        typeColumn.resize(std::max<std::size_t>(typeColumn.size() + 2, 24), ' ');
        text += "  " + padded + typeColumn + std::string(label) + "\n";
    };
    for (const auto& field : FormFields()) {
        switch (field.kind) {
            case FieldKind::Text:
                line(field.name, "string", field.label);
                break;
            case FieldKind::MultiLineText:
                line(field.name, "string, several lines", field.label);
                break;
            case FieldKind::ListText:
                line(field.name, "string (list text)", field.label);
                break;
            case FieldKind::ListPosition:
                line(field.name, "integer -1.." + LastPosition(field), field.label);
                break;
            case FieldKind::Switch:
                line(field.name,
                     field.group == SwitchGroup::None ? "boolean" : "boolean, one of group",
                     field.label);
                break;
        }
    }
    line(kSellerIdKey, "string", "the seller's auction-site ID (default: id.ltk)");
    return text;
}

}  // namespace licytek
