#include "offer/OfferData.h"

#include <array>
#include <nlohmann/json.hpp>
#include <set>
#include <utility>

#include "model/CaseFold.h"
#include "model/FormFields.h"
#include "model/PolishNumbers.h"
#include "model/Utf8.h"

namespace licytek::offer {
namespace {

// Ordered, so that parameters keep the order the seller wrote them in.
using json = nlohmann::ordered_json;

constexpr std::array<std::string_view, 24> kKeyNames = {
    "kategoria",      "ean",
    "produkt",        "stan",
    "parametry",      "format",
    "cena",           "cena wywoławcza",
    "cena minimalna", "liczba sztuk",
    "czas trwania",   "wznawiaj",
    "cennik dostawy", "zwroty",
    "reklamacje",     "gwarancja",
    "czas wysyłki",   "faktura",
    "producent",      "osoba odpowiedzialna",
    "bezpieczeństwo", "przed 13.12.2024",
    "sygnatura",      "zdjęcia",
};

constexpr std::size_t kMaxSafetyCharacters = 5000;
constexpr std::size_t kMaxSignatureCharacters = 100;  // Allegro's limit of external.id
constexpr std::size_t kMaxPictures = 16;              // Allegro's limit of a gallery
constexpr std::size_t kMaxCategoryDigits = 20;
constexpr std::size_t kMaxQuantityDigits = 9;  // fits 32 bits; Allegro's own limit is lower

std::optional<OfferKey> KeyFromName(std::string_view name) {
    const std::string wanted = LabelKey(name);
    for (std::size_t i = 0; i < kKeyNames.size(); ++i) {
        if (LabelKey(kKeyNames[i]) == wanted) {
            return static_cast<OfferKey>(i);
        }
    }
    return std::nullopt;
}

std::string Characters(std::size_t count) {
    return CountedNoun(count, "znak", "znaki", "znaków");
}

bool AllDigits(std::string_view text) {
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return !text.empty();
}

// Whether the text holds a control character; `lineBreaks` allows line breaks and tabs.
bool HasControl(std::string_view text, bool lineBreaks) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        const bool allowed = lineBreaks && (c == '\n' || c == '\r' || c == '\t');
        if ((byte < 0x20 || byte == 0x7F) && !allowed) {
            return true;
        }
    }
    return false;
}

// Whether the text holds something a browser would take for markup: "<" before a letter,
// "/", "!" or "?".
bool HasMarkup(std::string_view text) {
    for (std::size_t at = text.find('<'); at != std::string_view::npos;
         at = text.find('<', at + 1)) {
        const char next = at + 1 < text.size() ? text[at + 1] : ' ';
        if ((next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') || next == '/' ||
            next == '!' || next == '?') {
            return true;
        }
    }
    return false;
}

// Splits the text at blanks and line breaks.
std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!word.empty()) {
                words.push_back(std::move(word));
                word.clear();
            }
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(std::move(word));
    }
    return words;
}

// The text's lines, each without blanks at the ends; empty lines left out.
std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = TrimBlanks(text.substr(0, end));
        if (!line.empty()) {
            lines.emplace_back(line);
        }
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

// A picture's source: a web address (http, https), a file:// address or a path.
bool IsPictureSource(std::string_view source) {
    const std::size_t scheme = source.find("://");
    if (scheme == std::string_view::npos) {
        return true;
    }
    const std::string name = FoldCase(source.substr(0, scheme));
    return name == "http" || name == "https" || name == "file";
}

// Gathers the values of one reading, key by key, with every error.
class Reader {
  public:
    void Apply(OfferKey key, std::string_view raw);
    void ApplyPictures(const std::vector<std::string>& sources);
    void AddParameter(ParameterValue value);
    void Fail(OfferKey key, std::string message) {
        failed_.insert(key);
        Fail(std::string(KeyName(key)), std::move(message));
    }
    void Fail(std::string keyName, std::string message) {
        reading_.errors.push_back({std::move(keyName), std::move(message)});
    }
    // Whether the key was given already; remembers it.
    bool Repeated(OfferKey key) { return !given_.insert(key).second; }
    OfferReading Finish();

  private:
    void ApplyPrice(OfferKey key, std::string_view text, std::string& price);
    void ApplyQuantity(std::string_view text);
    void CheckFormat();

