// The offer data as a seller writes it, in NAME.oferta.json and in a spreadsheet's columns.
#include <gtest/gtest.h>

#include <set>
#include <span>
#include <string>
#include <vector>

#include "offer/OfferData.h"
#include "offer/OfferSignature.h"
#include "offer/OfferValues.h"

namespace licytek::offer {
namespace {

std::set<std::string> KeysOf(const std::vector<OfferError>& errors) {
    std::set<std::string> keys;
    for (const OfferError& error : errors) {
        keys.insert(error.key);
    }
    return keys;
}

TEST(OfferValuesTest, PricesAsSellersWriteThemAreSentWithTwoDecimals) {
    const std::pair<const char*, const char*> good[] = {
        {"1 299,00", "1299.00"},
        {"1299.99", "1299.99"},
        {"1299", "1299.00"},
        {"1\xC2\xA0"
         "299,5",
         "1299.50"},
        {" 12 345 678 zł", "12345678.00"},
        {"0012,5", "12.50"},
        {"7 PLN", "7.00"},
        {"0,99", "0.99"},
    };
    for (const auto& [text, price] : good) {
        EXPECT_EQ(NormalizedPrice(text), std::optional<std::string>(price)) << text;
    }
    for (const char* bad : {"1.299,00", "12 99", "1 2999", "1299.999", "1299,", "-5", "abc", "",
                            "1 299.00.00", "12e3"}) {
        EXPECT_EQ(NormalizedPrice(bad), std::nullopt) << bad;
    }
    EXPECT_EQ(NormalizedNumber("1,5"), "1.5");
    EXPECT_EQ(NormalizedNumber("-2 500,25"), "-2500.25");
    EXPECT_EQ(NormalizedNumber("1,5 cm"), std::nullopt);
}

TEST(OfferValuesTest, GtinsNeedTheirLengthAndCheckDigit) {
    // Published examples of EAN-13, EAN-8, UPC-A and GTIN-14.
    for (const char* gtin :
         {"5901234123457", "4006381333931", "96385074", "036000291452", "00012345600012"}) {
        EXPECT_TRUE(IsValidGtin(gtin)) << gtin;
    }
    for (const char* bad : {"5901234123458", "590123412345", "1234567", "59012341234570",
                            "590123412345X", "123456789012345"}) {
        EXPECT_FALSE(IsValidGtin(bad)) << bad;
    }
    EXPECT_TRUE(IsUuid("6E3E9F5D-2c1b-4a4e-9d0a-1f2e3d4c5b6a"));
    EXPECT_FALSE(IsUuid("6e3e9f5d2c1b4a4e9d0a1f2e3d4c5b6a"));
    EXPECT_FALSE(IsUuid("6e3e9f5d-2c1b-4a4e-9d0a-1f2e3d4c5b6g"));
}

// The names left out of a list are counted in the form Polish needs; one left out is shown.
TEST(OfferValuesTest, AListCutShortCountsWhatItLeavesOut) {
    const std::vector<std::string> names = {"a", "b", "c", "d", "e", "f", "g"};
    const auto first = [&](std::size_t count) {
        return std::span<const std::string>(names.data(), count);
    };
    EXPECT_EQ(QuotedList(first(2), 2), "„a”, „b”");
    EXPECT_EQ(QuotedList(first(3), 2), "„a”, „b”, „c”");
    EXPECT_EQ(QuotedList(first(4), 2), "„a”, „b” i 2 inne");
    EXPECT_EQ(QuotedList(first(6), 2), "„a”, „b” i 4 inne");
    EXPECT_EQ(QuotedList(first(7), 2), "„a”, „b” i 5 innych");
    // A value is cut after 40 characters, not bytes, and never inside one.
    EXPECT_EQ(QuotedValue(std::string(39, 'x') + "żółw"), "„" + std::string(39, 'x') + "ż…”");
}

TEST(OfferDataTest, ReadsEveryKeyAndWritesItBackToTheSameData) {
    const OfferReading reading = ReadOfferJson(R"({
        "kategoria": 257931, "ean": "5901234123457",
        "produkt": "6E3E9F5D-2C1B-4A4E-9D0A-1F2E3D4C5B6A", "stan": "Używany",
        "parametry": {"Kolor": "czarny", "Rozmiar": ["S", "M"], "Wzrost": {"od": 150, "do": "180,5"}},
        "Format": "Licytacja", "cena": "1 299,00", "cena wywoławcza": 10, "cena minimalna": 99.5,
        "liczba sztuk": 1, "czas trwania": "10 dni", "wznawiaj": true,
        "cennik dostawy": "Kurier", "zwroty": "14 dni", "reklamacje": "Firma",
        "gwarancja": "Producent", "czas wysyłki": "24 godziny", "faktura": "VAT marża",
        "producent": "Kross S.A.", "osoba odpowiedzialna": "Jan Kowalski",
        "bezpieczeństwo": "Nie dla dzieci poniżej 3 lat.\nCzęści małe.",
        "przed 13.12.2024": "tak", "sygnatura": "R-17",
        "zdjęcia": ["https://example.com/a.jpg", "foto/b.jpg"]
    })");
    ASSERT_TRUE(reading.ok()) << ErrorText(reading.errors.front());
    const OfferData& data = reading.data;
    EXPECT_EQ(data.category, "257931");
    EXPECT_EQ(data.product, "6e3e9f5d-2c1b-4a4e-9d0a-1f2e3d4c5b6a");
    ASSERT_EQ(data.parameters.size(), 3U);
    EXPECT_EQ(data.parameters[1].values, (std::vector<std::string>{"S", "M"}));
    EXPECT_TRUE(data.parameters[2].isRange);
    EXPECT_EQ(data.parameters[2].from, "150");
    EXPECT_EQ(data.parameters[2].to, "180,5");
    EXPECT_EQ(data.format, SellingFormat::Auction);
    EXPECT_EQ(data.price, "1299.00");
    EXPECT_EQ(data.startingPrice, "10.00");
    EXPECT_EQ(data.minimalPrice, "99.50");
    EXPECT_EQ(data.duration, Duration::TenDays);
    EXPECT_EQ(data.republish, true);
    EXPECT_EQ(data.handlingTime, HandlingTime::Hours24);
    EXPECT_EQ(data.invoice, Invoice::VatMargin);
    EXPECT_EQ(data.marketedBeforeGpsr, true);
    EXPECT_EQ(data.pictures.size(), 2U);

