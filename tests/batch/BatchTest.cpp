// Runs whole batches over small spreadsheets in a temporary folder and compares every page
// with what the generator (and the structured export) give for the same form.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <ctime>
#include <filesystem>
#include <set>

#include "batch/Batch.h"
#include "batch/Columns.h"
#include "batch/EncodingGuess.h"
#include "batch/InputText.h"
#include "generator/Document.h"
#include "model/FormFields.h"
#include "model/TerminalText.h"
#include "model/Text.h"
#include "structured/AllegroExport.h"
#include "support/ChildProcess.h"
#include "support/TempDir.h"

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
    form.auctionHeader =
        "Za\xBF\xF3\xB3\xE6 \"g\xEA\x9Cl\xB9\"; ja\x9F\xF1";  // Zażółć "gęślą"; jaźń
    form.itemDescription = "linia 1<br>\r\nlinia 2";
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
    form.auctionHeader = "\xC3\xB3";
    EXPECT_EQ(Out("b.html"), PageOf(form));
}

TEST_F(BatchTest, NamesColumnsByControlOrLabelInAnyCase) {
    const auto summary = Run("offers.csv",
                             "NAGŁÓWEK AUKCJI;memo1;Telefon;checkbox6;Układ;wejście NA strone\n"
                             "Rower;opis;600 100 200;tak;3;okrąg od środka\n");
    ASSERT_EQ(summary.written, 1U) << ::testing::PrintToString(errors_);
    AuctionForm form;
    form.auctionHeader = "Rower";
    form.itemDescription = "opis";
    form.phone = "600 100 200";
    form.aboutMeLink = true;
    form.layout1 = false;
    form.layout3 = true;
    form.pageEnterEffect = 5;
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
    template_.otherAuctionsLink = true;
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
        form.aboutMeLink = true;
        form.otherAuctionsLink = false;
        change(form);
        EXPECT_EQ(Out(name + ".html"), PageOf(form)) << name;
    };
    expect("on1", [](AuctionForm& f) { f.pageEnterEffect = 4; });
    expect("on2", [](AuctionForm& f) {
        f.pageEnterEffect = 17;  // the item ends in a blank nobody types
        f.colourStyle = 4;
        f.layout1 = false;
        f.layout8 = true;
    });
    expect("on3", [](AuctionForm& f) { f.colourStyle = 13; });
    expect("on4", [](AuctionForm& f) {
        f.pageEnterEffect = 6;
        f.otherAuctionsLink = true;  // an empty cell keeps the template's value
    });
    AuctionForm text = template_;
    text.phone = "a\r\nb";
    EXPECT_EQ(Out("text.html"), PageOf(text));
}