    OfferReading reading_;
    std::set<OfferKey> given_;
    std::set<OfferKey> failed_;
    std::set<std::string> parameterNames_;  // LabelKey of each
};

void Reader::Apply(OfferKey key, std::string_view raw) {
    const std::string_view text = TrimBlanks(raw);
    OfferData& data = reading_.data;
    if (text.empty()) {
        return;
    }
    if (!IsValidUtf8(text)) {
        Fail(key, "tekst nie jest zapisany w UTF-8");
        return;
    }
    const bool multiLine = key == OfferKey::Safety || key == OfferKey::Pictures;
    if (HasControl(text, multiLine)) {
        Fail(key, "tekst zawiera znak sterujący");
        return;
    }
    const std::string quoted = QuotedValue(text);
    switch (key) {
        case OfferKey::Category:
            if ((AllDigits(text) && text.size() <= kMaxCategoryDigits) || IsUuid(text)) {
                data.category = text;
            } else {
                Fail(key, quoted + " nie jest numerem kategorii Allegro (same cyfry, np. 257931)");
            }
            break;
        case OfferKey::Ean:
            if (!AllDigits(text)) {
                Fail(key, quoted + " może mieć tylko cyfry");
            } else if (text.size() != 8 && text.size() != 12 && text.size() != 13 &&
                       text.size() != 14) {
                Fail(key, quoted + " ma " + CountedNoun(text.size(), "cyfrę", "cyfry", "cyfr") +
                              "; EAN (GTIN) ma 8, 12, 13 albo 14 cyfr");
            } else if (!IsValidGtin(text)) {
                Fail(key, quoted + " ma złą cyfrę kontrolną (ostatnia cyfra powinna być " +
                              std::string(1, GtinCheckDigit(text)) + ")");
            } else {
                data.ean = text;
            }
            break;
        case OfferKey::Product:
            if (IsUuid(text)) {
                data.product = FoldCase(text);
            } else {
                Fail(key, quoted +
                              " nie jest identyfikatorem produktu z katalogu Allegro (UUID, np. "
                              "6e3e9f5d-2c1b-4a4e-9d0a-1f2e3d4c5b6a)");
            }
            break;
        case OfferKey::Condition:
            data.condition = text;
            break;
        case OfferKey::Parameters:
            Fail(key, "w arkuszu każdy parametr ma własną kolumnę „parametr: NAZWA”");
            break;
        case OfferKey::Format:
            if (auto format = SellingFormatFromLabel(text)) {
                data.format = format;
            } else {
                Fail(key, quoted + ": dozwolone „kup teraz” albo „licytacja”");
            }
            break;
        case OfferKey::Price:
            ApplyPrice(key, text, data.price);
            break;
        case OfferKey::StartingPrice:
            ApplyPrice(key, text, data.startingPrice);
            break;
        case OfferKey::MinimalPrice:
            ApplyPrice(key, text, data.minimalPrice);
            break;
        case OfferKey::Quantity:
            ApplyQuantity(text);
            break;
        case OfferKey::Duration:
            if (auto duration = DurationFromLabel(text)) {
                data.duration = duration;
            } else {
                Fail(key, quoted + ": dozwolone dla kup teraz " +
                              AllowedDurations(SellingFormat::BuyNow) + "; dla licytacji " +
                              AllowedDurations(SellingFormat::Auction));
            }
            break;
        case OfferKey::Republish:
        case OfferKey::MarketedBeforeGpsr:
            if (auto yes = YesNo(text)) {
                (key == OfferKey::Republish ? data.republish : data.marketedBeforeGpsr) = yes;
            } else {
                Fail(key, quoted + ": dozwolone „tak” albo „nie”");
            }
            break;
        case OfferKey::ShippingRates:
            data.shippingRates = text;
            break;
        case OfferKey::ReturnPolicy:
            data.returnPolicy = text;
            break;
        case OfferKey::ImpliedWarranty:
            data.impliedWarranty = text;
            break;
        case OfferKey::Warranty:
            data.warranty = text;
            break;
        case OfferKey::HandlingTime:
            if (auto time = HandlingTimeFromLabel(text)) {
                data.handlingTime = time;
            } else {
                Fail(key, quoted + ": dozwolone " + AllowedHandlingTimes());
            }
            break;
        case OfferKey::Invoice:
            if (auto invoice = InvoiceFromLabel(text)) {
                data.invoice = invoice;
            } else {
                Fail(key, quoted + ": dozwolone " + AllowedInvoices());
            }
            break;
        case OfferKey::ResponsibleProducer:
            data.responsibleProducer = text;
            break;
        case OfferKey::ResponsiblePerson:
            data.responsiblePerson = text;
            break;
        case OfferKey::Safety:
            if (Utf8CharacterCount(text) > kMaxSafetyCharacters) {
                Fail(key, "tekst ma " + Characters(Utf8CharacterCount(text)) +
                              "; Allegro przyjmuje najwyżej 5000");
            } else if (HasMarkup(text)) {
                Fail(key, "sam tekst, bez znaczników HTML (Allegro przyjmuje zwykły tekst)");
            } else {
                data.safetyInformation = text;
            }
            break;
        case OfferKey::Signature:
            if (Utf8CharacterCount(text) > kMaxSignatureCharacters) {
                Fail(key, quoted + " ma " + Characters(Utf8CharacterCount(text)) +
                              "; Allegro przyjmuje najwyżej 100");
            } else {
                data.signature = text;
            }
            break;
        case OfferKey::Pictures:
            ApplyPictures(Words(text));
            break;
    }
}

