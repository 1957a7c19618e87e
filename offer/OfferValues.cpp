#include "offer/OfferValues.h"

#include <array>

#include "model/CaseFold.h"
#include "model/PolishNumbers.h"
#include "model/TerminalText.h"
#include "model/Utf8.h"

namespace licytek::offer {
namespace {

constexpr std::string_view kNoBreakSpace = "\xC2\xA0";
constexpr std::string_view kNarrowNoBreakSpace = "\xE2\x80\xAF";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The length of the blank that separates groups of digits at the start of `text`: a space, a
// no-break space or a narrow no-break space (spreadsheets write both of the latter); 0 else.
std::size_t GroupBlankLength(std::string_view text) {
    if (text.starts_with(' ')) {
        return 1;
    }
    if (text.starts_with(kNoBreakSpace)) {
        return kNoBreakSpace.size();
    }
    return text.starts_with(kNarrowNoBreakSpace) ? kNarrowNoBreakSpace.size() : 0;
}

// The digits of a whole number at the start of `text`, written without blanks or in groups
// of three apart by single blanks ("1 299"); `text` moves past them. Empty when there are
// none or the groups are wrong.
std::string ReadWholeNumber(std::string_view& text) {
    std::string digits;
    std::size_t at = 0;
    while (at < text.size() && IsDigit(text[at])) {
        digits += text[at++];
    }
    if (digits.empty()) {
        return {};
    }
    bool grouped = false;
    while (const std::size_t blank = GroupBlankLength(text.substr(at))) {
        const std::string_view group = text.substr(at + blank, 3);
        const bool fullGroup = group.size() == 3 && IsDigit(group[0]) && IsDigit(group[1]) &&
                               IsDigit(group[2]) &&
                               (at + blank + 3 == text.size() || !IsDigit(text[at + blank + 3]));
        if (!fullGroup || (!grouped && digits.size() > 3)) {
            return {};
        }
        grouped = true;
        digits += group;
        at += blank + 3;
    }
    text.remove_prefix(at);
    return digits;
}

std::string WithoutLeadingZeros(std::string digits) {
    const std::size_t first = digits.find_first_not_of('0');
    digits.erase(0, first == std::string::npos ? digits.size() - 1 : first);
    return digits;
}

// The text without blanks of any kind at its end.
std::string_view WithoutTrailingBlanks(std::string_view text) {
    for (;;) {
        if (text.ends_with(' ')) {
            text.remove_suffix(1);
        } else if (text.ends_with(kNoBreakSpace)) {
            text.remove_suffix(kNoBreakSpace.size());
        } else if (text.ends_with(kNarrowNoBreakSpace)) {
            text.remove_suffix(kNarrowNoBreakSpace.size());
        } else {
            return text;
        }
    }
}

// The text without a currency after the number ("zł", "PLN") and the blanks before it.
std::string_view WithoutCurrency(std::string_view text) {
    for (const std::string_view currency : {std::string_view("zł"), std::string_view("pln")}) {
        if (text.size() >= currency.size() &&
            FoldCase(text.substr(text.size() - currency.size())) == currency) {
            return WithoutTrailingBlanks(text.substr(0, text.size() - currency.size()));
        }
    }
    return text;
}

template <typename Value>
struct Label {
    Value value;
    std::string_view label;
    std::string_view code;
};

constexpr std::array<Label<SellingFormat>, 2> kFormats = {{
    {SellingFormat::BuyNow, "kup teraz", "BUY_NOW"},
    {SellingFormat::Auction, "licytacja", "AUCTION"},
}};

constexpr std::array<Label<Duration>, 8> kDurations = {{
    {Duration::UntilSoldOut, "do wyczerpania", ""},
    {Duration::OneDay, "1 dzień", "P1D"},
    {Duration::ThreeDays, "3 dni", "P3D"},
    {Duration::FiveDays, "5 dni", "P5D"},
    {Duration::SevenDays, "7 dni", "P7D"},
    {Duration::TenDays, "10 dni", "P10D"},
    {Duration::TwentyDays, "20 dni", "P20D"},
    {Duration::ThirtyDays, "30 dni", "P30D"},
}};

// Allegro takes these values only; 24 hours is written in hours, the rest in days.
constexpr std::array<Label<HandlingTime>, 12> kHandlingTimes = {{
    {HandlingTime::Immediately, "natychmiast", "PT0S"},
    {HandlingTime::Hours24, "24 godziny", "PT24H"},
    {HandlingTime::Days2, "2 dni", "P2D"},
    {HandlingTime::Days3, "3 dni", "P3D"},
    {HandlingTime::Days4, "4 dni", "P4D"},
    {HandlingTime::Days5, "5 dni", "P5D"},
    {HandlingTime::Days7, "7 dni", "P7D"},
    {HandlingTime::Days10, "10 dni", "P10D"},
    {HandlingTime::Days14, "14 dni", "P14D"},
    {HandlingTime::Days21, "21 dni", "P21D"},
    {HandlingTime::Days30, "30 dni", "P30D"},
    {HandlingTime::Days60, "60 dni", "P60D"},
}};

constexpr std::array<Label<Invoice>, 4> kInvoices = {{
    {Invoice::Vat, "VAT", "VAT"},
    {Invoice::VatMargin, "VAT marża", "VAT_MARGIN"},
    {Invoice::WithoutVat, "bez VAT", "WITHOUT_VAT"},
    {Invoice::NoInvoice, "brak", "NO_INVOICE"},
}};

template <typename Value, std::size_t N>
std::optional<Value> FromLabel(const std::array<Label<Value>, N>& table, std::string_view text) {
    const std::string key = LabelKey(text);
    for (const auto& entry : table) {
        if (LabelKey(entry.label) == key) {
            return entry.value;
        }
    }
    return std::nullopt;
}

template <typename Value, std::size_t N>
const Label<Value>& EntryOf(const std::array<Label<Value>, N>& table, Value value) {
    for (const auto& entry : table) {
        if (entry.value == value) {
            return entry;
        }
    }
    return table.front();
}

template <typename Value, std::size_t N>
std::string QuotedLabels(const std::array<Label<Value>, N>& table, auto&& keep) {
    std::string list;
    for (const auto& entry : table) {
        if (keep(entry.value)) {
            list += list.empty() ? "„" : ", „";
            list.append(entry.label).append("”");
        }
    }
    return list;
}

}  // namespace

std::optional<std::string> NormalizedPrice(std::string_view text) {
    text = WithoutCurrency(TrimBlanks(text));
    std::string whole = ReadWholeNumber(text);
    if (whole.empty()) {
        return std::nullopt;
    }
    std::string cents = "00";
    if (!text.empty()) {
        if (text[0] != ',' && text[0] != '.') {
            return std::nullopt;
        }
        text.remove_prefix(1);
        if (text.empty() || text.size() > 2 || !IsDigit(text[0]) ||
            (text.size() == 2 && !IsDigit(text[1]))) {
            return std::nullopt;
        }
        cents = std::string(text) + (text.size() == 1 ? "0" : "");
    }
    return WithoutLeadingZeros(std::move(whole)) + "." + cents;
}

std::optional<std::string> NormalizedNumber(std::string_view text) {
    text = TrimBlanks(text);
    std::string number;
    if (text.starts_with('-')) {
        number = "-";
        text.remove_prefix(1);
    }
    const std::string whole = ReadWholeNumber(text);
    if (whole.empty()) {
        return std::nullopt;
    }
    number += whole;
    if (!text.empty()) {
        if (text[0] != ',' && text[0] != '.') {
            return std::nullopt;
        }
        text.remove_prefix(1);
        if (text.empty()) {
            return std::nullopt;
        }
        for (const char c : text) {
            if (!IsDigit(c)) {
                return std::nullopt;
            }
        }
        number.append(".").append(text);
    }
    return number;
}

char GtinCheckDigit(std::string_view digits) {
    // From the right, the digits before the check digit weigh 3, 1, 3, 1 ...
    unsigned sum = 0;
    unsigned weight = 3;
    for (std::size_t i = digits.size() - 1; i-- > 0;) {
        sum += static_cast<unsigned>(digits[i] - '0') * weight;
        weight = 4 - weight;
    }
    return static_cast<char>('0' + (10 - sum % 10) % 10);
}

bool IsValidGtin(std::string_view digits) {
    const std::size_t n = digits.size();
    if (n != 8 && n != 12 && n != 13 && n != 14) {
        return false;
    }
    for (const char c : digits) {
        if (!IsDigit(c)) {
            return false;
        }
    }
    return digits.back() == GtinCheckDigit(digits);
}

bool IsUuid(std::string_view text) {
    if (text.size() != 36) {
        return false;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != '-') {
                return false;
            }
        } else if (!IsDigit(c) && !(c >= 'a' && c <= 'f') && !(c >= 'A' && c <= 'F')) {
            return false;
        }
    }
    return true;
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string LabelKey(std::string_view text) {
    std::string key;
    bool gap = false;
    for (const char c : TrimBlanks(text)) {
        if (IsBlank(c)) {
            gap = true;
            continue;
        }
        if (gap) {
            key += ' ';
            gap = false;
        }
        key += c;
    }
    return FoldCase(key);
}