TEST_F(BatchTest, BadCellsFailTheirRowOnlyAndNameRowAndColumn) {
    const auto summary = Run("offers.csv",
                             "plik;Edit35;Dodaj gradient;ComboBox1;układ;rabat\n"
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
    // The right-click message goes into a script, where a reference would not stand for it.
    EXPECT_TRUE(Contains(ErrorsOfRow(6), "offers.csv:6:Edit35: znak „日”"));
    EXPECT_TRUE(Contains(ErrorsOfRow(7), "offers.csv:7:rabat: nieznana kolumna"));
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
    first.auctionHeader = "b";
    EXPECT_EQ(Out("new.html"), PageOf(first));  // the second row of that name wrote nothing

    BatchOptions overwrite;
    overwrite.overwrite = true;
    const auto replaced = Run("again.csv", "plik;Edit2\nold;a\n", overwrite);
    EXPECT_EQ(replaced.written, 1U);
    AuctionForm form;
    form.auctionHeader = "a";
    EXPECT_EQ(Out("old.html"), PageOf(form));
}

// The output folder may be shared: a link planted there, dangling or not, is never written
// through, with or without --overwrite, and only regular files are replaced.
TEST_F(BatchTest, PlantedLinksInTheOutputFolderAreRefused) {
    std::filesystem::create_directories(dir_.File("out/folder.html"));
    std::filesystem::create_directory(dir_.File("elsewhere"));
    WriteBytes(dir_.File("elsewhere/victim.html"), "victim");
    std::filesystem::create_symlink("../elsewhere/planted.html", dir_.File("out/dangling.html"));
    std::filesystem::create_symlink("../elsewhere/victim.html", dir_.File("out/linked.html"));
    for (const bool overwrite : {false, true}) {
        SCOPED_TRACE(overwrite);
        errors_.clear();
        BatchOptions options;
        options.overwrite = overwrite;
        const auto summary =
            Run("offers.csv", "plik;Edit2\ndangling;a\nlinked;b\nfolder;c\nfine;d\n", options);
        EXPECT_EQ(summary.written, 1U);
        EXPECT_EQ(summary.failed, 3U);
        EXPECT_TRUE(Contains(ErrorsOfRow(2), "dowiązanie symboliczne"));
        EXPECT_TRUE(Contains(ErrorsOfRow(3), "dowiązanie symboliczne"));
        EXPECT_TRUE(Contains(ErrorsOfRow(4), overwrite ? "nie jest zwykłym plikiem" : "istnieje"));
        EXPECT_FALSE(std::filesystem::exists(dir_.File("elsewhere/planted.html")));
        EXPECT_EQ(ReadBytes(dir_.File("elsewhere/victim.html")), "victim");
        EXPECT_TRUE(std::filesystem::is_symlink(dir_.File("out/linked.html")));
        std::filesystem::remove(dir_.File("out/fine.html"));
    }
}

// On FAT and exFAT sticks names that differ in letter case are one file: such rows are
// duplicates, Polish letters included, and the first of them keeps the name.
TEST_F(BatchTest, NamesDifferingOnlyInCaseAreDuplicates) {
    const auto summary =
        Run("offers.csv", "plik;Edit2\ndup;1\n DUP ;2\nDup;3\nżółw;4\nŻÓŁW;5\nżółwie;6\n");
    EXPECT_EQ(summary.written, 3U);
    EXPECT_EQ(summary.failed, 3U);
    EXPECT_TRUE(Contains(ErrorsOfRow(3), "wiersz 2"));
    EXPECT_TRUE(Contains(ErrorsOfRow(4), "wiersz 2"));
    EXPECT_TRUE(Contains(ErrorsOfRow(6), "wiersz 5"));
    // Only the duplicate is told, never the earlier row's file, whether written yet or not.
    EXPECT_FALSE(Contains(ErrorsOfRow(3) + ErrorsOfRow(4) + ErrorsOfRow(6), "już istnieje"));
    AuctionForm first;
    first.auctionHeader = "1";
    EXPECT_EQ(Out("dup.html"), PageOf(first));
    EXPECT_FALSE(Exists("DUP.html"));
}

// As nobody, for whom a read-only file stays read-only: under --overwrite a row whose second
// file cannot be written leaves its first file as it was; a folder that cannot be created
// says why; a hundred rows into a closed folder give twenty lines and a count.
TEST_F(BatchTest, FailuresAsAnotherUserLeaveTheFilesAndSayWhy) {
    const auto nobody = licytek::testing::Nobody();
    if (::geteuid() != 0 || !nobody) {
        GTEST_SKIP() << "needs root to set up files for the user nobody";
    }
    const std::string out = dir_.File("out");
    std::filesystem::create_directory(out);
    std::filesystem::create_directory(dir_.File("closed"));  // root's, closed to others
    WriteBytes(out + "/a.html", "old page");
    WriteBytes(out + "/a.allegro.json", "old json");
    for (const std::string& path :
         {dir_.Path().string(), out, out + "/a.html", out + "/a.allegro.json"}) {
        ASSERT_EQ(::chown(path.c_str(), nobody->uid, nobody->gid), 0);
    }
    ASSERT_EQ(::chmod((out + "/a.allegro.json").c_str(), 0444), 0);
    WriteBytes(dir_.File("offers.csv"), "plik;Edit2;Memo1\na;Rower;opis\n");
    std::string many = "plik;Edit2\n";
    for (int i = 0; i < 100; ++i) {
        many += "n" + std::to_string(i) + ";a\n";
    }
    WriteBytes(dir_.File("many.csv"), many);
    const auto end = licytek::testing::RunInChild(
        [&] { return licytek::testing::BecomeUser(*nobody); },
        [&] {
            std::string report;
            std::size_t lines = 0;
            BatchObserver observer;
            observer.rowError = [&](const std::string& line) {
                if (++lines == 1 || lines > 21) {
                    report += line.substr(line.find(": ") + 2) + "\n";
                }
            };
            BatchOptions options;
            options.format = OutputFormat::Both;
            options.overwrite = true;
            options.outFolder = out;
            RunBatch(dir_.File("offers.csv"), template_, "", options, observer);
            options = {};
            options.outFolder = dir_.File("closed/new");
            report += RunBatch(dir_.File("many.csv"), template_, "", options, {})
                          .fatal.value_or("created") +
                      "\n";
            options.outFolder = dir_.File("closed");
            RunBatch(dir_.File("many.csv"), template_, "", options, observer);
            return report;
        });
    ASSERT_NE(end.exitCode, licytek::testing::kChildCannotRun) << "cannot become nobody";
    EXPECT_EQ(end.report, "a.allegro.json: brak dostępu do pliku\n" + dir_.File("closed/new") +
                              ": nie można utworzyć folderu: brak uprawnień\n"
                              "… i jeszcze 80 takich samych błędów (plik: n0.html: brak dostępu "
                              "do pliku)\n");
    EXPECT_EQ(Out("a.html"), "old page");
    EXPECT_EQ(Out("a.allegro.json"), "old json");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out),
                            std::filesystem::directory_iterator()),
              2);
}