void Reader::ApplyPrice(OfferKey key, std::string_view text, std::string& price) {
    const auto normalized = NormalizedPrice(text);
    if (!normalized) {
        Fail(key, QuotedValue(text) + " nie jest ceną (np. 1299, 1299.99 albo 1 299,00)");
    } else if (*normalized == "0.00") {
        Fail(key, "cena musi być większa od zera");
    } else {
        price = *normalized;
    }
}

void Reader::ApplyQuantity(std::string_view text) {
    constexpr OfferKey key = OfferKey::Quantity;
    if (!AllDigits(text)) {
        Fail(key, QuotedValue(text) + " nie jest liczbą całkowitą");
    } else if (text.size() > kMaxQuantityDigits) {
        Fail(key, QuotedValue(text) + " to za dużo sztuk");
    } else if (const auto count = static_cast<std::uint32_t>(std::stoul(std::string(text)));
               count == 0) {
        Fail(key, "co najmniej 1 sztuka");
    } else {
        reading_.data.quantity = count;
    }
}

void Reader::ApplyPictures(const std::vector<std::string>& sources) {
    constexpr OfferKey key = OfferKey::Pictures;
    std::vector<std::string> pictures;
    for (const std::string& raw : sources) {
        const std::string_view source = TrimBlanks(raw);
        if (source.empty()) {
            continue;
        }
        if (!IsValidUtf8(source) || HasControl(source, false) || !IsPictureSource(source)) {
            Fail(key, QuotedValue(source) + " nie jest adresem http(s) ani plikiem");
            return;
        }
        pictures.emplace_back(source);
    }
    if (pictures.size() > kMaxPictures) {
        Fail(key, CountedNoun(pictures.size(), "zdjęcie", "zdjęcia", "zdjęć") +
                      "; galeria Allegro mieści najwyżej 16 razem ze zdjęciami opisu");
        return;
    }
    reading_.data.pictures = std::move(pictures);
}

void Reader::AddParameter(ParameterValue value) {
    const std::string key = ParameterKey(value.name);
    if (value.name.empty()) {
        Fail(std::string(kParameterColumnPrefix), "brak nazwy parametru");
        return;
    }
    if (!parameterNames_.insert(LabelKey(value.name)).second) {
        Fail(key, "parametr podany dwa razy");
        return;
    }
    auto bad = [&](std::string_view text) { return !IsValidUtf8(text) || HasControl(text, false); };
    bool broken = bad(value.name) || bad(value.from) || bad(value.to);
    for (const std::string& one : value.values) {
        broken = broken || bad(one);
    }
    if (broken) {
        Fail(key, "tekst nie jest zapisany w UTF-8 albo zawiera znak sterujący");
        return;
    }
    if (value.isRange && (value.from.empty() || value.to.empty())) {
        Fail(key, "zakres potrzebuje obu końców: „od” i „do”");
        return;
    }
    if (!value.isRange && value.values.empty()) {
        return;  // an empty value gives nothing, as an empty cell
    }
    reading_.data.parameters.push_back(std::move(value));
}

