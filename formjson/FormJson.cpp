#include "formjson/FormJson.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <nlohmann/json.hpp>
#include <unordered_set>
#include <vector>

#include "formjson/JsonText.h"
#include "model/Text.h"
#include "model/Utf8.h"

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

FormJsonError Fault(std::string_view key, std::string_view what, std::string_view polishWhat) {
    return {OneLine(std::string(key) + ": " + std::string(what)),
            OneLine(std::string(key) + ": " + std::string(polishWhat))};
}

// The most of the bytes the library stopped at that a message repeats.
constexpr std::size_t kQuotedBytes = 40;

// The library's message without its "[json.exception.parse_error.101] " tag, with the
// position given (when set) in place of the library's own. It may quote the bytes it stopped
// at, which need not be UTF-8 (those become '?') and may run long (only the last few stay).
std::string LibraryMessage(const nlohmann::json::exception& error,
                           const std::optional<std::string>& position = std::nullopt) {
    std::string_view text = error.what();
    if (const auto tagEnd = text.find("] "); tagEnd != std::string_view::npos) {
        text.remove_prefix(tagEnd + 2);
    }
    std::string message;
    constexpr std::string_view kAt = "parse error at ";
    const auto positionEnd = text.find(": ");
    if (position && text.starts_with(kAt) && positionEnd != std::string_view::npos) {
        message = std::string(kAt) + *position;
        text.remove_prefix(positionEnd);
    }
    constexpr std::string_view kLastRead = "; last read: '";
    const auto quoteStart = text.find(kLastRead);
    const auto expected = text.rfind("'; expected ");
    const auto quoteEnd = expected != std::string_view::npos ? expected : text.size() - 1;
    if (quoteStart != std::string_view::npos && quoteEnd > quoteStart + kLastRead.size() &&
        quoteEnd - (quoteStart + kLastRead.size()) > kQuotedBytes) {
        message.append(text.substr(0, quoteStart + kLastRead.size())).append("...");
        text.remove_prefix(quoteEnd - kQuotedBytes);
    }
    message.append(text);
    std::replace_if(
        message.begin(), message.end(),
        [](char c) { return static_cast<unsigned char>(c) >= 0x80; }, '?');
    return message;
}

