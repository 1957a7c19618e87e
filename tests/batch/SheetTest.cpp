// Spreadsheets as sellers save them: the same offers saved by a spreadsheet program as .xlsx,
// .ods and two kinds of CSV, files that are none of these, lines inside cells, and the
// warnings a template gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

#include "batch/Batch.h"
#include "batch/CellLines.h"
#include "batch/SheetRecords.h"
#include "model/Text.h"
#include "support/TempDir.h"

namespace licytek::batch {
namespace {

using licytek::testing::ReadBytes;
using licytek::testing::TempDir;
using licytek::testing::WriteBytes;

std::string DataFile(std::string_view name) {
    return std::string(LICYTEK_SOURCE_DIR "/tests/data/") + std::string(name);
}

std::string Cp1250(std::string_view utf8) {
    return *Utf8ToCp1250(utf8);
}

class SheetTest : public ::testing::Test {
  protected:
    BatchSummary Run(const std::string& path, const std::string& out,
                     OutputFormat format = OutputFormat::Both) {
        BatchOptions options;
        options.format = format;
        options.outFolder = dir_.File(out);
        BatchObserver observer;
        observer.rowError = [this](const std::string& line) { errors_.push_back(line); };
        observer.warning = [this](const std::string& line) { warnings_.push_back(line); };
        return RunBatch(path, template_, "4242", options, observer);
    }
    // Every file of an output folder by name.
    std::map<std::string, std::string> Folder(const std::string& out) const {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.File(out))) {
            files[entry.path().filename().string()] = ReadBytes(entry.path().string());
        }
        return files;
    }

    TempDir dir_;
    AuctionForm template_;
    std::vector<std::string> errors_;
    std::vector<std::string> warnings_;
};

TEST_F(SheetTest, TheSameOffersGiveTheSameFilesWhicheverWayTheSheetWasSaved) {
    // Saved by a spreadsheet program in Polish: numbers with a decimal comma, logical values
    // as PRAWDA/FAŁSZ in the CSV, several lines in the description cells.
    const auto expected = [&] {
        EXPECT_EQ(Run(DataFile("oferty-utf8.csv"), "csv").written, 5U);
        return Folder("csv");
    }();
    ASSERT_EQ(expected.size(), 10U);
    for (const std::string name : {"oferty-cp1250.csv", "oferty.xlsx", "oferty.ods"}) {
        SCOPED_TRACE(name);
        const auto summary = Run(DataFile(name), name);
        EXPECT_EQ(summary.written, 5U);
        EXPECT_EQ(summary.failed, 0U) << ::testing::PrintToString(errors_);
        EXPECT_TRUE(Folder(name) == expected);
    }
    const std::string& rower = expected.at("rower.html");
    EXPECT_NE(rower.find(Cp1250("<b>Rama:</b> 19 cali, aluminiowa<br>\r\n<b>Przerzutki:</b> "
                                "Shimano, 21 biegów<br>\r\nHamulce tarczowe.")),
              std::string::npos);
    EXPECT_NE(rower.find("12,99"), std::string::npos);
    EXPECT_NE(rower.find("600100200"), std::string::npos);
    // A line that ends in a block element or a break gets no second one; an empty line does.
    EXPECT_NE(
        expected.at("czajnik.html")
            .find(Cp1250("<h2>Nowy</h2>\r\nMoc 2200 W.<br>\r\n<br>\r\nGwarancja 24 miesiące.")),
        std::string::npos);
    EXPECT_NE(expected.at("czajnik.allegro.json")
                  .find("<h2>Nowy</h2><p>Moc 2200 W.</p><p>Gwarancja 24 miesiące.</p>"),
              std::string::npos);
    EXPECT_NE(expected.at("lampa.html").find(Cp1250("Światło ciepłe<br>\r\nRamię regulowane")),
              std::string::npos);
    EXPECT_NE(expected.at("lampa.html").find("0,99"), std::string::npos);
}