void Reader::CheckFormat() {
    OfferData& data = reading_.data;
    if (failed_.contains(OfferKey::Format)) {
        return;  // which format was meant is not known
    }
    const SellingFormat format = EffectiveFormat(data);
    if (format == SellingFormat::Auction) {
        if (data.quantity.value_or(1) > 1) {
            Fail(OfferKey::Quantity, "licytacja ma zawsze 1 sztukę");
        }
        if (data.startingPrice.empty() && !failed_.contains(OfferKey::StartingPrice)) {
            Fail(OfferKey::StartingPrice, "licytacja wymaga ceny wywoławczej");
        }
    } else {
        if (!data.startingPrice.empty()) {
            Fail(OfferKey::StartingPrice, "jest tylko w licytacji (format „licytacja”)");
        }
        if (!data.minimalPrice.empty()) {
            Fail(OfferKey::MinimalPrice, "jest tylko w licytacji (format „licytacja”)");
        }
    }
    if (data.duration && !FormatAllows(format, *data.duration)) {
        Fail(OfferKey::Duration,
             QuotedValue(DurationLabel(*data.duration)) + " nie pasuje do " +
                 (format == SellingFormat::Auction ? "licytacji" : "kup teraz") + "; dozwolone " +
                 AllowedDurations(format));
    }
}

OfferReading Reader::Finish() {
    CheckFormat();
    const OfferData& data = reading_.data;
    if (data.marketedBeforeGpsr.value_or(false) && LabelKey(data.condition).starts_with("nowy")) {
        Fail(OfferKey::MarketedBeforeGpsr,
             "Allegro nie przyjmuje tego dla przedmiotu w stanie " + QuotedValue(data.condition));
    }
    return std::move(reading_);
}

// A JSON value that stands for a text: a text, a number, or (for a yes or no) true or false.
// Null gives an empty text, as an empty cell does.
std::optional<std::string> JsonText(const json& value) {
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (value.is_number_integer() || value.is_number_unsigned()) {
        return value.dump();
    }
    if (value.is_number_float()) {
        return value.dump();  // "1299.99"; a fraction where none belongs is refused later
    }
    if (value.is_boolean()) {
        return value.get<bool>() ? "tak" : "nie";
    }
    if (value.is_null()) {
        return std::string();
    }
    return std::nullopt;
}

void ReadJsonParameter(Reader& reader, const std::string& name, const json& value) {
    ParameterValue parameter;
    parameter.name = std::string(TrimBlanks(name));
    const std::string key = ParameterKey(parameter.name);
    if (value.is_array()) {
        for (const json& item : value) {
            auto text = item.is_boolean() ? std::nullopt : JsonText(item);
            if (!text) {
                reader.Fail(key, "lista wartości może mieć tylko teksty i liczby");
                return;
            }
            if (!TrimBlanks(*text).empty()) {
                parameter.values.emplace_back(TrimBlanks(*text));
            }
        }
    } else if (value.is_object()) {
        parameter.isRange = true;
        for (const auto& [end, text] : value.items()) {
            auto endText = text.is_boolean() ? std::nullopt : JsonText(text);
            const std::string endName = LabelKey(end);
            if (!endText || (endName != "od" && endName != "do")) {
                reader.Fail(key, "zakres zapisuje się {\"od\": …, \"do\": …}");
                return;
            }
            (endName == "od" ? parameter.from : parameter.to) = TrimBlanks(*endText);
        }
    } else if (auto text = value.is_boolean() ? std::nullopt : JsonText(value)) {
        if (!TrimBlanks(*text).empty()) {
            parameter.values.emplace_back(TrimBlanks(*text));
        }
    } else {
        reader.Fail(key, "wartość to tekst, lista tekstów albo {\"od\": …, \"do\": …}");
        return;
    }
    reader.AddParameter(std::move(parameter));
}

// A parameter's cell: one value, values one a line, or "od 10 do 20".
ParameterValue ParameterFromCell(std::string name, std::string_view text) {
    ParameterValue parameter;
    parameter.name = std::move(name);
    const std::string folded = FoldCase(text);  // the same length: only letters change
    const std::size_t to = folded.find(" do ");
    if (folded.starts_with("od ") && to != std::string::npos && text.find('\n') == text.npos) {
        parameter.isRange = true;
        parameter.from = TrimBlanks(text.substr(3, to - 3));
        parameter.to = TrimBlanks(text.substr(to + 4));
        return parameter;
    }
    parameter.values = Lines(text);
    return parameter;
}