// A key as the form wrote it, quoted and escaped so that it cannot break the line; a long
// one is cut (between characters) to its start.
std::string Quoted(std::string_view key) {
    constexpr std::size_t kKeyCharacters = 64;
    const std::string_view shown = Utf8Prefix(key, kKeyCharacters);
    return Json(std::string(shown)).dump() + (shown.size() < key.size() ? "..." : "");
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

// The value as the end of "ma być …, nie …".
std::string DescribePolish(const Json& value) {
    switch (value.type()) {
        case Json::value_t::null:
            return "wartością null";
        case Json::value_t::boolean:
            return value.get<bool>() ? "wartością true" : "wartością false";
        case Json::value_t::string:
            return "tekstem";
        case Json::value_t::object:
            return "obiektem {…}";
        case Json::value_t::array:
            return "listą […]";
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned:
        case Json::value_t::number_float:
            return "liczbą " + value.dump();
        default:
            return "wartością binarną";
    }
}

std::string LastPosition(const FormField& field) {
    return std::to_string(field.listSize - 1);
}

// What a key's value must be, in English and as the middle of "ma być …, nie …".
struct Expected {
    std::string english;
    std::string polish;
};

const Expected kString{"a string", "tekstem w cudzysłowie"};

Expected ExpectedType(const FormField& field) {
    switch (field.kind) {
        case FieldKind::Switch:
            return {"true or false", "wartością true albo false"};
        case FieldKind::ListPosition:
            return {"an integer from -1 (no item) to " + LastPosition(field),
                    "numerem pozycji listy od 0 do " + LastPosition(field) + " (-1 to żadna)"};
        default:
            return kString;
    }
}

FormJsonError WrongType(std::string_view key, const Expected& expected, const Json& value) {
    return Fault(key, "must be " + expected.english + ", not " + Describe(value),
                 "ma być " + expected.polish + ", nie " + DescribePolish(value));
}

// The code point that starts at `offset` of a valid UTF-8 text.
char32_t CodePointAt(std::string_view utf8, std::size_t offset) {
    char32_t codePoint = 0;
    ReadUtf8(utf8.substr(offset), codePoint);
    return codePoint;
}

// Which character of the text (counted from 1) starts at byte `offset`.
std::size_t CharacterNumber(std::string_view utf8, std::size_t offset) {
    return 1 + Utf8CharacterCount(utf8.substr(0, offset));
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
        return Fault(field.name,
                     value.dump() + " is not a position of its list (-1 for no item, 0 to " +
                         LastPosition(field) + ")",
                     value.dump() + " to nie pozycja tej listy: wpisz numer od 0 do " +
                         LastPosition(field) + " (-1 to żadna)");
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
            // Strings are read as they come (FormReader::string); this is any other value.
            return WrongType(field.name, ExpectedType(field), value);
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
                         "only one of " + GroupMembers(group) + " can be true",
                         "tylko jedno z pól " + GroupMembers(group) +
                             " może mieć true: zostaw true przy jednym");
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

// The text with the stretches that the library does not see (long strings, long white
// space), for telling positions in the whole text.
struct SurveyedText {
    std::string_view json;
    json_text::Survey survey;

    json_text::SeenIterator begin() const { return {json, &survey.hidden, 0}; }
    json_text::SeenIterator end() const { return {json, &survey.hidden, json.size()}; }

    // Where the library stopped, in the whole text; nothing when the library saw all before
    // it, so that its own words hold.
    std::optional<std::string> PositionOf(std::size_t seen) const {
        const std::size_t offset = json_text::OffsetInText(survey.hidden, seen);
        if (offset == seen) {
            return std::nullopt;
        }
        return json_text::PositionOf(json, offset);
    }

    // Where the library stopped, in the whole text, as "wiersz L, kolumna C".
    std::string PolishPositionOf(std::size_t seen) const {
        return json_text::PolishPositionOf(json, json_text::OffsetInText(survey.hidden, seen));
    }
};

// The library's report of a fault at `seen` bytes of what it read, with `key` the last key
// read. The Polish text gives the position but not the library's English detail.
FormJsonError LibraryFault(const nlohmann::detail::exception& error, std::string_view key,
                           const SurveyedText& text, std::size_t seen) {
    // A number beyond every type is no fault of the JSON's form: name the key holding it.
    if (dynamic_cast<const nlohmann::detail::out_of_range*>(&error) != nullptr) {
        const std::string where = key.empty() ? std::string("JSON") : Quoted(key);
        return Fault(where, LibraryMessage(error),
                     "liczba jest za duża (albo za mała), by ją odczytać: wpisz mniejszą");
    }
    return FormJsonError{OneLine("malformed JSON: " + LibraryMessage(error, text.PositionOf(seen))),
                         "błędny JSON (" + text.PolishPositionOf(seen) +
                             "): sprawdź cudzysłowy, przecinki i nawiasy"};
}

// Which line feeds of the form's strings were written as the escape \u000a: those stand for
// a lone LF byte and are kept as they are, while "\n" is a line break and becomes CR LF.
// One mark per line feed of every string (keys too), in the order of the text; the parser
// hands over the strings in that same order.
class LoneLineFeeds {
  public:
    explicit LoneLineFeeds(std::string_view json) {
        // Most forms hold no such escape; then no text needs looking at.
        if (json.find("\\u000a") != std::string_view::npos ||
            json.find("\\u000A") != std::string_view::npos) {
            MarkEscapes(json);
        }
    }

    // Whether the next line feed of the strings is a lone LF; takes it.
    bool TakeNext() { return next_ < marks_.size() && marks_[next_++]; }

    // Passes over the line feeds of a string that is not kept.
    void Skip(std::string_view text) {
        next_ += static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    }

  private:
    void MarkEscapes(std::string_view json) {
        bool inString = false;
        for (std::size_t i = 0; i < json.size(); ++i) {
            const char c = json[i];
            if (!inString) {
                inString = c == '"';
            } else if (c == '"') {
                inString = false;
            } else if (c == '\\' && i + 1 < json.size()) {
                const std::string_view escape = json.substr(i + 1, 5);
                if (escape[0] == 'n') {
                    marks_.push_back(false);
                } else if (escape == "u000a" || escape == "u000A") {
                    marks_.push_back(true);
                }
                ++i;  // the escaped character cannot end the string
            }
        }
    }

    std::vector<bool> marks_;
    std::size_t next_ = 0;
};

// The line feeds of a Windows-1250 text become CR LF where they are line breaks: a lone one,
// unless it is marked as a lone LF byte. Done where the text stands: forms can be large.
void LineBreaksToCrLf(std::string& text, LoneLineFeeds& loneLineFeeds) {
    std::vector<bool> widen;
    std::size_t added = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n') {
            const bool lone = loneLineFeeds.TakeNext();
            widen.push_back(!lone && (i == 0 || text[i - 1] != '\r'));
            added += widen.back() ? 1u : 0u;
        }
    }
    if (added == 0) {
        return;
    }
    std::size_t from = text.size();
    text.resize(text.size() + added);
    std::size_t to = text.size();
    auto mark = widen.rbegin();
    while (from > 0) {
        const char c = text[--from];
        text[--to] = c;
        if (c == '\n' && *mark++) {
            text[--to] = '\r';
        }
    }
}

