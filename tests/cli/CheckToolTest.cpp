// Runs the built licytek-cli's check on pages from the real generator and on hand-written
// pages in both encodings.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "ToolProcess.h"
#include "generator/Document.h"
#include "support/TempDir.h"

namespace licytek {
namespace {

using testing::Lines;
using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;

class CheckToolTest : public ::testing::Test {
  protected:
    ToolRun Check(const std::vector<std::string>& args, std::string page = "") {
        std::vector<std::string> full = {"check"};
        full.insert(full.end(), args.begin(), args.end());
        return RunTool(full, {std::move(page), directory_.Path(), std::nullopt});
    }
    ToolRun CheckFile(std::string_view bytes, const std::vector<std::string>& options = {}) {
        std::ofstream(directory_.Path() / "strona.html", std::ios::binary) << bytes;
        std::vector<std::string> args = options;
        args.push_back("strona.html");
        return Check(args);
    }

  private:
    TempDir directory_;
};

// Each line's start, up to the first "„" (the name of the attribute) or ":" after the
// target's name, so that the places can be compared without the whole wording.
std::vector<std::string> Places(const std::string& out) {
    std::vector<std::string> places;
    for (const std::string& line : Lines(out)) {
        const std::size_t target = line.find(": ", line.find(": ") + 2);
        const std::size_t end = line.find_first_of("\xE2:", target + 2);
        places.push_back(line.substr(0, end));
    }
    return places;
}

TEST_F(CheckToolTest, LockedPageHasItsScriptsAndBodyEventsReportedWhereTheyStand) {
    AuctionForm form;
    form.rightClickLock = true;   // the right-click lock: a script
    form.descriptionLock = true;  // the description lock: event attributes on body and a script
    form.itemDescription =
        "Opis\r\n\t\xBF\xF3\xB3w <script>x()</script>";  // "żółw" in Windows-1250
    const ToolRun run = CheckFile(BuildDocument(form, ""), {"--for", "ebay"});
    EXPECT_EQ(run.status, 1) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(Places(run.out), (std::vector<std::string>{
                                   "1:1: ebay: uwaga",
                                   "1:91: ebay: atrybut ",
                                   "1:101: ebay: atrybut ",
                                   "1:130: ebay: atrybut ",
                                   "1:159: ebay: atrybut ",
                                   "1:182: ebay: element <script>",
                                   "1:273: ebay: element <script>",
                                   "2:7: ebay: element <script>",
                                   "B\u0142\u0119d\u00F3w: 7, ostrze\u017Ce\u0144: 1.",
                               }));
    const auto lines = Lines(run.out);
    for (const std::string_view event : {"onload", "oncontextmenu", "onselectstart", "oncopy"}) {
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find("\u201E" + std::string(event) + "\u201D w <body>") !=
                   std::string::npos;
        })) << event;
    }
}

TEST_F(CheckToolTest, PageThatSitesTakeEndsWithZeroAndOnlyItsCount) {
    const std::string clean = "<h1>Rower</h1>\n<p>Prawie <b>nowy</b></p><ul><li>rama</li></ul>";
    ToolRun run = Check({"--for", "allegro"}, clean);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "B\u0142\u0119d\u00F3w: 0, ostrze\u017Ce\u0144: 0.\n");
    // The mobile description missing is only a warning.
    run = Check({"--for=ebay", "-"}, clean);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Places(run.out),
              (std::vector<std::string>{"1:1: ebay: uwaga",
                                        "B\u0142\u0119d\u00F3w: 0, ostrze\u017Ce\u0144: 1."}));
    // Both sites by default: the attribute is refused by Allegro only.
    run = Check({}, clean + "<p title=x>");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Places(run.out)[1], "2:51: allegro: atrybut ");
}

TEST_F(CheckToolTest, ColumnsCountCharactersInEitherEncoding) {
    // UTF-8 (with a byte-order mark, which is no character): "żółw" is four characters.
    const std::string utf8 = "\xEF\xBB\xBF<p>\xC5\xBC\xC3\xB3\xC5\x82w\t<i>x</i>";
    EXPECT_EQ(Places(CheckFile(utf8, {"--for", "allegro"}).out)[0], "1:9: allegro: element <i>");
    // The same in Windows-1250, which is not valid UTF-8; the address comes out as UTF-8.
    const std::string cp1250 = "<p>\xBF\xF3\xB3w\t<img src=\"http://a.pl/\xBF\xF3\xB3w.jpg\">";
    const ToolRun run = CheckFile(cp1250, {"--for", "ebay"});
    EXPECT_EQ(Places(run.out)[1], "1:14: ebay: adres ");
    EXPECT_NE(run.out.find("http://a.pl/\xC5\xBC\xC3\xB3\xC5\x82w.jpg"), std::string::npos);
}

TEST_F(CheckToolTest, WrongUsageAndMissingPagesAreFailures) {
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string_view part;
    };
    const Case cases[] = {
        {{"--for", "amazon"}, 2, "nieznany cel amazon"},
        {{"--for"}, 2, "opcja --for wymaga"},
        {{"--strict"}, 2, "nieznana opcja --strict"},
        {{"a.html", "b.html"}, 2, "więcej niż jedna strona"},
        {{"brak.html"}, 1, "brak.html"},
    };
    for (const Case& c : cases) {
        const ToolRun run = Check(c.args);
        EXPECT_EQ(run.status, c.status) << c.part;
        EXPECT_EQ(run.out, "") << c.part;
        EXPECT_NE(run.err.find(c.part), std::string::npos) << run.err;
    }
    // A file that is no text at all, and a page past the parser's limits.
    for (const std::string& bytes : {std::string("<p>a\0b</p>", 10), std::string(200, '\x01')}) {
        const ToolRun binary = CheckFile(bytes);
        EXPECT_EQ(binary.status, 2);
        EXPECT_EQ(binary.out, "");
        EXPECT_NE(binary.err.find("strona.html: to nie jest strona HTML"), std::string::npos)
            << binary.err;
    }
    std::string deep;
    for (int i = 0; i < 1001; ++i) {
        deep += "<div>";
    }
    const ToolRun refused = CheckFile(deep);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("Strona ma znaczniki zagnieżdżone głębiej niż 1 000 poziomów"),
              std::string::npos)
        << refused.err;
    const ToolRun help = Check({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.starts_with("Usage: licytek-cli check")) << help.out;
}

}  // namespace
}  // namespace licytek