TEST_F(SheetTest, RowsAreNumberedAsTheSheetNumbersThemThroughGapsAndRepeats) {
    // Three empty rows (one repeated row in .ods, left out in .xlsx), a value repeated over
    // three cells, then the same row twice.
    for (const std::string name : {"powtorzenia.ods", "powtorzenia.xlsx"}) {
        SCOPED_TRACE(name);
        errors_.clear();
        const auto summary = Run(DataFile(name), name, OutputFormat::Classic);
        EXPECT_EQ(summary.written, 2U);
        ASSERT_FALSE(errors_.empty());
        EXPECT_EQ(errors_[0], DataFile(name) + ":7:plik: plik „b” zapisuje już wiersz 6");
    }
    const std::string page = ReadBytes(dir_.File("powtorzenia.ods/a.html"));
    std::size_t shown = 0;
    for (auto at = page.find(Cp1250("5,00 zł")); at != std::string::npos;
         at = page.find(Cp1250("5,00 zł"), at + 1)) {
        ++shown;
    }
    EXPECT_EQ(shown, 3U);
}

TEST_F(SheetTest, AFileThatIsNoSheetGetsOneLineAndWritesNothing) {
    std::string xlsx = ReadBytes(DataFile("oferty.xlsx"));
    std::string damaged = xlsx;
    // Inside the compressed sheet: the archive opens, the sheet does not inflate.
    const auto sheet = damaged.find("xl/worksheets/sheet1.xml");
    ASSERT_NE(sheet, std::string::npos);
    for (std::size_t i = sheet + 40; i < sheet + 200; i += 7) {
        damaged[i] = static_cast<char>(~damaged[i]);
    }
    const std::map<std::string, std::string> inputs = {
        {"obraz.png", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR\xFF\xFE", 18)},
        {"utf16.csv", std::string("\xFF\xFEp\0l\0i\0k\0\n\0", 12)},
        {"uciety.xlsx", xlsx.substr(0, xlsx.size() / 2)},
        {"zepsuty.xlsx", damaged},
    };
    for (const auto& [name, bytes] : inputs) {
        SCOPED_TRACE(name);
        WriteBytes(dir_.File(name), bytes);
        const auto summary = Run(dir_.File(name), "out-" + name);
        EXPECT_TRUE(summary.unreadableInput);
        EXPECT_EQ(summary.fatal, "Nie umiem odczytać pliku " + dir_.File(name) +
                                     ": zapisz arkusz jako CSV rozdzielany średnikami");
        EXPECT_TRUE(errors_.empty()) << ::testing::PrintToString(errors_);
        EXPECT_FALSE(std::filesystem::exists(dir_.File("out-" + name)));
    }
}

using Rows = std::vector<std::vector<std::string>>;

Rows ReadSheet(const std::string& path) {
    Rows rows;
    SheetRecords records([&rows](std::span<const std::string> cells) {
        rows.emplace_back(cells.begin(), cells.end());
    });
    EXPECT_TRUE(records.Read(path));
    return rows;
}

// The hand-made sheets of make-edge-sheets.py: what spreadsheet programs write now and then.
TEST(SheetRecordsTest, ReadsTheFirstSheetAsItShowsWithItsRowNumbers) {
    const Rows xlsx = {
        {"Nagłówek", "", "W wierszu"},
        {},
        {"12,99", "13", "1", "0", "wynik", "#N/A", "Zażółć ", "linia 1\r\nlinia 2 & _x", "0,3",
         "-2,5", "5901234567890"},
        {"7", "0,001"},
    };
    EXPECT_EQ(ReadSheet(DataFile("krawedzie.xlsx")), xlsx);
    // Beyond the last column and the last row a spreadsheet has, nothing is read.
    const Rows ods = {
        {"a  b\tc", "x\ny\nz", "widać"},
        {"r", "r", "r"},
        {"r", "r", "r"},
    };
    EXPECT_EQ(ReadSheet(DataFile("krawedzie.ods")), ods);
}

TEST(CellLinesTest, EachLineEndsWithABreakUnlessItEndsTheLineItself) {
    EXPECT_EQ(BreakCellLines("jeden\r\ndwa\r\n\r\ntrzy"), "jeden<br>\r\ndwa<br>\r\n<br>\r\ntrzy");
    EXPECT_EQ(BreakCellLines("<b>Rama</b>\r\n<img src=\"a.jpg\">\r\nkoniec"),
              "<b>Rama</b><br>\r\n<img src=\"a.jpg\"><br>\r\nkoniec");
    EXPECT_EQ(BreakCellLines("a<BR>\r\n<H1>Tytuł</H1>  \r\n<p align=\"center\">\r\n<li>x</li>"
                             "\r\n</ul>\r\n<br/>\r\nb"),
              "a<BR>\r\n<H1>Tytuł</H1>  \r\n<p align=\"center\">\r\n<li>x</li>\r\n</ul>\r\n"
              "<br/>\r\nb");
    EXPECT_EQ(BreakCellLines("jedna linia"), "jedna linia");
}

TEST_F(SheetTest, TheTemplatesWarningsAreToldOnceAndRowsTellTheirOwn) {
    template_.phone = "600 100 200";  // a phone number, which Allegro does not take
    template_.auctionTerms = "Regulamin";
    template_.shippingLine1 = "Kurier 15 zł";  // set by a column too: each row decides
    WriteBytes(dir_.File("offers.csv"),
               "plik;Nagłówek aukcji;Opis przedmiotu;Koszty przesyłki 1\n"
               "a;Rower;opis;\n"
               "b;Hulajnoga;opis;Paczka 9 zł\n"
               "c;Kask;opis;Kurier 15 zł\n");
    const auto summary = Run(dir_.File("offers.csv"), "out", OutputFormat::Allegro);
    EXPECT_EQ(summary.written, 3U);
    std::vector<std::string> starts;
    for (const auto& line : warnings_) {
        starts.push_back(line.substr(0, line.find(": ", line.find(": ") + 2)));
    }
    const std::string file = dir_.File("offers.csv");
    // Each input named once: these messages name it themselves, with no label before them.
    const std::vector<std::string> expected = {"szablon: Telefon nie trafia do opisu",
                                               "szablon: Regulamin aukcji nie trafia do opisu",
                                               file + ":2: Koszty przesyłki nie trafiają do opisu",
                                               file + ":3: Koszty przesyłki nie trafiają do opisu",
                                               file + ":4: Koszty przesyłki nie trafiają do opisu"};
    EXPECT_EQ(starts, expected) << ::testing::PrintToString(warnings_);
    EXPECT_EQ(summary.warnings, expected.size());

    // A JSON line that changes the phone number has a warning of its own about it.
    warnings_.clear();
    WriteBytes(dir_.File("offers.jsonl"),
               "{\"Edit2\": \"Rower\", \"Memo1\": \"opis\", \"Edit3\": \"500 000 000\"}\n"
               "{\"Edit2\": \"Kask\", \"Memo1\": \"opis\"}\n");
    Run(dir_.File("offers.jsonl"), "json", OutputFormat::Allegro);
    const auto phone = std::count_if(warnings_.begin(), warnings_.end(), [](const auto& line) {
        return line.find("Telefon nie trafia") != std::string::npos;
    });
    EXPECT_EQ(phone, 2) << ::testing::PrintToString(warnings_);
    const auto told = [&](const std::string& start) {
        return std::any_of(warnings_.begin(), warnings_.end(),
                           [&](const auto& line) { return line.starts_with(start); });
    };
    EXPECT_TRUE(told("szablon: Telefon nie trafia"));
    EXPECT_TRUE(told(dir_.File("offers.jsonl") + ":1: Telefon nie trafia"));
}

}  // namespace
}  // namespace licytek::batch