// The Windows-1250 text for a UTF-8 value of the form, with CR LF between its lines; the
// value is converted where it stands and moved into `out`.
std::optional<FormJsonError> ConvertText(std::string_view key, std::string& utf8,
                                         LoneLineFeeds& loneLineFeeds, std::string& out) {
    if (const auto zero = utf8.find('\0'); zero != std::string::npos) {
        const std::string number = std::to_string(CharacterNumber(utf8, zero));
        return Fault(key,
                     "holds a zero character (character " + number + "), which no text can hold",
                     "zawiera znak zerowy (znak nr " + number +
                         "), którego nie może mieć żaden tekst: usuń go");
    }
    std::size_t badOffset = 0;
    bool converted = Utf8ToCp1250InPlace(utf8, &badOffset);
    if (const FormField* field = FindFormField(key);
        !converted && field != nullptr && field->htmlText) {
        // HTML text holds what the code page lacks as references, which need more room.
        if (auto referenced = Utf8ToCp1250WithReferences(utf8, &badOffset)) {
            utf8 = std::move(*referenced);
            converted = true;
        }
    }
    if (!converted) {
        const std::string character = CodePointName(CodePointAt(utf8, badOffset));
        const std::string number = std::to_string(CharacterNumber(utf8, badOffset));
        return Fault(key,
                     character + " (character " + number + ") cannot be written in Windows-1250",
                     "znak " + character + " (znak nr " + number +
                         ") nie istnieje w Windows-1250, w którym powstaje strona: zamień go "
                         "albo usuń");
    }
    LineBreaksToCrLf(utf8, loneLineFeeds);
    out = std::move(utf8);
    return std::nullopt;
}

// The expected type of the value of a known key, for a fault.
Expected ExpectedTypeOf(std::string_view key) {
    const FormField* field = FindFormField(key);
    return field != nullptr ? ExpectedType(*field) : kString;
}

// Reads the form as the parser meets it, without building a document: an unknown key, a
// key given twice, a value of the wrong type or anything nested is refused at once, so
// neither time nor memory grows with what a form cannot hold. What it reads goes into a
// copy of the form that replaces the original only when the whole text is read.
class FormReader {
  public:
    using Library = nlohmann::json;

    FormReader(const SurveyedText& text, const AuctionForm& form,
               const std::optional<std::string>& sellerId, ExtraKeys* extra)
        : text_(text),
          loneLineFeeds_(text.json),
          next_(form),
          nextSellerId_(sellerId),
          extra_(extra) {}

    std::optional<FormJsonError>& fault() { return fault_; }
    AuctionForm& form() { return next_; }
    std::optional<std::string>& sellerId() { return nextSellerId_; }
    const std::map<SwitchGroup, GroupChoice>& groups() const { return groups_; }