std::string ShownText(std::string_view utf8, std::size_t maxCharacters) {
    const std::string_view kept = Utf8Prefix(utf8, maxCharacters);
    std::string shown;
    char32_t c = 0;
    for (std::size_t at = 0; at < kept.size();) {
        const std::size_t length = ReadUtf8(kept.substr(at), c);
        if (length == 0) {
            shown += "\xEF\xBF\xBD";  // U+FFFD for a byte that is not UTF-8
            ++at;
            continue;
        }
        // One line, and nothing that steers a terminal or turns text around.
        shown += IsInvisibleControl(c) ? std::string_view(" ") : kept.substr(at, length);
        at += length;
    }
    return kept.size() < utf8.size() ? shown + "…" : shown;
}

std::string QuotedValue(std::string_view utf8) {
    constexpr std::size_t kShown = 40;
    return "„" + ShownText(utf8, kShown) + "”";
}

std::string QuotedList(std::span<const std::string> names, std::size_t limit) {
    // One name more is shown rather than left out: "i 1 inny" would need the names' gender.
    const std::size_t shown = names.size() == limit + 1 ? names.size() : limit;
    std::string list;
    for (std::size_t i = 0; i < names.size() && i < shown; ++i) {
        list += i == 0 ? "" : ", ";
        list += QuotedValue(names[i]);
    }
    if (names.size() > shown) {
        list += " i " + CountedNoun(names.size() - shown, "inny", "inne", "innych");
    }
    return list;
}

