// Runs `licytek-cli export allegro` end to end: the offer on standard output, a line per
// finding on standard error, and the exit statuses.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "ToolProcess.h"
#include "structured/Description.h"
#include "support/TempDir.h"

namespace licytek {
namespace {

using testing::Lines;
using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;

class ExportToolTest : public ::testing::Test {
  protected:
    ToolRun Run(const std::vector<std::string>& args, std::string input = "") {
        return RunTool(args, {std::move(input), directory_.Path(), std::nullopt});
    }
    void WriteFile(const std::string& name, std::string_view bytes) const {
        std::ofstream(directory_.Path() / name, std::ios::binary) << bytes;
    }

  private:
    TempDir directory_;
};

TEST_F(ExportToolTest, PrintsTheOfferAsOneUtf8JsonObject) {
    const ToolRun run = Run({"export", "allegro"}, R"({"Edit2": "Rower", "Memo1": "Opis"})");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, R"({"name":"Rower","images":[],"description":{"sections":[{"items":[)"
                       R"({"type":"TEXT","content":"<h1>Rower</h1><p>Opis</p>"}]}]}})"
                       "\n");

    WriteFile("form.json", R"({"Edit2": "Żółw & syn", "Memo1": "<img src=https://x/1.jpg>"})");
    const ToolRun fromFile = Run({"export", "allegro", "form.json"});
    ASSERT_EQ(fromFile.status, 0) << fromFile.err;
    const auto offer = nlohmann::json::parse(fromFile.out);
    EXPECT_EQ(offer["name"], "Żółw & syn");
    EXPECT_EQ(offer["images"], nlohmann::json::array({"https://x/1.jpg"}));
    EXPECT_TRUE(structured::ValidateDescriptionJson(offer["description"].dump()).empty());
}

TEST_F(ExportToolTest, WarnsOnStandardErrorAndPrintsThePasteTextWithTerms) {
    const std::string form = R"({"Edit2": "Rower", "Edit3": "600 100 200",
        "Memo1": "Opis <a href=\"http://sklep.pl\">sklep</a><img src=\"http://x/1.jpg\">",
        "Memo2": "Zwrot w 14 dni", "Edit6": "Poczta 10 zł"})";
    const ToolRun run = Run({"export", "allegro", "--with-terms", "--html", "-"}, form);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "<!-- sekcja 1 -->\n<h1>Rower</h1>\n<p>Opis sklep</p>\n"
              "<!-- sekcja 2 -->\n<h2>Regulamin aukcji</h2>\n<p>Zwrot w 14 dni</p>\n"
              "<!-- sekcja 3 -->\n<h2>Koszty przesyłki</h2>\n<ul><li>Poczta 10 zł</li></ul>\n"
              "\n1. http://x/1.jpg (sekcja 1)\n");
    const auto lines = Lines(run.err);
    ASSERT_EQ(lines.size(), 3u) << run.err;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.rfind("licytek-cli: uwaga: ", 0), 0u) << line;
    }
    // Each input named by its label in the window, never by its control name.
    EXPECT_NE(run.err.find("uwaga: Opis przedmiotu: Zdjęcie „http://x/1.jpg”"), std::string::npos);
    // A warning whose message names its input itself does not name it twice.
    EXPECT_NE(run.err.find("uwaga: Telefon nie trafia do opisu"), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("Telefon: Telefon"), std::string::npos) << run.err;

    // Without the option the terms and the shipping are reported as left out.
    const ToolRun withoutTerms = Run({"export", "allegro"}, form);
    EXPECT_NE(withoutTerms.err.find("uwaga: Regulamin aukcji nie trafia do opisu"),
              std::string::npos);
    EXPECT_NE(withoutTerms.err.find("uwaga: Koszty przesyłki nie trafiają do opisu"),
              std::string::npos);
    EXPECT_EQ(withoutTerms.err.find("Edit"), std::string::npos) << withoutTerms.err;
}

TEST_F(ExportToolTest, ARefusedDescriptionNamesEachBrokenLimitAndPrintsNothing) {
    const ToolRun run =
        Run({"export", "allegro"}, R"({"Edit2": ")" + std::string(82, 'x') +
                                       R"(", "Memo1": "<img src=\"zdjecie.jpg\">"})");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("licytek-cli: błąd: Nagłówek aukcji: Tytuł oferty ma 82 znaki "),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("licytek-cli: błąd: Opis przedmiotu: Zdjęcie „zdjecie.jpg”"),
              std::string::npos);
}

TEST_F(ExportToolTest, ReadsAProjectAndRefusesWrongUsageAndInput) {
    WriteFile("form.json", R"({"Edit2": "Z projektu", "Memo1": "Opis"})");
    ASSERT_EQ(Run({"project", "save", "form.json", "p.ltk"}).status, 0);
    const ToolRun project = Run({"export", "allegro", "--project", "p.ltk"});
    EXPECT_EQ(project.status, 0) << project.err;
    EXPECT_NE(project.out.find("<h1>Z projektu</h1><p>Opis</p>"), std::string::npos);

    for (const auto& args :
         std::vector<std::vector<std::string>>{{"export"},
                                               {"export", "ebay"},
                                               {"export", "allegro", "--wide"},
                                               {"export", "allegro", "a.json", "b.json"}}) {
        const ToolRun run = Run(args, "{}");
        EXPECT_EQ(run.status, 2) << args.back();
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(Run({"export", "allegro"}, "{\"Memo1\": ").status, 2);
    // A link's address refuses what Windows-1250 lacks; the description holds it as a
    // reference, which the export turns back.
    EXPECT_EQ(Run({"export", "allegro"}, "{\"Edit26\": \"\xE2\x82\xAC\xE2\x98\x83\"}").status, 2);
    const ToolRun snowman = Run({"export", "allegro"}, "{\"Memo1\": \"\xE2\x82\xAC\xE2\x98\x83\"}");
    EXPECT_EQ(snowman.status, 0) << snowman.err;
    EXPECT_NE(snowman.out.find("<p>\xE2\x82\xAC\xE2\x98\x83</p>"), std::string::npos)
        << snowman.out;
    EXPECT_EQ(Run({"export", "allegro", "missing.json"}).status, 1);

    const ToolRun help = Run({"export", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--with-terms"), std::string::npos);
    EXPECT_NE(Run({"--help"}).out.find("export allegro"), std::string::npos);
}

}  // namespace
}  // namespace licytek