// A quote that never closes would take every later line into one cell: its row fails and
// the rows before it stand.
TEST_F(BatchTest, AnOpenQuoteFailsItsRowInsteadOfSwallowingTheFile) {
    const auto summary = Run("offers.csv", "plik;Edit2\nok;a\nq1;\"unterminated\nq2;b\nq3;c\n");
    EXPECT_EQ(summary.written, 1U);
    EXPECT_EQ(summary.failed, 1U);
    EXPECT_TRUE(Contains(ErrorsOfRow(3), "offers.csv:3: cudzysłów"));
    EXPECT_TRUE(Exists("ok.html"));
    EXPECT_FALSE(Exists("q1.html"));
    EXPECT_FALSE(Exists("q2.html"));
    ASSERT_FALSE(progress_.empty());
    EXPECT_EQ(progress_.back().rowsTotal, 2U);
    // The count comes before the first row, whose sending may wait long.
    EXPECT_EQ(progress_.front().rowsDone, 0U);
    EXPECT_EQ(progress_.front().rowsTotal, 2U);
    // A stray quote inside a cell is still text, as spreadsheet programs read it.
    EXPECT_EQ(Run("inch.csv", "plik;Edit2\ninch;12\" monitor\n").written, 1U);
}

// A UTF-8 file with one broken byte is refused where it breaks; without any UTF-8 letter
// it is a Windows-1250 file, as before.
TEST_F(BatchTest, AUtf8FileWithABrokenByteIsRefusedAtThatByte) {
    const auto broken =
        Run("offers.csv", "plik;Edit2;Memo1\na;Zażółć;x\nb;jaźń;ok\nc;ab\xC3x;\xC3\n");
    ASSERT_TRUE(broken.fatal);
    EXPECT_TRUE(Contains(*broken.fatal, "offers.csv:4:Edit2: "));
    EXPECT_TRUE(Contains(*broken.fatal, "0xC3 (znak 3."));
    EXPECT_TRUE(Contains(*broken.fatal, "--encoding"));
    EXPECT_EQ(broken.written + broken.failed, 0U);
    EXPECT_FALSE(Exists("a.html"));

    const auto cp1250 = Run("cp1250.csv", "plik;Edit2\nd;\xBF\xF3\xB3w\n");
    EXPECT_EQ(cp1250.written, 1U);
    // Told that it is UTF-8, only the row with the broken byte fails.
    BatchOptions told;
    told.encoding = InputEncoding::Utf8;
    const auto rows = Run("offers.csv", "plik;Edit2\ne;jaźń\nf;x\xC3\n", told);
    EXPECT_EQ(rows.written, 1U);
    EXPECT_EQ(rows.failed, 1U);
}