std::optional<SellingFormat> SellingFormatFromLabel(std::string_view label) {
    return FromLabel(kFormats, label);
}
std::string_view SellingFormatLabel(SellingFormat format) {
    return EntryOf(kFormats, format).label;
}
std::optional<Duration> DurationFromLabel(std::string_view label) {
    return FromLabel(kDurations, label);
}
std::string_view DurationLabel(Duration duration) {
    return EntryOf(kDurations, duration).label;
}
std::optional<HandlingTime> HandlingTimeFromLabel(std::string_view label) {
    return FromLabel(kHandlingTimes, label);
}
std::string_view HandlingTimeLabel(HandlingTime time) {
    return EntryOf(kHandlingTimes, time).label;
}
std::optional<Invoice> InvoiceFromLabel(std::string_view label) {
    return FromLabel(kInvoices, label);
}
std::string_view InvoiceLabel(Invoice invoice) {
    return EntryOf(kInvoices, invoice).label;
}

std::string_view DurationIso(Duration duration) {
    return EntryOf(kDurations, duration).code;
}
std::string_view HandlingTimeIso(HandlingTime time) {
    return EntryOf(kHandlingTimes, time).code;
}
std::string_view InvoiceCode(Invoice invoice) {
    return EntryOf(kInvoices, invoice).code;
}
std::string_view SellingFormatCode(SellingFormat format) {
    return EntryOf(kFormats, format).code;
}

bool FormatAllows(SellingFormat format, Duration duration) {
    switch (duration) {
        case Duration::UntilSoldOut:
        case Duration::TwentyDays:
        case Duration::ThirtyDays:
            return format == SellingFormat::BuyNow;
        case Duration::OneDay:
            return format == SellingFormat::Auction;
        default:
            return true;
    }
}

std::string AllowedDurations(SellingFormat format) {
    return QuotedLabels(kDurations, [format](Duration d) { return FormatAllows(format, d); });
}

std::string AllowedHandlingTimes() {
    return QuotedLabels(kHandlingTimes, [](HandlingTime) { return true; });
}

std::string AllowedInvoices() {
    return QuotedLabels(kInvoices, [](Invoice) { return true; });
}

std::optional<bool> YesNo(std::string_view text) {
    const std::string key = LabelKey(text);
    if (key == "tak") {
        return true;
    }
    if (key == "nie") {
        return false;
    }
    return std::nullopt;
}

}  // namespace licytek::offer
