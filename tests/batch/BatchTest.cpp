// Runs whole batches over small spreadsheets in a temporary folder and compares every page
// with what the generator (and the structured export) give for the same form.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <set>

#include "../model/TempDir.h"
#include "batch/Batch.h"
#include "batch/InputText.h"
#include "generator/Document.h"
#include "model/FormFields.h"
#include "model/Text.h"
#include "structured/AllegroExport.h"

namespace licytek::batch {
namespace {

using licytek::testing::ReadBytes;
using licytek::testing::TempDir;
using licytek::testing::WriteBytes;

::testing::AssertionResult Contains(const std::string& text, std::string_view part) {
    if (text.find(part) != std::string::npos) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\"" << part << "\" is not in \"" << text << "\"";
}

constexpr std::string_view kSellerId = "4242";

class BatchTest : public ::testing::Test {
  protected:
    BatchSummary Run(std::string_view fileName, std::string_view bytes, BatchOptions options = {},
                     const std::atomic<bool>* cancel = nullptr) {
        WriteBytes(dir_.File(fileName), bytes);
        if (options.outFolder.empty()) {
            options.outFolder = dir_.File("out");
        }
        BatchObserver observer;
        observer.rowError = [this](const std::string& line) { errors_.push_back(line); };
        observer.warning = [this](const std::string& line) { warnings_.push_back(line); };
        observer.progress = [this](const BatchProgress& progress) {
            progress_.push_back(progress);
        };
        observer.cancel = cancel;
        return RunBatch(dir_.File(fileName), template_, std::string(kSellerId), options, observer);
    }
    std::string Out(const std::string& name) const { return ReadBytes(dir_.File("out/" + name)); }
    bool Exists(const std::string& name) const {
        return std::filesystem::exists(dir_.File("out/" + name));
    }
    std::string PageOf(const AuctionForm& form) const { return BuildDocument(form, kSellerId); }
    // The error lines of row `row`, joined, for matching.
    std::string ErrorsOfRow(std::size_t row) const {
        std::string found;
        const std::string where = ":" + std::to_string(row) + ":";
        for (const auto& line : errors_) {
            if (line.find(where) != std::string::npos) {
                found += line + "\n";
            }
        }
        return found;
    }