// Excel on a Polish Windows saves CSV in Windows-1250, where pairs of Polish capitals are
// well-formed UTF-8 by chance ("ÓŁ" is D3 A3): such a file is read as Windows-1250.
TEST_F(BatchTest, PolishCapitalsInWindows1250AreNotTakenForUtf8) {
    const auto summary =
        Run("a.csv", *Utf8ToCp1250("plik;Nagłówek aukcji;Opis przedmiotu\r\n"
                                   "polka;PÓŁKA RÓŻOWA, solidna;Półka z drewna.\r\n"));
    EXPECT_FALSE(summary.fatal) << *summary.fatal;
    EXPECT_EQ(summary.written, 1U);
    AuctionForm form;
    form.auctionHeader = "P\xD3\xA3KA R\xD3\xAFOWA, solidna";
    form.itemDescription = "P\xF3\xB3ka z drewna.";
    EXPECT_EQ(Out("polka.html"), PageOf(form));
}

double ThreadSeconds() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// The header's duplicate check is one look-up a column: sixteen times the columns take about
// sixteen times as long (a few times more as memory grows past the caches), where comparing
// each with every earlier one took 256 times as long.
TEST(BatchHeaderTest, ColumnsAreMappedInLinearTime) {
    const auto header = [](std::size_t columns) {
        std::vector<std::string> cells;
        for (std::size_t i = 0; i < columns; ++i) {
            cells.push_back(i % 2 == 0 ? "kolumna " + std::to_string(i) : "Edit2");
        }
        cells[1] = "plik";  // a different input each odd column would run out: one is enough
        for (std::size_t i = 3; i < columns; i += 2) {
            cells[i] = "c" + std::to_string(i);
        }
        return cells;
    };
    const auto fastest = [&](std::size_t columns) {
        const auto cells = header(columns);
        double best = 1e9;
        // Time on the processor, not on the clock: other programs on the machine don't count.
        for (int run = 0; run < 5; ++run) {
            const double start = ThreadSeconds();
            EXPECT_TRUE(std::holds_alternative<std::vector<Column>>(MapHeader(cells)));
            best = std::min(best, ThreadSeconds() - start);
        }
        return best;
    };
    const double small = fastest(2000);
    const double large = fastest(32000);
    EXPECT_LT(large / small, 64.0) << small << " s, then " << large << " s";

    // A duplicate far apart is still found, naming the first column.
    auto cells = header(1000);
    cells.push_back("PLIK");
    const auto twice = MapHeader(cells);
    ASSERT_TRUE(std::holds_alternative<HeaderProblem>(twice));
    EXPECT_EQ(std::get<HeaderProblem>(twice).column, 1000U);
    EXPECT_TRUE(Contains(std::get<HeaderProblem>(twice).message, "„plik”"));
}