std::string AllKeyNames() {
    std::string names;
    for (const std::string_view name : kKeyNames) {
        names += names.empty() ? "" : ", ";
        names += name;
    }
    return names;
}

void WriteText(nlohmann::ordered_json& out, OfferKey key, const std::string& text) {
    if (!text.empty()) {
        out[std::string(KeyName(key))] = text;
    }
}

}  // namespace

std::string_view KeyName(OfferKey key) {
    return kKeyNames[static_cast<std::size_t>(key)];
}

std::span<const std::string_view> OfferKeyNames() {
    return kKeyNames;
}

std::string ParameterKey(std::string_view name) {
    return std::string(kParameterColumnPrefix) + " " + std::string(name);
}

bool IsOfferColumn(std::string_view header) {
    return KeyFromName(header).has_value() || LabelKey(header).starts_with(kParameterColumnPrefix);
}

std::string ErrorText(const OfferError& error) {
    // A control name (the title's errors come under "Edit2") as the window labels its input.
    return error.key.empty() ? error.message
                             : std::string(InputLabel(error.key)) + ": " + error.message;
}

SellingFormat EffectiveFormat(const OfferData& data) {
    return data.format.value_or(SellingFormat::BuyNow);
}

Duration EffectiveDuration(const OfferData& data) {
    if (data.duration) {
        return *data.duration;
    }
    return EffectiveFormat(data) == SellingFormat::Auction ? Duration::SevenDays
                                                           : Duration::UntilSoldOut;
}

std::uint32_t EffectiveQuantity(const OfferData& data) {
    return data.quantity.value_or(1);
}

OfferReading ReadOfferJson(std::string_view utf8Json) {
    Reader reader;
    const json root = json::parse(utf8Json, nullptr, false);
    if (root.is_discarded() || !root.is_object()) {
        reader.Fail(std::string(),
                    "dane oferty to jeden obiekt JSON w UTF-8, np. {\"cena\": \"1299,00\"}");
        return reader.Finish();
    }
    std::vector<std::string> unknown;
    for (const auto& [name, value] : root.items()) {
        const auto key = KeyFromName(name);
        if (!key) {
            unknown.push_back(name);
            continue;
        }
        if (reader.Repeated(*key)) {
            reader.Fail(*key, "klucz podany dwa razy");
            continue;
        }
        if (*key == OfferKey::Parameters) {
            if (value.is_object()) {
                for (const auto& [parameter, parameterValue] : value.items()) {
                    ReadJsonParameter(reader, parameter, parameterValue);
                }
            } else if (!value.is_null()) {
                reader.Fail(*key,
                            "to obiekt nazw parametrów i wartości, np. {\"Kolor\": \"czarny\"}");
            }
            continue;
        }
        if (*key == OfferKey::Pictures && value.is_array()) {
            std::vector<std::string> sources;
            for (const json& item : value) {
                if (!item.is_string()) {
                    reader.Fail(*key, "lista zdjęć może mieć tylko teksty");
                    sources.clear();
                    break;
                }
                sources.push_back(item.get<std::string>());
            }
            reader.ApplyPictures(sources);
            continue;
        }
        const auto text = JsonText(value);
        const bool yesNo = *key == OfferKey::Republish || *key == OfferKey::MarketedBeforeGpsr;
        if (!text || (value.is_boolean() && !yesNo)) {
            reader.Fail(*key, "wartość powinna być tekstem");
            continue;
        }
        reader.Apply(*key, *text);
    }
    if (!unknown.empty()) {
        reader.Fail(std::string(), "nieznane klucze " + QuotedList(unknown) +
                                       "; dane oferty mają klucze: " + AllKeyNames());
    }
    return reader.Finish();
}

OfferReading ReadOfferCells(std::span<const OfferCell> cells) {
    Reader reader;
    for (const OfferCell& cell : cells) {
        const std::string_view header = TrimBlanks(cell.header);
        if (LabelKey(header).starts_with(kParameterColumnPrefix)) {
            std::string name(TrimBlanks(header.substr(kParameterColumnPrefix.size())));
            if (!TrimBlanks(cell.text).empty()) {
                reader.AddParameter(ParameterFromCell(std::move(name), TrimBlanks(cell.text)));
            }
            continue;
        }
        const auto key = KeyFromName(header);
        if (!key) {
            reader.Fail(std::string(header), "to nie jest kolumna danych oferty");
            continue;
        }
        if (reader.Repeated(*key)) {
            reader.Fail(*key, "dwie kolumny dla tego samego klucza");
            continue;
        }
        reader.Apply(*key, cell.text);
    }
    return reader.Finish();
}

