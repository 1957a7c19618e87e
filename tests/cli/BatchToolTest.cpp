// Runs the built licytek-cli's batch and checks that every page it writes is byte for byte
// what its render command gives for the template with the row's values applied.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "ToolProcess.h"
#include "support/TempDir.h"

namespace licytek {
namespace {

using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;

class BatchToolTest : public ::testing::Test {
  protected:
    ToolRun Run(const std::vector<std::string>& args) {
        return RunTool(args, {"", directory_.Path(), std::nullopt});
    }
    // Standard output of a successful run.
    std::string Output(const std::vector<std::string>& args) {
        const ToolRun run = Run(args);
        EXPECT_EQ(run.status, 0) << run.err;
        return run.out;
    }
    void WriteFile(const std::string& name, std::string_view bytes) const {
        std::ofstream(directory_.Path() / name, std::ios::binary) << bytes;
    }
    std::string ReadFile(const std::string& name) const {
        std::ifstream file(directory_.Path() / name, std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }
    bool Exists(const std::string& name) const {
        return std::filesystem::exists(directory_.Path() / name);
    }

  private:
    TempDir directory_;
};

constexpr std::string_view kTemplate =
    R"({"Edit14": "#FFEEDD", "Edit5": "12 3456", "CheckBox6": true, "SellerId": "sprzedawca"})";

TEST_F(BatchToolTest, WritesThePagesRenderGivesAndReportsTheBadRow) {
    WriteFile("template.json", kTemplate);
    ASSERT_EQ(Run({"project", "save", "template.json", "template.ltk"}).status, 0);
    WriteFile("offers.csv",
              "\xEF\xBB\xBFplik;Nagłówek aukcji;Opis przedmiotu;układ;CheckBox6\r\n"
              "rower;Rower „Góral”;\"Rama 19\"\"\r\nstan bdb\";3;nie\r\n"
              "hulajnoga;Hulajnoga;Składana;;\r\n"
              "zly;Zły;opis;9;\r\n");
    // Each row as the JSON form that render reads on top of the same template.
    // A line break in a description cell ends its line with <br>.
    WriteFile("rower.json", R"({"Edit2": "Rower „Góral”", "Memo1": "Rama 19\"<br>\r\nstan bdb",
                               "RadioButton3": true, "CheckBox6": false})");
    WriteFile("hulajnoga.json", R"({"Edit2": "Hulajnoga", "Memo1": "Składana"})");