// Input that could fool the terminal or the page: a zero byte is refused in a cell and in the
// header, control and bidirectional characters never reach an error line raw and cannot be
// in a file name.
TEST_F(BatchTest, HostileCharactersAreRefusedAndNeverShownRaw) {
    const auto summary = Run("offers.csv", std::string("plik;Edit35\nzero;a\0b\n", 21) +
                                               "ev\u202Elmth.exe;x\n"
                                               "esc\x1B[2J;x\n"
                                               "c1\u0085;x\n"
                                               "ok;\u2066\n");
    EXPECT_EQ(summary.written, 0U);
    EXPECT_EQ(summary.failed, 5U);
    EXPECT_TRUE(Contains(ErrorsOfRow(2), "offers.csv:2:Edit35: komórka zawiera bajt zerowy"));
    EXPECT_TRUE(Contains(ErrorsOfRow(3), "„evU+202Elmth.exe”"));
    EXPECT_TRUE(Contains(ErrorsOfRow(4), "„esc\\x1B[2J”"));
    EXPECT_TRUE(Contains(ErrorsOfRow(5), "„c1U+0085”"));
    // In a text that the page does not show as HTML text it is refused by Windows-1250, in
    // which the page is written, and shown so.
    EXPECT_TRUE(Contains(ErrorsOfRow(6), "U+2066"));
    for (const auto& line : errors_) {
        for (const std::string_view raw : {"\x1B", "\u202E", "\u2066", "\u0085"}) {
            EXPECT_EQ(line.find(raw), std::string::npos) << line;
        }
    }
    EXPECT_EQ(VisibleText("a\x7F\t\xC3(\u2069ż"), "a\\x7F\\x09\\xC3(U+2069ż");

    const auto header = Run("header.csv", std::string("plik;Ed\0it2\na;b\n", 16));
    ASSERT_TRUE(header.fatal);
    EXPECT_TRUE(Contains(*header.fatal, "header.csv:1:kolumna 2: komórka zawiera bajt zerowy"));
}

// Twenty errors of one kind are told; the rest are counted in one line.
TEST_F(BatchTest, IdenticalRowErrorsAreCollapsedAfterTwenty) {
    std::string csv = "plik;układ\n";
    for (int i = 0; i < 45; ++i) {
        csv += "n" + std::to_string(i) + ";9\n";
    }
    const auto summary = Run("offers.csv", csv + "n45;0\n");
    EXPECT_EQ(summary.failed, 46U);
    ASSERT_EQ(errors_.size(), 22U);
    EXPECT_TRUE(Contains(errors_[20], "offers.csv:47:układ: "));
    EXPECT_EQ(errors_[21],
              dir_.File("offers.csv") +
                  ": … i jeszcze 25 takich samych błędów (układ: układ to numer od 1 do 8, "
                  "nie „9”)");
}

TEST_F(BatchTest, WritesWhatRenderAndExportGiveForTheSameForm) {
    template_.pageBackground = "#123456";
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
    form.auctionHeader = "\xAF\xF3\xB3w";
    form.itemDescription = "<b>Opis</b><br>\r\n<img src=\"http://x.pl/a.jpg\">";
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
    first.auctionHeader = "\xAF\xF3\xB3w";
    first.layout1 = false;
    first.layout2 = true;
    EXPECT_EQ(Out("1.html"), PageOf(first));
    AuctionForm third;
    third.auctionHeader = "b";
    EXPECT_EQ(Out("3.html"), BuildDocument(third, "77"));
    EXPECT_TRUE(Contains(ErrorsOfRow(4), "offers.jsonl:4: "));
    ASSERT_FALSE(progress_.empty());
    EXPECT_EQ(progress_.back().rowsTotal, 3U);
    EXPECT_EQ(progress_.back().rowsDone, 3U);
    EXPECT_EQ(progress_.front().rowsDone, 0U);
    EXPECT_EQ(progress_.front().rowsTotal, 3U);
}