    TempDir dir_;
    AuctionForm template_;
    std::vector<std::string> errors_;
    std::vector<std::string> warnings_;
    std::vector<BatchProgress> progress_;
};

// The form of a row that sets the header (with quotes and a separator) and a two-line
// description on the template.
AuctionForm DialectForm() {
    AuctionForm form;
    form.Edit2 = "Za\xBF\xF3\xB3\xE6 \"g\xEA\x9Cl\xB9\"; ja\x9F\xF1";  // Zażółć "gęślą"; jaźń
    form.Memo1 = "linia 1<br>\r\nlinia 2";
    return form;
}

TEST_F(BatchTest, ReadsTheDialectsSpreadsheetsWrite) {
    struct Dialect {
        std::string name;
        char separator;
        std::string lineEnd;
        std::string prefix;  // a byte-order mark or nothing
        bool cp1250;
        InputEncoding encoding = InputEncoding::Automatic;
    };
    const std::vector<Dialect> dialects = {
        {"semicolon-crlf-bom", ';', "\r\n", std::string(kUtf8Bom), false},
        {"comma-lf", ',', "\n", "", false},
        {"tab-crlf", '\t', "\r\n", "", false},
        {"cp1250-semicolon", ';', "\r\n", "", true},
        {"cp1250-told", ',', "\n", "", true, InputEncoding::Cp1250},
    };
    for (const auto& d : dialects) {
        SCOPED_TRACE(d.name);
        const std::string sep(1, d.separator);
        std::string header = "plik" + sep + "Edit2" + sep + "Memo1";
        std::string row = "a-" + d.name + sep + "\"Zażółć \"\"gęślą\"\"; jaźń\"" + sep +
                          "\"linia 1" + d.lineEnd + "linia 2\"";
        std::string bytes = d.prefix + header + d.lineEnd + row + d.lineEnd;
        if (d.cp1250) {
            bytes = *Utf8ToCp1250(bytes);
        }
        BatchOptions options;
        options.encoding = d.encoding;
        const auto summary = Run("offers.csv", bytes, options);
        EXPECT_EQ(summary.written, 1U) << ::testing::PrintToString(errors_);
        EXPECT_EQ(Out("a-" + d.name + ".html"), PageOf(DialectForm()));
    }
    // Told that a UTF-8 file is Windows-1250, its bytes are taken as they are.
    BatchOptions told;
    told.encoding = InputEncoding::Cp1250;
    Run("told.csv", "plik,Edit2\nb,\xC3\xB3\n", told);
    AuctionForm form;
    form.Edit2 = "\xC3\xB3";
    EXPECT_EQ(Out("b.html"), PageOf(form));
}

TEST_F(BatchTest, NamesColumnsByControlOrLabelInAnyCase) {
    const auto summary = Run("offers.csv",
                             "NAGŁÓWEK AUKCJI;memo1;Telefon;checkbox6;Układ;wejście NA strone\n"
                             "Rower;opis;600 100 200;tak;3;okrąg od środka\n");
    ASSERT_EQ(summary.written, 1U) << ::testing::PrintToString(errors_);
    AuctionForm form;
    form.Edit2 = "Rower";
    form.Memo1 = "opis";
    form.Edit3 = "600 100 200";
    form.CheckBox6 = true;
    form.RadioButton1 = false;
    form.RadioButton3 = true;
    form.ComboBox1 = 5;
    EXPECT_EQ(Out("2.html"), PageOf(form));  // named by its row; the header is row 1

    // Every control name and label leads to one input only.
    std::set<std::string> names;
    for (const FormField& field : FormFields()) {
        EXPECT_TRUE(names.insert(FoldCase(field.name)).second) << field.name;
        EXPECT_TRUE(names.insert(FoldCase(field.label)).second) << field.label;
    }
    EXPECT_EQ(FoldCase("ĄĆĘŁŃÓŚŹŻ ÀÖ Ÿ"), "ąćęłńóśźż àö ÿ");

    // Two columns for one input leave every row undecided: nothing is written.
    const auto twice = Run("twice.csv", "Edit2;Nagłówek aukcji\na;b\n");
    ASSERT_TRUE(twice.fatal);
    EXPECT_TRUE(Contains(*twice.fatal, "twice.csv:1:Nagłówek aukcji: "));
    EXPECT_EQ(twice.written + twice.failed, 0U);
}

TEST_F(BatchTest, TakesEveryValueFormOfEachKind) {
    template_.CheckBox7 = true;
    const auto summary = Run("offers.csv",
                             "plik;CheckBox6;CheckBox7;ComboBox1;ComboBox5;układ;Edit3\n"
                             "on1;1;0;4;;;\n"
                             "on2;TAK;nie;Zwijanie poziome;gold;8;\n"
                             "on3;true;False;-1;13;;\n"
                             "on4;x;;ZETRZYJ W DÓŁ;;;\n"
                             "text;;;;;;\"a\nb\"\n");
    ASSERT_EQ(summary.written, 5U) << ::testing::PrintToString(errors_);
    const auto expect = [this](const std::string& name, auto change) {
        AuctionForm form = template_;
        form.CheckBox6 = true;
        form.CheckBox7 = false;
        change(form);
        EXPECT_EQ(Out(name + ".html"), PageOf(form)) << name;
    };
    expect("on1", [](AuctionForm& f) { f.ComboBox1 = 4; });
    expect("on2", [](AuctionForm& f) {
        f.ComboBox1 = 17;  // the item ends in a blank nobody types
        f.ComboBox5 = 4;
        f.RadioButton1 = false;
        f.RadioButton8 = true;
    });
    expect("on3", [](AuctionForm& f) { f.ComboBox5 = 13; });
    expect("on4", [](AuctionForm& f) {
        f.ComboBox1 = 6;
        f.CheckBox7 = true;  // an empty cell keeps the template's value
    });
    AuctionForm text = template_;
    text.Edit3 = "a\r\nb";
    EXPECT_EQ(Out("text.html"), PageOf(text));
}

TEST_F(BatchTest, BadCellsFailTheirRowOnlyAndNameRowAndColumn) {
    const auto summary = Run("offers.csv",
                             "plik;Edit2;Dodaj gradient;ComboBox1;układ;cena\n"
                             "good1;a;1;;;\n"
                             "sw;a;może;;;\n"
                             "list;a;;Nieznany;;\n"
                             "layout;a;;;9;\n"
                             "char;日本;;;;\n"
                             "unknown;a;;;;12 zł\n"
                             "../up;a;;;;\n"
                             "extra;a;;;;;za dużo\n"
                             "good2;b;;;;\n");
    EXPECT_EQ(summary.written, 2U);
    EXPECT_EQ(summary.failed, 7U);
    EXPECT_TRUE(Exists("good1.html"));
    EXPECT_TRUE(Exists("good2.html"));
    EXPECT_TRUE(Contains(ErrorsOfRow(3), "offers.csv:3:Dodaj gradient: „może”"));
    EXPECT_TRUE(Contains(ErrorsOfRow(4), "offers.csv:4:ComboBox1: „Nieznany”"));
    EXPECT_TRUE(Contains(ErrorsOfRow(5), "offers.csv:5:układ: "));
    EXPECT_TRUE(Contains(ErrorsOfRow(6), "offers.csv:6:Edit2: znak „日”"));
    EXPECT_TRUE(Contains(ErrorsOfRow(7), "offers.csv:7:cena: nieznana kolumna"));
    EXPECT_TRUE(Contains(ErrorsOfRow(8), "offers.csv:8:plik: "));
    EXPECT_TRUE(Contains(ErrorsOfRow(9), "offers.csv:9:kolumna 7: "));
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(dir_.File("out"))) {
        ++files;
    }
    EXPECT_EQ(files, 2U);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("up.html")));

    // Told to stop at the first bad row, the later good row is not written.
    BatchOptions stop;
    stop.stopOnError = true;
    stop.outFolder = dir_.File("stop");
    const auto stopped = Run("stop.csv", "plik;CheckBox1\na;1\nb;?\nc;1\n", stop);
    EXPECT_EQ(stopped.written, 1U);
    EXPECT_EQ(stopped.failed, 1U);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("stop/c.html")));
}

