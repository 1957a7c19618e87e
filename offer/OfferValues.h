// The values an offer's data holds, as a seller writes them and as Allegro takes them: prices,
// numbers with a Polish decimal comma, the catalogue's identifiers (GTIN, UUID) and the fixed
// lists of durations, handling times and invoices.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace licytek::offer {

// "1 299,00", "1299.99", "1299" and "1299 zł" as "1299.00": digits in groups of three apart
// by a blank (a space or a no-break space) or without blanks, then a comma or a point and one
// or two digits. Nothing when the text is no such price ("1.299,00" is refused: the point
// would be read two ways).
std::optional<std::string> NormalizedPrice(std::string_view text);

// A number as Allegro takes a parameter's value: "1,5" and "1.5" as "1.5", "1 000" as "1000",
// an optional minus sign kept. Nothing when the text is no number.
std::optional<std::string> NormalizedNumber(std::string_view text);

// Whether the text is a GTIN (EAN-8, UPC-A, EAN-13, GTIN-14): 8, 12, 13 or 14 digits whose
// last digit is the check digit of the others.
bool IsValidGtin(std::string_view digits);
// The check digit that the digits before the last one call for.
char GtinCheckDigit(std::string_view digits);

// Whether the text is a UUID: 8-4-4-4-12 hexadecimal digits, in either letter case.
bool IsUuid(std::string_view text);

// The text without blanks and tabs (and line breaks) at either end.
std::string_view TrimBlanks(std::string_view text);

// The text as two labels are compared: folded to lower case, without blanks at the ends and
// with every run of blanks inside as one space.
std::string LabelKey(std::string_view text);

// The value quoted for a message: „value”, on one line and cut short after 40 characters;
// control characters and bidirectional overrides become spaces (a value may come from Allegro).
std::string QuotedValue(std::string_view utf8);

// The text as a message shows it: on one line, control characters and bidirectional overrides
// as spaces, a byte that is not UTF-8 as U+FFFD, cut short after `maxCharacters` with "…".
std::string ShownText(std::string_view utf8, std::size_t maxCharacters);

// „a”, „b”, „c” — a list of names for a message, cut after `limit` with the number left out
// ("i 2 inne", "i 5 innych").
std::string QuotedList(std::span<const std::string> names, std::size_t limit = 30);

// ---- The fixed lists ------------------------------------------------------------------------

enum class SellingFormat { BuyNow, Auction };

enum class Duration {
    UntilSoldOut,
    OneDay,
    ThreeDays,
    FiveDays,
    SevenDays,
    TenDays,
    TwentyDays,
    ThirtyDays,
};

enum class HandlingTime {
    Immediately,
    Hours24,
    Days2,
    Days3,
    Days4,
    Days5,
    Days7,
    Days10,
    Days14,
    Days21,
    Days30,
    Days60,
};

enum class Invoice { Vat, VatMargin, WithoutVat, NoInvoice };

// The seller's words for each value ("kup teraz", "7 dni", "VAT marża"), matched ignoring
// letter case and blanks; the words of the value for writing it back.
std::optional<SellingFormat> SellingFormatFromLabel(std::string_view label);
std::string_view SellingFormatLabel(SellingFormat format);
std::optional<Duration> DurationFromLabel(std::string_view label);
std::string_view DurationLabel(Duration duration);
std::optional<HandlingTime> HandlingTimeFromLabel(std::string_view label);
std::string_view HandlingTimeLabel(HandlingTime time);
std::optional<Invoice> InvoiceFromLabel(std::string_view label);
std::string_view InvoiceLabel(Invoice invoice);

// What Allegro takes: an ISO 8601 duration ("P7D"; empty for until sold out), a handling time
// ("PT0S", "PT24H", "P2D" ...), an invoice ("VAT", "VAT_MARGIN", "WITHOUT_VAT", "NO_INVOICE"),
// a selling format ("BUY_NOW", "AUCTION").
std::string_view DurationIso(Duration duration);
std::string_view HandlingTimeIso(HandlingTime time);
std::string_view InvoiceCode(Invoice invoice);
std::string_view SellingFormatCode(SellingFormat format);

// Whether a format allows a duration: an auction 1, 3, 5, 7 or 10 days; Buy Now 3 to 30 days
// or until sold out.
bool FormatAllows(SellingFormat format, Duration duration);
// The labels of the durations a format allows, in order.
std::string AllowedDurations(SellingFormat format);
// The labels of every handling time and invoice, in order, for messages.
std::string AllowedHandlingTimes();
std::string AllowedInvoices();

// "tak" or "nie" (any letter case), or nothing.
std::optional<bool> YesNo(std::string_view text);

}  // namespace licytek::offer