    bool start_object(std::size_t /*elements*/) { return Nested(Json::object()); }
    bool end_object() {
        --depth_;
        return true;
    }
    bool start_array(std::size_t /*elements*/) { return Nested(Json::array()); }
    bool end_array() { return true; }

    bool key(std::string& name) {
        if (!TakeLongString(name)) {
            return false;
        }
        loneLineFeeds_.Skip(name);
        if (!keys_.insert(name).second) {
            return Refuse(Fault(Quoted(name), "given more than once",
                                "klucz podany więcej niż raz: zostaw jeden"));
        }
        if (name != kSellerIdKey && FindFormField(name) == nullptr && !IsExtraKey(name)) {
            return Refuse(FormJsonError{
                "unknown key " + Quoted(name) + " (the keys are the control names and SellerId)",
                OneLine("nieznany klucz " + Quoted(name) + ": klucze to nazwy pól (Edit2, Memo1…)" +
                        ExtraKeyNames() + " i SellerId")});
        }
        key_ = std::move(name);
        return true;
    }

    bool string(std::string& value) {
        if (!TakeLongString(value)) {
            return false;
        }
        if (depth_ == 0) {
            return Refuse(NotAnObject(Json(std::string())));
        }
        if (IsExtraKey(key_)) {
            if (value.find('\0') != std::string::npos) {
                return Refuse(Fault(key_, "holds a zero character, which no text can hold",
                                    "zawiera znak zerowy, którego nie może mieć żaden tekst: "
                                    "usuń go"));
            }
            extra_->values.insert_or_assign(key_, std::move(value));
            return true;
        }
        const FormField* field = FindFormField(key_);
        std::string* target = key_ == kSellerIdKey                          ? &sellerIdText_
                              : field != nullptr && IsTextKind(field->kind) ? &(next_.*field->text)
                                                                            : nullptr;
        if (target == nullptr) {
            return Scalar(Json(std::string()));
        }
        if (auto error = ConvertText(key_, value, loneLineFeeds_, *target)) {
            return Refuse(std::move(*error));
        }
        if (target == &sellerIdText_) {
            nextSellerId_ = std::move(sellerIdText_);
        }
        return true;
    }
    bool null() { return Scalar(Json()); }
    bool boolean(bool value) { return Scalar(Json(value)); }
    bool number_integer(std::int64_t value) { return Scalar(Json(value)); }
    bool number_unsigned(std::uint64_t value) { return Scalar(Json(value)); }
    bool number_float(double value, const std::string& /*text*/) { return Scalar(Json(value)); }
    bool binary(Library::binary_t& /*value*/) { return Scalar(Json::binary({})); }

    bool parse_error(std::size_t position, const std::string& /*lastToken*/,
                     const nlohmann::detail::exception& error) {
        return Refuse(LibraryFault(error, key_, text_, position));
    }

    // Whether the text was refused for not being an object at all.
    bool notAnObject() const { return notAnObject_; }

  private:
    bool IsExtraKey(std::string_view name) const {
        return extra_ != nullptr &&
               std::find(extra_->names.begin(), extra_->names.end(), name) != extra_->names.end();
    }

    // The keys of `extra`, as ", „plik”, „oferta”" after the names of the inputs.
    std::string ExtraKeyNames() const {
        std::string names;
        for (std::size_t i = 0; extra_ != nullptr && i < extra_->names.size(); ++i) {
            names += ", „" + std::string(extra_->names[i]) + "”";
        }
        return names;
    }