std::vector<OfferError> CheckForActivation(const OfferData& data) {
    if (data.invoice) {
        return {};
    }
    return {{std::string(KeyName(OfferKey::Invoice)),
             "podaj rodzaj faktury (" + AllowedInvoices() +
                 ") przed wystawieniem: bez niej Allegro przyjmie „VAT”, a to błąd u sprzedawcy, "
                 "który nie płaci VAT"}};
}

std::string OfferToJson(const OfferData& data) {
    nlohmann::ordered_json out = nlohmann::ordered_json::object();
    WriteText(out, OfferKey::Category, data.category);
    WriteText(out, OfferKey::Ean, data.ean);
    WriteText(out, OfferKey::Product, data.product);
    WriteText(out, OfferKey::Condition, data.condition);
    if (!data.parameters.empty()) {
        nlohmann::ordered_json parameters = nlohmann::ordered_json::object();
        for (const ParameterValue& parameter : data.parameters) {
            auto& value = parameters[parameter.name];
            if (parameter.isRange) {
                value = {{"od", parameter.from}, {"do", parameter.to}};
            } else if (parameter.values.size() == 1) {
                value = parameter.values.front();
            } else {
                value = parameter.values;
            }
        }
        out[std::string(KeyName(OfferKey::Parameters))] = std::move(parameters);
    }
    if (data.format) {
        out[std::string(KeyName(OfferKey::Format))] = SellingFormatLabel(*data.format);
    }
    WriteText(out, OfferKey::Price, data.price);
    WriteText(out, OfferKey::StartingPrice, data.startingPrice);
    WriteText(out, OfferKey::MinimalPrice, data.minimalPrice);
    if (data.quantity) {
        out[std::string(KeyName(OfferKey::Quantity))] = *data.quantity;
    }
    if (data.duration) {
        out[std::string(KeyName(OfferKey::Duration))] = DurationLabel(*data.duration);
    }
    if (data.republish) {
        out[std::string(KeyName(OfferKey::Republish))] = *data.republish ? "tak" : "nie";
    }
    WriteText(out, OfferKey::ShippingRates, data.shippingRates);
    WriteText(out, OfferKey::ReturnPolicy, data.returnPolicy);
    WriteText(out, OfferKey::ImpliedWarranty, data.impliedWarranty);
    WriteText(out, OfferKey::Warranty, data.warranty);
    if (data.handlingTime) {
        out[std::string(KeyName(OfferKey::HandlingTime))] = HandlingTimeLabel(*data.handlingTime);
    }
    if (data.invoice) {
        out[std::string(KeyName(OfferKey::Invoice))] = InvoiceLabel(*data.invoice);
    }
    WriteText(out, OfferKey::ResponsibleProducer, data.responsibleProducer);
    WriteText(out, OfferKey::ResponsiblePerson, data.responsiblePerson);
    WriteText(out, OfferKey::Safety, data.safetyInformation);
    if (data.marketedBeforeGpsr) {
        out[std::string(KeyName(OfferKey::MarketedBeforeGpsr))] =
            *data.marketedBeforeGpsr ? "tak" : "nie";
    }
    WriteText(out, OfferKey::Signature, data.signature);
    if (!data.pictures.empty()) {
        out[std::string(KeyName(OfferKey::Pictures))] = data.pictures;
    }
    return out.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

std::string OfferFileName(std::string_view projectPath) {
    constexpr std::string_view kProjectEnding = ".ltk";
    const std::size_t slash = projectPath.find_last_of('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    std::string_view stem = projectPath;
    if (projectPath.size() - nameStart > kProjectEnding.size() &&
        FoldCase(projectPath.substr(projectPath.size() - kProjectEnding.size())) ==
            kProjectEnding) {
        stem.remove_suffix(kProjectEnding.size());
    }
    return std::string(stem) + ".oferta.json";
}

}  // namespace licytek::offer