    const OfferReading again = ReadOfferJson(OfferToJson(data));
    ASSERT_TRUE(again.ok()) << ErrorText(again.errors.front());
    EXPECT_EQ(again.data, data);

    OfferData small;
    small.price = "5.00";
    small.quantity = 3;
    small.invoice = Invoice::WithoutVat;
    EXPECT_EQ(OfferToJson(small),
              "{\n  \"cena\": \"5.00\",\n  \"liczba sztuk\": 3,\n  \"faktura\": \"bez VAT\"\n}\n");
}

TEST(OfferDataTest, EveryBadValueIsAnErrorNamingItsKeyAndAllAreCollected) {
    const OfferReading reading = ReadOfferJson(R"({
        "kategoria": "rowery", "ean": "5901234123458", "produkt": "123",
        "format": "aukcja", "cena": "1.299,00", "liczba sztuk": 0, "czas trwania": "2 dni",
        "wznawiaj": "może", "czas wysyłki": "jutro", "faktura": "paragon",
        "bezpieczeństwo": "<b>Uwaga</b>", "przed 13.12.2024": 1, "sygnatura": ["x"],
        "zdjęcia": "ftp://example.com/a.jpg", "parametry": {"Kolor": true, "Wzrost": {"od": 1}},
        "kolor": "czarny", "uwagi": "?"
    })");
    EXPECT_EQ(KeysOf(reading.errors),
              (std::set<std::string>{"", "kategoria", "ean", "produkt", "format", "cena",
                                     "liczba sztuk", "czas trwania", "wznawiaj", "czas wysyłki",
                                     "faktura", "bezpieczeństwo", "przed 13.12.2024", "sygnatura",
                                     "zdjęcia", "parametr: Kolor", "parametr: Wzrost"}));
    const auto has = [&](const std::string& text) {
        for (const OfferError& error : reading.errors) {
            if (ErrorText(error) == text) {
                return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(has("ean: „5901234123458” ma złą cyfrę kontrolną (ostatnia cyfra powinna być 7)"));
    EXPECT_TRUE(
        has("nieznane klucze „kolor”, „uwagi”; dane oferty mają klucze: kategoria, ean, "
            "produkt, stan, parametry, format, cena, cena wywoławcza, cena minimalna, "
            "liczba sztuk, czas trwania, wznawiaj, cennik dostawy, zwroty, reklamacje, "
            "gwarancja, czas wysyłki, faktura, producent, osoba odpowiedzialna, "
            "bezpieczeństwo, przed 13.12.2024, sygnatura, zdjęcia"));
    EXPECT_TRUE(
        has("czas wysyłki: „jutro”: dozwolone „natychmiast”, „24 godziny”, „2 dni”, "
            "„3 dni”, „4 dni”, „5 dni”, „7 dni”, „10 dni”, „14 dni”, „21 dni”, "
            "„30 dni”, „60 dni”"));

    EXPECT_EQ(KeysOf(ReadOfferJson("[1, 2]").errors), std::set<std::string>{""});
    EXPECT_EQ(KeysOf(ReadOfferJson(R"({"cena": "12", "Cena": "13"})").errors),
              std::set<std::string>{"cena"});
    EXPECT_EQ(KeysOf(ReadOfferJson(R"({"ean": "59012341"})").errors),
              std::set<std::string>{"ean"});  // eight digits, but a wrong check digit
}

TEST(OfferDataTest, TheFormatDecidesPricesQuantityAndDuration) {
    struct Case {
        const char* json;
        std::set<std::string> keys;
    };
    const Case cases[] = {
        {R"({"format": "licytacja", "cena wywoławcza": "1"})", {}},
        {R"({"format": "licytacja", "liczba sztuk": 2, "czas trwania": "30 dni"})",
         {"liczba sztuk", "cena wywoławcza", "czas trwania"}},
        {R"({"cena": "5", "cena wywoławcza": "1", "cena minimalna": "2", "czas trwania": "1 dzień"})",
         {"cena wywoławcza", "cena minimalna", "czas trwania"}},
        {R"({"cena": "5", "liczba sztuk": 40, "czas trwania": "do wyczerpania"})", {}},
        {R"({"stan": "Nowy z metką", "przed 13.12.2024": "tak"})", {"przed 13.12.2024"}},
        {R"({"stan": "Używany", "przed 13.12.2024": "tak"})", {}},
        {R"({"format": "zamiana", "cena wywoławcza": "1"})", {"format"}},  // no guesses past it
    };
    for (const Case& c : cases) {
        EXPECT_EQ(KeysOf(ReadOfferJson(c.json).errors), c.keys) << c.json;
    }
    OfferData auction;
    auction.format = SellingFormat::Auction;
    EXPECT_EQ(EffectiveDuration(auction), Duration::SevenDays);
    EXPECT_EQ(EffectiveDuration(OfferData{}), Duration::UntilSoldOut);
    EXPECT_EQ(KeysOf(CheckForActivation(OfferData{})), std::set<std::string>{"faktura"});
}

TEST(OfferDataTest, ASheetsCellsReadAsTheFileWithAColumnForEachParameter) {
    EXPECT_TRUE(IsOfferColumn(" Cena Wywoławcza "));
    EXPECT_TRUE(IsOfferColumn("Parametr: Kolor"));
    EXPECT_FALSE(IsOfferColumn("Edit2"));
    const OfferCell cells[] = {
        {"CENA", "1 299,00"},
        {"Parametr: Rozmiar", "S\r\nM\n"},
        {"parametr: Wzrost", "od 150 DO 180,5"},
        {"parametr: Kolor", ""},
        {"zdjęcia", "https://example.com/a.jpg  foto/b.jpg\nfoto/c.jpg"},
        {"sygnatura", ""},
    };
    const OfferReading reading = ReadOfferCells(cells);
    ASSERT_TRUE(reading.ok()) << ErrorText(reading.errors.front());
    const OfferReading json = ReadOfferJson(R"({"cena": "1299", "parametry": {"Rozmiar": ["S", "M"],
        "Wzrost": {"od": "150", "do": "180,5"}}, "zdjęcia": ["https://example.com/a.jpg",
        "foto/b.jpg", "foto/c.jpg"]})");
    EXPECT_EQ(reading.data, json.data);

    const OfferCell bad[] = {
        {"parametry", "Kolor=czarny"}, {"oferta", "123"},  {"Parametr: kolor", "czarny"},
        {"parametr: Kolor", "biały"},  {"parametr:", "x"}, {"ean", "590 1234 123457"}};
    EXPECT_EQ(
        KeysOf(ReadOfferCells(bad).errors),
        (std::set<std::string>{"parametry", "oferta", "parametr: Kolor", "parametr:", "ean"}));
}

TEST(OfferDataTest, FileBesideTheProjectAndAStableSignatureForEachItem) {
    EXPECT_EQ(OfferFileName("zapis.ltk"), "zapis.oferta.json");
    EXPECT_EQ(OfferFileName("sklep.v2/Zapis.LTK"), "sklep.v2/Zapis.oferta.json");
    EXPECT_EQ(OfferFileName("sklep.v2/zapis"), "sklep.v2/zapis.oferta.json");
    EXPECT_EQ(OfferFileName(".ltk"), ".ltk.oferta.json");

    OfferData data;
    data.ean = "5901234123457";
    data.category = "257931";
    // Written down once from a separate computation: a change would stop a later run from
    // finding the offers earlier runs created.
    EXPECT_EQ(OfferSignature(data, "Rower miejski Kross"), "LTK-479d3ddbd2944a07");
    EXPECT_EQ(OfferSignature(data, " Rower miejski Kross ", ""), "LTK-479d3ddbd2944a07");
    EXPECT_EQ(OfferSignature(data, "Rower miejski Kross", "rower-1"), "LTK-5a653d8dd954c255");

    std::set<std::string> signatures;
    for (const char* title : {"Rower miejski Kross", "Rower miejski Krosss", "Rower miejski"}) {
        for (const char* file : {"", "rower-1", "rower-2"}) {
            for (const char* category : {"257931", "2579", ""}) {
                data.category = category;
                signatures.insert(OfferSignature(data, title, file));
            }
        }
    }
    EXPECT_EQ(signatures.size(), 27U);
    data.product = "6e3e9f5d-2c1b-4a4e-9d0a-1f2e3d4c5b6a";
    EXPECT_EQ(signatures.count(OfferSignature(data, "Rower miejski", "")), 0U);
    data.signature = "MOJA-17";
    EXPECT_EQ(OfferSignature(data, "Rower miejski"), "MOJA-17");
}

}  // namespace
}  // namespace licytek::offer