    const ToolRun run = Run({"batch", "--project", "template.ltk", "offers.csv", "--out", "out"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("offers.csv:4:układ: "), std::string::npos) << run.err;
    EXPECT_TRUE(run.err.ends_with("2 oferty zapisane, 1 z błędami, 0 ostrzeżeń\n")) << run.err;
    EXPECT_FALSE(Exists("out/zly.html"));
    for (const std::string name : {"rower", "hulajnoga"}) {
        EXPECT_EQ(ReadFile("out/" + name + ".html"),
                  Output({"render", "--project", "template.ltk", name + ".json"}))
            << name;
    }

    // The structured descriptions are what export allegro prints for the same forms.
    const ToolRun allegro = Run({"batch", "--project", "template.ltk", "--format", "allegro",
                                 "offers.csv", "--out", "structured"});
    EXPECT_EQ(allegro.status, 1);
    // The template's own warning is told once, not on every row, and names the input once.
    const auto templateWarning = allegro.err.find("szablon: Numer konta nie trafia do opisu");
    EXPECT_NE(templateWarning, std::string::npos) << allegro.err;
    EXPECT_EQ(allegro.err.find("Numer konta", allegro.err.find('\n', templateWarning)),
              std::string::npos)
        << allegro.err;
    EXPECT_EQ(allegro.err.find("Edit5"), std::string::npos) << allegro.err;
    for (const std::string name : {"rower", "hulajnoga"}) {
        EXPECT_EQ(ReadFile("structured/" + name + ".allegro.json"),
                  Output({"export", "allegro", "--project", "template.ltk", name + ".json"}))
            << name;
    }

    // The same with a JSON template, whose seller ID counts, and UTF-8 pages; the existing
    // files are replaced only when told.
    const ToolRun refused =
        Run({"batch", "--form", "template.json", "--utf8", "offers.csv", "--out", "out"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("0 ofert zapisanych, 3 z błędami"), std::string::npos);
    const ToolRun replaced =
        Run({"batch", "--form=template.json", "--utf8", "--overwrite", "offers.csv", "--out=out"});
    EXPECT_EQ(replaced.status, 1);
    WriteFile("merged.json",
              R"({"Edit14": "#FFEEDD", "Edit5": "12 3456", "CheckBox6": true,
                  "SellerId": "sprzedawca", "Edit2": "Hulajnoga", "Memo1": "Składana"})");
    EXPECT_EQ(ReadFile("out/hulajnoga.html"), Output({"render", "--utf8", "merged.json"}));
}

TEST_F(BatchToolTest, RefusesWrongUsage) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"batch", "offers.csv"},
             {"batch", "--out", "out"},
             {"batch", "--format", "pdf", "offers.csv", "--out", "out"},
             {"batch", "--encoding", "latin2", "offers.csv", "--out", "out"},
             {"batch", "offers.csv", "--out", ""},
             {"batch", "--dry-run", "offers.csv", "--out", "out"},
             {"batch", "--create", "--publish", "offers.csv", "--out", "out"},
             {"batch", "--activate", "offers.csv", "--out", "out"},
         }) {
        const ToolRun run = Run(args);
        EXPECT_EQ(run.status, 2) << args[1];
        EXPECT_TRUE(run.err.starts_with("licytek-cli: ")) << run.err;
    }
    const ToolRun help = Run({"batch", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("FILE:ROW:COLUMN"), std::string::npos);
    const ToolRun missing = Run({"batch", "missing.csv", "--out", "out"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("missing.csv: nie ma takiego pliku"), std::string::npos)
        << missing.err;
}

// Sets variables for its lifetime, then puts back what was there.
struct Environment {
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
    void Set(const char* name, const char* value) {
        const char* old = std::getenv(name);
        saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~Environment() {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
            it->second ? ::setenv(it->first.c_str(), it->second->c_str(), 1)
                       : ::unsetenv(it->first.c_str());
        }
    }
};

TEST_F(BatchToolTest, PublishingWithoutKeysOrSignInSaysSoAsTheAllegroCommandsDo) {
    WriteFile("offers.csv", "plik;Opis przedmiotu;oferta\na;opis;123\n");
    WriteFile("form.json", R"({"Memo1": "opis"})");
    TempDir home;
    Environment environment;
    environment.Set("XDG_CONFIG_HOME", (home.Path() / "config").c_str());
    environment.Set("XDG_DATA_HOME", (home.Path() / "data").c_str());
    environment.Set("DBUS_SESSION_BUS_ADDRESS", "");  // the token file, never a real keyring
    // Nothing answers there: neither run may get as far as a request.
    environment.Set("LICYTEK_ALLEGRO_URL", "http://127.0.0.1:9");
    environment.Set("LICYTEK_ALLEGRO_CLIENT_ID", nullptr);
    environment.Set("LICYTEK_ALLEGRO_CLIENT_SECRET", nullptr);
    for (const int status : {2, 3}) {
        if (status == 3) {
            environment.Set("LICYTEK_ALLEGRO_CLIENT_ID", "test-client");
            environment.Set("LICYTEK_ALLEGRO_CLIENT_SECRET", "test-secret");
        }
        const ToolRun batch = Run({"batch", "--publish", "offers.csv", "--out", "out"});
        const ToolRun publish = Run({"allegro", "publish", "123", "form.json"});
        EXPECT_EQ(batch.status, status) << batch.err;
        EXPECT_EQ(publish.status, status) << publish.err;
        // The same last line (publish tells its steps before it).
        EXPECT_TRUE(!batch.err.empty() && publish.err.ends_with(batch.err)) << batch.err;
        EXPECT_FALSE(Exists("out/a.html"));  // refused before any row
    }
}

}  // namespace
}  // namespace licytek
