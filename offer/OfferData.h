// What a new offer needs beyond the classic form: its category, catalogue product, parameters,
// price, the seller's terms and product safety data. It lives in a UTF-8 JSON object beside
// the project (zapis.ltk: zapis.oferta.json), and its keys are also a spreadsheet's columns,
// one "parametr: NAME" column for each parameter. Every key is optional; reading checks every
// value that needs no look-up at Allegro and collects every bad value, each named by its key.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "offer/OfferValues.h"

namespace licytek::offer {

// Every key, in the order the file writes them.
enum class OfferKey {
    Category,             // kategoria
    Ean,                  // ean
    Product,              // produkt
    Condition,            // stan
    Parameters,           // parametry
    Format,               // format
    Price,                // cena
    StartingPrice,        // cena wywoławcza
    MinimalPrice,         // cena minimalna
    Quantity,             // liczba sztuk
    Duration,             // czas trwania
    Republish,            // wznawiaj
    ShippingRates,        // cennik dostawy
    ReturnPolicy,         // zwroty
    ImpliedWarranty,      // reklamacje
    Warranty,             // gwarancja
    HandlingTime,         // czas wysyłki
    Invoice,              // faktura
    ResponsibleProducer,  // producent
    ResponsiblePerson,    // osoba odpowiedzialna
    Safety,               // bezpieczeństwo
    MarketedBeforeGpsr,   // przed 13.12.2024
    Signature,            // sygnatura
    Pictures,             // zdjęcia
};

// The key's name, as the file and the spreadsheet write it ("cena wywoławcza").
std::string_view KeyName(OfferKey key);
// Every key's name in order.
std::span<const std::string_view> OfferKeyNames();

// A spreadsheet gives each parameter a column of its own: "parametr: Kolor".
inline constexpr std::string_view kParameterColumnPrefix = "parametr:";
// The key that names a parameter in a message and in a spreadsheet: "parametr: Kolor".
std::string ParameterKey(std::string_view name);

// Whether a spreadsheet's column belongs to the offer data: one of the keys, or a parameter's
// column ("parametr: NAME"), in any letter case, blanks around ignored. The batch passes
// these columns to ReadOfferCells and leaves the others to the form.
bool IsOfferColumn(std::string_view header);

// A bad value. The key names it as the seller wrote it ("cena", "parametr: Kolor"), or is
// empty when the whole file is wrong.
struct OfferError {
    std::string key;
    std::string message;  // Polish, UTF-8, without the key

    bool operator==(const OfferError&) const = default;
};

// "cena: ...", or "Nagłówek aukcji: ..." for an input of the form, as the seller reads it.
std::string ErrorText(const OfferError& error);

// A parameter's value: one or more values ("czerwony"; ["S", "M"]), or a range from and to.
struct ParameterValue {
    std::string name;  // as the seller wrote it
    std::vector<std::string> values;
    bool isRange = false;
    std::string from;  // a range's ends, as written
    std::string to;

    bool operator==(const ParameterValue&) const = default;
};

// The offer data, read and checked. Texts are UTF-8 without blanks at the ends; an empty
// text or an empty optional means the key was not given.
struct OfferData {
    std::string category;   // an Allegro category id (digits)
    std::string ean;        // a GTIN with a right check digit
    std::string product;    // a catalogue product's UUID, lower case; wins over `ean`
    std::string condition;  // "stan": a label of the category's parameter "Stan"
    std::vector<ParameterValue> parameters;
    std::optional<SellingFormat> format;    // Buy Now when not given
    std::string price;                      // "1299.00"
    std::string startingPrice;              // an auction's
    std::string minimalPrice;               // an auction's
    std::optional<std::uint32_t> quantity;  // 1 when not given
    std::optional<Duration> duration;       // see EffectiveDuration
    std::optional<bool> republish;
    std::string shippingRates;  // the name (or id) of one of the seller's own
    std::string returnPolicy;
    std::string impliedWarranty;
    std::string warranty;
    std::optional<HandlingTime> handlingTime;
    std::optional<Invoice> invoice;
    std::string responsibleProducer;  // the name (or id) of one of the seller's own
    std::string responsiblePerson;
    std::string safetyInformation;  // plain text, 1 to 5000 characters
    std::optional<bool> marketedBeforeGpsr;
    std::string signature;              // the seller's own; see OfferSignature
    std::vector<std::string> pictures;  // web addresses or files, after the description's

    bool operator==(const OfferData&) const = default;
};

SellingFormat EffectiveFormat(const OfferData& data);
// Until sold out for Buy Now and 7 days for an auction, unless given.
Duration EffectiveDuration(const OfferData& data);
std::uint32_t EffectiveQuantity(const OfferData& data);

// The data read, with every bad value found; the good values are in `data` even when others
// are bad.
struct OfferReading {
    OfferData data;
    std::vector<OfferError> errors;

    bool ok() const { return errors.empty(); }
};

// The offer data from the UTF-8 text of NAME.oferta.json: one JSON object. A value may be a
// text; a number where one is natural (prices, "liczba sztuk", "kategoria"); true or false
// for "wznawiaj" and "przed 13.12.2024"; a list of texts for "zdjęcia"; and "parametry" an
// object of parameter name to a text, a list of texts or {"od": ..., "do": ...}. A key that is
// not one of the offer data's is an error naming it.
OfferReading ReadOfferJson(std::string_view utf8Json);

// One cell of a spreadsheet's row: its column's header and its text, both UTF-8.
struct OfferCell {
    std::string header;
    std::string text;
};

// The offer data from a row's cells of the offer data's columns (see IsOfferColumn). An empty
// cell gives nothing. A parameter's cell holds one value, several values one a line, or a
// range written "od 10 do 20".
OfferReading ReadOfferCells(std::span<const OfferCell> cells);

// What activating the offer needs beyond a draft: an invoice kind, since Allegro's default
// (VAT) is wrong for a seller who does not charge VAT.
std::vector<OfferError> CheckForActivation(const OfferData& data);

// The data as the UTF-8 JSON object of NAME.oferta.json, keys in their order, only those that
// are given; ReadOfferJson reads it back to the same data.
std::string OfferToJson(const OfferData& data);

// The offer data's file beside a project: "zapis.ltk" gives "zapis.oferta.json",
// "dir/Zapis.LTK" gives "dir/Zapis.oferta.json"; a name without ".ltk" gets the ending added.
std::string OfferFileName(std::string_view projectPath);

}  // namespace licytek::offer