    // The library gave a long string as ""; its value is decoded here from the text.
    bool TakeLongString(std::string& text) {
        const std::size_t number = strings_++;
        const auto& longStrings = text_.survey.longStrings;
        if (nextLong_ == longStrings.size() || longStrings[nextLong_].number != number) {
            return true;
        }
        const json_text::Stretch content = longStrings[nextLong_++].content;
        auto decoded =
            json_text::DecodeString(text_.json.substr(content.begin, content.end - content.begin));
        if (decoded.index() == 1) {
            return Refuse(FormJsonError{
                "malformed JSON: invalid string at " +
                    json_text::PositionOf(text_.json, content.begin) + ": " + std::get<1>(decoded),
                "błędny JSON (" + json_text::PolishPositionOf(text_.json, content.begin) +
                    "): tekst w cudzysłowie ma znak sterujący, błędne \\u albo bajty spoza "
                    "UTF-8"});
        }
        text = std::move(std::get<0>(decoded));
        return true;
    }

    bool Refuse(FormJsonError error) {
        if (!fault_) {
            fault_ = std::move(error);
        }
        return false;
    }

    FormJsonError NotAnObject(const Json& value) {
        notAnObject_ = true;
        return FormJsonError{
            "the JSON form must be an object of control names, not " + Describe(value),
            "formularz JSON ma być obiektem {…} z nazwami pól, nie " + DescribePolish(value)};
    }

    // Only the form itself is an object; no value may nest.
    bool Nested(const Json& empty) {
        if (depth_ == 0 && empty.is_object()) {
            depth_ = 1;
            return true;
        }
        if (depth_ == 0) {
            return Refuse(NotAnObject(empty));
        }
        return Refuse(WrongType(key_, ExpectedTypeOf(key_), empty));
    }

    bool Scalar(const Json& value) {
        if (depth_ == 0) {
            return Refuse(NotAnObject(value));
        }
        if (key_ == kSellerIdKey || IsExtraKey(key_)) {
            return Refuse(WrongType(key_, kString, value));
        }
        if (auto error = ApplyField(*FindFormField(key_), value, next_, groups_)) {
            return Refuse(std::move(*error));
        }
        return true;
    }

    const SurveyedText& text_;
    std::size_t strings_ = 0;
    std::size_t nextLong_ = 0;
    LoneLineFeeds loneLineFeeds_;
    AuctionForm next_;
    std::optional<std::string> nextSellerId_;
    std::string sellerIdText_;
    std::map<SwitchGroup, GroupChoice> groups_;
    std::unordered_set<std::string> keys_;
    std::string key_;
    ExtraKeys* extra_;
    int depth_ = 0;
    bool notAnObject_ = false;
    std::optional<FormJsonError> fault_;
};

// Reads the text for its syntax only, up to a million values and brackets: a text that is
// no object is refused either way, and past that it is told so without a longer look (the
// library would also keep a long run of brackets as one token).
class SyntaxReader : public nlohmann::json_sax<nlohmann::json> {
  public:
    explicit SyntaxReader(const SurveyedText& text) : text_(text) {}
    bool null() override { return More(); }
    bool boolean(bool /*value*/) override { return More(); }
    bool number_integer(number_integer_t /*value*/) override { return More(); }
    bool number_unsigned(number_unsigned_t /*value*/) override { return More(); }
    bool number_float(number_float_t /*value*/, const string_t& /*text*/) override {
        return More();
    }
    bool string(string_t& /*value*/) override { return More(); }
    bool binary(binary_t& /*value*/) override { return More(); }
    bool start_object(std::size_t /*elements*/) override { return More(); }
    bool key(string_t& /*value*/) override { return More(); }
    bool end_object() override { return More(); }
    bool start_array(std::size_t /*elements*/) override { return More(); }
    bool end_array() override { return More(); }
    bool parse_error(std::size_t position, const std::string& /*lastToken*/,
                     const nlohmann::detail::exception& error) override {
        fault = LibraryFault(error, "", text_, position);
        return false;
    }
    std::optional<FormJsonError> fault;

  private:
    static constexpr std::size_t kMostEvents = std::size_t{1} << 20;
    bool More() { return ++events_ <= kMostEvents; }

    const SurveyedText& text_;
    std::size_t events_ = 0;
};

// A text that is no form at all is first told what is wrong with its syntax, if anything.
std::optional<FormJsonError> SyntaxFault(const SurveyedText& text) {
    SyntaxReader reader(text);
    nlohmann::json::sax_parse(text.begin(), text.end(), &reader);
    return reader.fault;
}

