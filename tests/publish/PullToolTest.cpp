// licytek-cli allegro pull against the fake Allegro: one offer into a form or a project file,
// every offer into a sheet, and the sheet read back by the batch into the same descriptions.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

#include "ToolFixture.h"
#include "structured/Description.h"

namespace licytek::testing {
namespace {

using structured::Description;
using structured::Item;
using structured::ItemType;
using structured::Section;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Texts in the export's own spelling: escapes, quotes and ';' for the CSV, text outside
// Windows-1250, and paragraph starts that look like typed list lines.
const std::vector<std::string> kTexts = {
    "Rower",          "zażółć gęślą jaźń", "a &amp; b &lt;c&gt;", "cudzysłów \"x\"; średnik",
    "✔ gotowe 😀",     "Привет 中文",       "- myślnik",           "1. numer",
    "cena 10 zł; 5%", "€ i „cytat”"};

// Descriptions Allegro accepts, of every arrangement and element, from a fixed seed.
class Offers {
  public:
    Description Next() {
        static const std::vector<std::string> kArrangements = {"T", "I", "TI", "IT", "II"};
        Description description;
        for (std::size_t s = 0, n = 1 + Pick(4); s < n; ++s) {
            description.sections.emplace_back();
            for (const char type : kArrangements[Pick(kArrangements.size())]) {
                description.sections.back().items.push_back(
                    type == 'I' ? Item{ItemType::Image, "https://a.allegroimg.com/original/" +
                                                            std::to_string(++pictures_) + ".jpg"}
                                : Item{ItemType::Text, TextItem()});
            }
        }
        return description;
    }

  private:
    std::size_t Pick(std::size_t n) { return random_() % n; }
    std::string Text() { return kTexts[Pick(kTexts.size())]; }
    std::string Runs() { return Pick(2) == 0 ? Text() : Text() + " <b>" + Text() + "</b>"; }
    std::string TextItem() {
        static const std::vector<std::string> kBlocks = {"h1", "h2", "p", "ul", "ol"};
        std::string item;
        for (std::size_t i = 0, n = 1 + Pick(4); i < n; ++i) {
            const std::string& tag = kBlocks[Pick(kBlocks.size())];
            const std::string inner = tag.starts_with('h') ? Text()
                                      : tag == "p"
                                          ? Runs()
                                          : "<li>" + Runs() + "</li><li><b>" + Text() + "</b></li>";
            item += "<" + tag + ">" + inner + "</" + tag + ">";
        }
        return item;
    }