// The batch's messages are Polish; a bad JSON line is told in Polish too, naming its key or
// where the JSON breaks, and the good lines around it are still written.
TEST_F(BatchTest, TellsWhatIsWrongWithAJsonLineInPolish) {
    const auto summary = Run("offers.jsonl",
                             "{\"Edit2\": 5}\n"
                             "{\"ComboBox1\": 26}\n"
                             "{\"RadioButton1\": true, \"RadioButton3\": true}\n"
                             "{\"Edit2\": \"a\\u0000b\"}\n"
                             "{\"Edit35\": \"ab☺\"}\n"
                             "{\"Edit2\": \"a\", \"Edit2\": \"b\"}\n"
                             "{\"Cena\": \"5\"}\n"
                             "[1]\n"
                             "{\"Edit2\": tru}\n"
                             "{\"CheckBox1\": 1e999}\n"
                             "{\"Edit2\": \"dobry\"}\n");
    EXPECT_EQ(summary.written, 1U);
    EXPECT_EQ(summary.failed, 10U);
    const std::vector<std::string> expected = {
        "Edit2: ma być tekstem w cudzysłowie, nie liczbą 5",
        "ComboBox1: 26 to nie pozycja tej listy: wpisz numer od 0 do 25 (-1 to żadna)",
        "RadioButton1, RadioButton3: tylko jedno z pól RadioButton1",
        "Edit2: zawiera znak zerowy (znak nr 2)",
        "Edit35: znak U+263A (znak nr 3) nie istnieje w Windows-1250",
        "\"Edit2\": klucz podany więcej niż raz",
        "nieznany klucz \"Cena\": klucze to nazwy pól (Edit2, Memo1…), „plik”, „oferta”",
        "formularz JSON ma być obiektem {…} z nazwami pól, nie listą […]",
        "błędny JSON (wiersz 1, kolumna 14): sprawdź",
        "\"CheckBox1\": liczba jest za duża",
    };
    for (std::size_t row = 1; row <= expected.size(); ++row) {
        const std::string told = ErrorsOfRow(row);
        EXPECT_TRUE(
            Contains(told, "offers.jsonl:" + std::to_string(row) + ": " + expected[row - 1]))
            << told;
        EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;  // one line
    }
    EXPECT_TRUE(Exists("11.html"));
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
    // At most the rows told and those in flight when it was cancelled: 16 being written and
    // 32 waiting, which may all have finished before the slow third row was told.
    EXPECT_LE(summary.written, 3U + 16U + 32U + 1U);
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.File("out"))) {
        const std::string name = entry.path().filename().string();
        ASSERT_TRUE(name.ends_with(".html")) << name;  // no temporary file left behind
        AuctionForm form;
        form.auctionHeader = "t" + name.substr(1, name.size() - 6);
        form.itemDescription = std::string(5000, 'x');
        EXPECT_EQ(ReadBytes(entry.path().string()), BuildDocument(form, "")) << name;
        ++files;
    }
    EXPECT_EQ(files, summary.written);
    EXPECT_TRUE(summary.Line().ends_with(" 0 z błędami, 0 ostrzeżeń (przerwano)"))
        << summary.Line();

    // A cancel that comes while the file is first looked at writes nothing at all.
    std::filesystem::remove_all(dir_.File("out"));
    const auto early = RunBatch(dir_.File("offers.csv"), template_, "", options, observer);
    EXPECT_TRUE(early.cancelled);
    EXPECT_EQ(early.written + early.failed, 0U);
    EXPECT_TRUE(std::filesystem::is_empty(dir_.File("out")));
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
    EncodingGuess split;
    for (const char c : text) {
        split.Feed(std::string_view(&c, 1));
        EXPECT_EQ(split.Verdict(false), GuessedEncoding::Utf8);
    }
    EXPECT_EQ(split.Verdict(true), GuessedEncoding::Utf8);
    EncodingGuess cut;
    cut.Feed("zażółć \xC5");
    EXPECT_EQ(cut.Verdict(false), GuessedEncoding::Utf8);
    EXPECT_EQ(cut.Verdict(true), GuessedEncoding::BrokenUtf8);
    for (const std::string_view bad : {"\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xB9"}) {
        EXPECT_EQ(GuessEncoding("zażółć " + std::string(bad)), GuessedEncoding::BrokenUtf8);
    }
    // Past a broken byte the guess still sees well-formed letters, even in the next chunk.
    EncodingGuess mixed;
    mixed.Feed("a\xC3x");
    mixed.Feed(" \xC5");
    EXPECT_EQ(mixed.Verdict(false), GuessedEncoding::Cp1250);
    mixed.Feed("\xBC");
    EXPECT_EQ(mixed.Verdict(true), GuessedEncoding::BrokenUtf8);
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