TEST_F(BatchTest, RefusesExistingFilesUnlessToldAndNamesWrittenTwice) {
    std::filesystem::create_directory(dir_.File("out"));
    WriteBytes(dir_.File("out/old.html"), "old");
    const auto refused = Run("offers.csv", "plik;Edit2\nold;a\nnew;b\nnew;c\n");
    EXPECT_EQ(refused.written, 1U);
    EXPECT_EQ(refused.failed, 2U);
    EXPECT_EQ(Out("old.html"), "old");
    EXPECT_TRUE(Contains(ErrorsOfRow(2), "offers.csv:2:plik: "));
    EXPECT_TRUE(Contains(ErrorsOfRow(4), "wiersz 3"));
    AuctionForm first;
    first.Edit2 = "b";
    EXPECT_EQ(Out("new.html"), PageOf(first));  // the second row of that name wrote nothing

    BatchOptions overwrite;
    overwrite.overwrite = true;
    const auto replaced = Run("again.csv", "plik;Edit2\nold;a\n", overwrite);
    EXPECT_EQ(replaced.written, 1U);
    AuctionForm form;
    form.Edit2 = "a";
    EXPECT_EQ(Out("old.html"), PageOf(form));
}

TEST_F(BatchTest, WritesWhatRenderAndExportGiveForTheSameForm) {
    template_.Edit14 = "#123456";
    BatchOptions both;
    both.format = OutputFormat::Both;
    both.utf8 = true;
    const std::string title(80, 'T');
    const auto summary = Run("offers.csv",
                             "plik;Nagłówek aukcji;Opis przedmiotu\n"
                             "a;Żółw;\"<b>Opis</b>\n<img src=\"\"http://x.pl/a.jpg\"\">\"\n"
                             "long;" +
                                 title + ";opis\n",
                             both);
    EXPECT_EQ(summary.written, 1U);
    AuctionForm form = template_;
    form.Edit2 = "\xAF\xF3\xB3w";
    form.Memo1 = "<b>Opis</b><br>\r\n<img src=\"http://x.pl/a.jpg\">";
    EXPECT_EQ(Out("a.html"), Cp1250ToUtf8(PageOf(form)));
    const auto offer = structured::ExportAllegro(form);
    EXPECT_EQ(Out("a.allegro.json"), structured::OfferToJson(offer) + "\n");
    // The export's warnings are the row's warnings; its errors fail the row at the column.
    EXPECT_EQ(summary.warnings, warnings_.size());
    EXPECT_FALSE(warnings_.empty());
    EXPECT_TRUE(Contains(ErrorsOfRow(3), "offers.csv:3:Nagłówek aukcji: "));
    EXPECT_FALSE(Exists("long.html"));
}

TEST_F(BatchTest, ReadsOneJsonFormALine) {
    const auto summary = Run("offers.jsonl",
                             "{\"Edit2\": \"Żółw\", \"RadioButton2\": true}\r\n"
                             "\n"
                             "{\"Edit2\": \"b\", \"SellerId\": \"77\"}\n"
                             "{\"Edit2\": 5}\n");
    EXPECT_EQ(summary.written, 2U);
    EXPECT_EQ(summary.failed, 1U);
    AuctionForm first;
    first.Edit2 = "\xAF\xF3\xB3w";
    first.RadioButton1 = false;
    first.RadioButton2 = true;
    EXPECT_EQ(Out("1.html"), PageOf(first));
    AuctionForm third;
    third.Edit2 = "b";
    EXPECT_EQ(Out("3.html"), BuildDocument(third, "77"));
    EXPECT_TRUE(Contains(ErrorsOfRow(4), "offers.jsonl:4: "));
    ASSERT_FALSE(progress_.empty());
    EXPECT_EQ(progress_.back().rowsTotal, 3U);
    EXPECT_EQ(progress_.back().rowsDone, 3U);
}