    std::mt19937 random_{2020};
    int pictures_ = 0;
};

bool HasPicture(const Description& description) {
    for (const Section& section : description.sections) {
        for (const Item& item : section.items) {
            if (item.type == ItemType::Image) {
                return true;
            }
        }
    }
    return false;
}

struct FakeOffer {
    std::string id;
    std::string name;
    Description description;
};

class PullToolTest : public AllegroToolTest {
  protected:
    // Lists `offers` in pages of 100 and answers each one's GET (an offer without sections
    // is listed but not found).
    void Serve(const std::vector<FakeOffer>& offers) {
        ServeList(offers);
        for (const FakeOffer& offer : offers) {
            if (offer.description.sections.empty()) {
                continue;
            }
            fake.Script("GET", "/sale/product-offers/" + offer.id,
                        {200,
                         OfferJson(offer.id, offer.name, {},
                                   structured::DescriptionToJson(offer.description)),
                         {},
                         false});
        }
    }
    void ServeList(const std::vector<FakeOffer>& offers) {
        for (std::size_t start = 0; start < offers.size(); start += 100) {
            nlohmann::json page{{"offers", nlohmann::json::array()}, {"totalCount", offers.size()}};
            for (std::size_t i = start; i < std::min(offers.size(), start + 100); ++i) {
                page["offers"].push_back({{"id", offers[i].id},
                                          {"name", offers[i].name},
                                          {"publication", {{"status", "ACTIVE"}}}});
            }
            fake.Script("GET", "/sale/offers", {200, page.dump(), {}, false});
        }
    }
    ToolRunOptions InFolder() const {
        ToolRunOptions options;
        options.workingDirectory = folder.Path();
        return options;
    }
};

TEST_F(PullToolTest, OneOfferBecomesTheFormOrAProjectFileAndNothingIsCut) {
    SignIn();
    Offers generator;
    const Description description = generator.Next();
    // 6,000 emoji fit Allegro's 40,000 bytes, but as &#128512; they need 54,032 bytes of the
    // description's 52,001 in the project file (with the first line that keeps the title
    // heading out).
    std::string emoji;
    for (int i = 0; i < 6000; ++i) {
        emoji += "😀";
    }
    Serve(
        {{"700", "Rower górski ✔", description},
         {"701", "Rower górski", description},
         {"702", "Emotki", Description{{Section{{Item{ItemType::Text, "<p>" + emoji + "</p>"}}}}}},
         {"703", "Długi opis",
          Description{
              {Section{{Item{ItemType::Text, "<p>" + std::string(33000, 'x') + "</p>"}}}}}}});

    // A title with a character that Windows-1250 cannot hold keeps it as a reference.
    const ToolRun referenced = RunTool({"allegro", "pull", "700"});
    ASSERT_EQ(referenced.status, 0) << referenced.err;
    EXPECT_EQ(nlohmann::json::parse(referenced.out)["Edit2"], "Rower górski &#10004;");

    const ToolRun printed = RunTool({"allegro", "pull", "701"});
    ASSERT_EQ(printed.status, 0) << printed.err;
    const ToolRun saved = RunTool({"allegro", "pull", "701", "--project", "p.ltk"}, InFolder());
    ASSERT_EQ(saved.status, 0) << saved.err;
    const ToolRun loaded = RunTool({"project", "load", (folder.Path() / "p.ltk").string()});
    ASSERT_EQ(loaded.status, 0) << loaded.err;
    EXPECT_EQ(printed.out, loaded.out);
    const auto form = nlohmann::json::parse(printed.out);
    EXPECT_EQ(form["Edit2"], "Rower górski");
    EXPECT_EQ(form["Edit1"], "");

    const ToolRun tooLong = RunTool({"allegro", "pull", "702", "--project", "q.ltk"}, InFolder());
    EXPECT_EQ(tooLong.status, 1);
    EXPECT_NE(tooLong.err.find("Oferta 702: Memo1"), std::string::npos) << tooLong.err;
    EXPECT_FALSE(std::filesystem::exists(folder.Path() / "q.ltk"));
    const ToolRun asJson = RunTool({"allegro", "pull", "702"});
    ASSERT_EQ(asJson.status, 0) << asJson.err;
    EXPECT_EQ(nlohmann::json::parse(asJson.out)["Memo1"].get<std::string>().size(), 54032u);
    // A sheet holds the emoji as themselves; a longer cell holds it too, but Excel would cut
    // it at 32,767 characters.
    const ToolRun sheet = RunTool({"allegro", "pull", "--all", "--out", "e.csv"}, InFolder());
    EXPECT_EQ(sheet.status, 0) << sheet.err;
    EXPECT_NE(ReadFile(folder.Path() / "e.csv").find("<p>" + emoji + "</p>"), std::string::npos);
    EXPECT_EQ(sheet.err.find("Oferta 702: opis ma"), std::string::npos) << sheet.err;
    EXPECT_NE(sheet.err.find("warning: Oferta 703: opis ma 33 029 znaków"), std::string::npos)
        << sheet.err;
}

TEST_F(PullToolTest, EveryOfferGoesIntoASheetThatTheBatchTurnsBackIntoItsDescription) {
    SignIn();
    Offers generator;
    std::vector<FakeOffer> offers;
    const std::vector<std::string> titles = {"Rower górski 26\"", "ROWER GÓRSKI 26", "CON", "»«",
                                             "Kask; rozmiar L",   "Zażółć & gęślą"};
    for (std::size_t i = 0; i < 130; ++i) {
        const std::string name =
            i < titles.size() ? titles[i] : "Oferta nr " + std::to_string(i % 97);
        offers.push_back({std::to_string(1000 + i), name, generator.Next()});
    }
    offers[7].name = "Rower \u0085";     // a title no page can carry: &#133; reads as "…"
    offers[10].name = "Płytki 30 m² ½";  // held as references, written as characters
    offers[8].description = {};          // gone
    // A 429 is waited out (Retry-After 0 here) and the offer is read again.
    fake.Script("GET", "/sale/product-offers/1009", {429, "{}", {{"Retry-After", "0"}}, false});
    Serve(offers);

    const ToolRun csv = RunTool(
        {"allegro", "pull", "--all", "--status", "active", "--out", "oferty.csv"}, InFolder());
    EXPECT_EQ(csv.status, 1) << csv.err;
    EXPECT_EQ(csv.out, "128 ofert zapisanych w pliku oferty.csv, 2 z błędami\n");
    EXPECT_NE(csv.err.find("Oferta 1007: "), std::string::npos) << csv.err;
    EXPECT_NE(csv.err.find("Oferta 1008 nie istnieje"), std::string::npos) << csv.err;
    EXPECT_NE(csv.err.find("130 z 130 ofert"), std::string::npos) << csv.err;
    const auto lists = fake.Requests("GET", "/sale/offers");
    ASSERT_EQ(lists.size(), 2u);
    EXPECT_EQ(lists[1].Param("offset"), "100");
    EXPECT_EQ(lists[1].Param("publication.status"), "ACTIVE");
    EXPECT_EQ(fake.Requests("GET", "/sale/product-offers/1009").size(), 2u);

    const std::string sheet = ReadFile(folder.Path() / "oferty.csv");
    ASSERT_TRUE(sheet.starts_with("\xEF\xBB\xBFplik;oferta;Nagłówek aukcji;Opis przedmiotu\r\n"))
        << sheet.substr(0, 80);

    // The same offers as JSON lines: the cells that any CSV reader must find.
    ServeList(offers);
    const ToolRun jsonl =
        RunTool({"allegro", "pull", "--all", "--out", "oferty.jsonl"}, InFolder());
    EXPECT_EQ(jsonl.status, 1) << jsonl.err;
    std::vector<std::vector<std::string>> cells;
    std::map<std::string, std::string> fileOf;
    std::istringstream lines(ReadFile(folder.Path() / "oferty.jsonl"));
    for (std::string line; std::getline(lines, line);) {
        const auto row = nlohmann::json::parse(line);
        std::string description = row["Memo1"];
        std::erase(description, '\r');
        cells.push_back({row["plik"], row["oferta"], row["Edit2"], description});
        fileOf[row["oferta"]] = row["plik"];
    }
    ASSERT_EQ(cells.size(), 128u);
    EXPECT_EQ(fileOf["1000"], "rower-gorski-26");
    EXPECT_EQ(fileOf["1001"], "rower-gorski-26-2");
    EXPECT_EQ(fileOf["1002"], "con-2");
    EXPECT_EQ(fileOf["1003"], "oferta");
    EXPECT_EQ(fileOf["1004"], "kask-rozmiar-l");
    EXPECT_EQ(fileOf["1005"], "zazolc-gesla");
    EXPECT_EQ(fileOf["1009"], "oferta-nr-9");
    EXPECT_EQ(fileOf["1106"], "oferta-nr-9-2");
    EXPECT_EQ(cells[8][2], "Płytki 30 m² ½");  // 1007 and 1008 are not in the sheet
    EXPECT_NE(ReadFile(folder.Path() / "oferty.csv").find(";Płytki 30 m² ½;"), std::string::npos);

    if (std::system("python3 -c 'import csv' >/dev/null 2>&1") == 0) {
        std::ofstream(folder.Path() / "read.py")
            << "import csv, json\n"
               "with open('oferty.csv', encoding='utf-8-sig', newline='') as f:\n"
               "    rows = list(csv.reader(f, delimiter=';'))\n"
               "with open('rows.json', 'w', encoding='utf-8') as f:\n"
               "    json.dump(rows, f)\n";
        const std::string command = "cd '" + folder.Path().string() + "' && python3 read.py";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const auto rows = nlohmann::json::parse(ReadFile(folder.Path() / "rows.json"));
        ASSERT_EQ(rows.size(), cells.size() + 1);
        for (std::size_t i = 0; i < cells.size(); ++i) {
            EXPECT_EQ(rows[i + 1].get<std::vector<std::string>>(), cells[i]) << "row " << i + 2;
        }
    }

    // Sent back unchanged, the sheet gives every offer its own description again, with no
    // heading it did not have: a dry run of `batch --publish` says "bez zmian" for an offer
    // without pictures, and for the others (whose galleries lack them here) writes the body
    // each would get.
    const ToolRun batch = RunTool(
        {"batch", "--publish", "--dry-run", "--format", "allegro", "oferty.csv", "--out", "opisy"},
        InFolder());
    ASSERT_EQ(batch.status, 0) << batch.err;
    std::size_t unchanged = 0;
    for (const FakeOffer& offer : offers) {
        if (!fileOf.contains(offer.id)) {
            continue;
        }
        const auto update = folder.Path() / "opisy" / (fileOf[offer.id] + ".allegro-update.json");
        if (!HasPicture(offer.description)) {
            ++unchanged;
            EXPECT_FALSE(std::filesystem::exists(update)) << offer.id;
            EXPECT_NE(batch.err.find(": oferta " + offer.id + ": bez zmian\n"), std::string::npos)
                << offer.id;
            continue;
        }
        const auto written = nlohmann::json::parse(ReadFile(update));
        EXPECT_EQ(written["description"],
                  nlohmann::json::parse(structured::DescriptionToJson(offer.description)))
            << offer.id;
    }
    EXPECT_GT(unchanged, 0u);
    EXPECT_NE(batch.err.find(", " + std::to_string(unchanged) + " bez zmian, 0 z błędami"),
              std::string::npos)
        << batch.err;
}

}  // namespace

// The offers are read several at once, and a slow one keeps its place in the sheet.
TEST_F(PullToolTest, OffersReadAtOnceAreWrittenInTheListsOrder) {
    SignIn();
    Offers generator;
    std::vector<FakeOffer> offers;
    for (int i = 0; i < 6; ++i) {
        offers.push_back(
            {std::to_string(2000 + i), "Oferta " + std::to_string(i), generator.Next()});
    }
    const Description slow = offers[0].description;
    offers[0].description = {};  // scripted here, slower than the rest
    Serve(offers);
    fake.Script("GET", "/sale/product-offers/2000",
                {200,
                 OfferJson("2000", "Oferta 0", {}, structured::DescriptionToJson(slow)),
                 {},
                 false,
                 400});
    const ToolRun run = RunTool({"allegro", "pull", "--all", "--out", "o.jsonl"}, InFolder());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_GT(fake.MostAtOnce(), 1);
    std::vector<std::string> ids;
    std::istringstream lines(ReadFile(folder.Path() / "o.jsonl"));
    for (std::string line; std::getline(lines, line);) {
        ids.push_back(nlohmann::json::parse(line)["oferta"]);
    }
    EXPECT_EQ(ids, (std::vector<std::string>{"2000", "2001", "2002", "2003", "2004", "2005"}));
}

}  // namespace licytek::testing