// The library takes a zero byte for the end of the text; anything after the form must be
// white space, so a zero byte there is refused rather than ending the form early.
std::optional<FormJsonError> ZeroByteAfterTheForm(std::string_view json) {
    const auto zero = json.find('\0');
    if (zero == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string byte = std::to_string(zero + 1);
    return FormJsonError{"malformed JSON: a zero byte at byte " + byte +
                             " after the object; only white space may follow it",
                         "błędny JSON: bajt zerowy (bajt nr " + byte +
                             ") po obiekcie; po nim mogą być tylko odstępy"};
}

}  // namespace

namespace {

std::optional<FormJsonError> ReadForm(std::string_view json, AuctionForm& form,
                                      std::optional<std::string>& sellerId, ExtraKeys* extra) {
    const SurveyedText text{json, json_text::SurveyText(json)};
    if (text.survey.fault) {
        return FormJsonError{*text.survey.fault, text.survey.polishFault};
    }
    FormReader reader(text, form, sellerId, extra);
    const bool read = nlohmann::json::sax_parse(text.begin(), text.end(), &reader);
    if (!read) {
        if (reader.notAnObject()) {
            if (auto error = SyntaxFault(text)) {
                return error;
            }
        }
        return reader.fault() ? *reader.fault()
                              : FormJsonError{"malformed JSON: the form could not be read",
                                              "błędny JSON: nie da się odczytać formularza"};
    }
    if (auto error = ZeroByteAfterTheForm(json)) {
        return error;
    }
    if (auto error = ApplyGroups(reader.groups(), reader.form())) {
        return error;
    }
    form = std::move(reader.form());
    sellerId = std::move(reader.sellerId());
    return std::nullopt;
}

}  // namespace

std::optional<FormJsonError> ApplyFormJson(std::string_view json, AuctionForm& form,
                                           std::optional<std::string>& sellerId) {
    return ReadForm(json, form, sellerId, nullptr);
}

std::optional<FormJsonError> ApplyFormJson(std::string_view json, AuctionForm& form,
                                           std::optional<std::string>& sellerId, ExtraKeys& extra) {
    extra.values.clear();
    return ReadForm(json, form, sellerId, &extra);
}

// Stands for a lone LF byte while the form is written: U+E000 lies outside the code page,
// so no text converted from it holds one.
constexpr std::string_view kLoneLineFeedStandIn = "\xEE\x80\x80";

// The UTF-8 of a text with its lone LF bytes (those without a CR before them) replaced by
// the stand-in, which the writing then turns into the escape \u000a.
std::string MarkLoneLineFeeds(std::string text) {
    std::string marked;
    marked.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            marked.append(kLoneLineFeedStandIn);
        } else {
            marked.push_back(text[i]);
        }
    }
    return marked;
}

std::string FormToJson(const AuctionForm& form, std::span<const FormField* const> fields) {
    Json json = Json::object();
    bool loneLineFeeds = false;
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
            case FieldKind::ListText: {
                std::string utf8 = Cp1250ToUtf8(form.*field->text);
                if (utf8.find('\n') != std::string::npos) {
                    utf8 = MarkLoneLineFeeds(std::move(utf8));
                    loneLineFeeds =
                        loneLineFeeds || utf8.find(kLoneLineFeedStandIn) != std::string::npos;
                }
                json[name] = std::move(utf8);
                break;
            }
        }
    }
    std::string text = json.dump(4);
    if (loneLineFeeds) {
        // A lone LF byte is written as \u000a, which the reader keeps as it is, while "\n"
        // stands for a line break (CR LF): so a form written here reads back to the same bytes.
        std::string escaped;
        escaped.reserve(text.size());
        for (std::size_t at = 0;;) {
            const std::size_t found = text.find(kLoneLineFeedStandIn, at);
            escaped.append(text, at, found - at);
            if (found == std::string::npos) {
                break;
            }
            escaped.append("\\u000a");
            at = found + kLoneLineFeedStandIn.size();
        }
        text = std::move(escaped);
    }
    return text;
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

}  // namespace licytek