TEST_F(BatchTest, StopsWhenCancelledLeavingOnlyWholeFiles) {
    std::string csv = "plik;Edit2;Memo1\n";
    for (int i = 0; i < 100; ++i) {
        csv += "n" + std::to_string(i) + ";t" + std::to_string(i) + ";" + std::string(5000, 'x') +
               "\n";
    }
    std::atomic<bool> cancel{false};
    WriteBytes(dir_.File("offers.csv"), csv);
    BatchObserver observer;
    observer.progress = [&cancel](const BatchProgress& progress) {
        if (progress.rowsDone == 3) {
            cancel = true;
        }
    };
    observer.cancel = &cancel;
    BatchOptions options;
    options.outFolder = dir_.File("out");
    const auto summary = RunBatch(dir_.File("offers.csv"), template_, "", options, observer);
    EXPECT_TRUE(summary.cancelled);
    EXPECT_LT(summary.written, 50U);  // the rows being written when it was cancelled, at most
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.File("out"))) {
        const std::string name = entry.path().filename().string();
        ASSERT_TRUE(name.ends_with(".html")) << name;  // no temporary file left behind
        AuctionForm form;
        form.Edit2 = "t" + name.substr(1, name.size() - 6);
        form.Memo1 = std::string(5000, 'x');
        EXPECT_EQ(ReadBytes(entry.path().string()), BuildDocument(form, "")) << name;
        ++files;
    }
    EXPECT_EQ(files, summary.written);
    EXPECT_TRUE(summary.Line().ends_with(" 0 z błędami, 0 ostrzeżeń (przerwano)"))
        << summary.Line();
}

TEST_F(BatchTest, TheShippedExampleGoesThroughAndRowsAreToldInOrder) {
    BatchObserver observer;
    std::vector<std::size_t> rows;
    observer.warning = [&rows](const std::string& line) {
        const auto end = line.find(": ");
        rows.push_back(std::stoul(line.substr(line.rfind(':', end - 1) + 1)));
    };
    BatchOptions options;
    options.format = OutputFormat::Both;
    options.outFolder = dir_.File("out");
    const auto summary = RunBatch(LICYTEK_SOURCE_DIR "/instrukcja/przyklad-oferty.csv", template_,
                                  "", options, observer);
    EXPECT_EQ(summary.written, 3U);
    EXPECT_EQ(summary.failed, 0U);
    EXPECT_EQ(rows.size(), summary.warnings);
    EXPECT_TRUE(std::is_sorted(rows.begin(), rows.end()));
    EXPECT_EQ(rows.front(), 2U);
    EXPECT_EQ(rows.back(), 4U);
}

TEST(BatchInputTest, ChecksUtf8AcrossChunksAndFindsTheSeparator) {
    const std::string text = "zażółć \xF0\x9F\x98\x80";
    Utf8Check split;
    for (const char c : text) {
        split.Feed(std::string_view(&c, 1));
        EXPECT_TRUE(split.Valid(false));
    }
    EXPECT_TRUE(split.Valid(true));
    Utf8Check cut;
    cut.Feed("a\xC5");
    EXPECT_TRUE(cut.Valid(false));
    EXPECT_FALSE(cut.Valid(true));
    for (const std::string_view bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xB9"}) {
        Utf8Check check;
        check.Feed(bad);
        EXPECT_FALSE(check.Valid(true));
    }
    EXPECT_EQ(DetectSeparator("a;b;c\nx,y,z,w,v"), ';');
    EXPECT_EQ(DetectSeparator("\"a;b\",c,d"), ',');
    EXPECT_EQ(DetectSeparator("a\tb"), '\t');
    EXPECT_EQ(DetectSeparator("Edit2\n"), ';');
}

TEST(BatchSummaryTest, CountsInPolish) {
    BatchSummary summary;
    summary.written = 1;
    summary.warnings = 3;
    EXPECT_EQ(summary.Line(), "1 oferta zapisana, 0 z błędami, 3 ostrzeżenia");
    summary.written = 22;
    summary.failed = 2;
    summary.warnings = 12;
    EXPECT_EQ(summary.Line(), "22 oferty zapisane, 2 z błędami, 12 ostrzeżeń");
}

}  // namespace
}  // namespace licytek::batch
