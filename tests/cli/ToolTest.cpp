// Runs the built licytek-cli and checks its standard output bytes, its one line of standard
// error and its exit status.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>

#include "ToolProcess.h"
#include "generator/Document.h"
#include "model/FormFields.h"
#include "model/Text.h"
#include "support/TempDir.h"

namespace licytek {
namespace {

using testing::RunTool;
using testing::TempDir;
using testing::ToolRun;

// A form that reaches the header box, the description, the seller links and a transition.
constexpr std::string_view kForm = R"({
    "Edit2": "Żółw",
    "Memo1": "Prawie nowy\nstan bdb",
    "RadioButton3": true,
    "CheckBox6": true,
    "CheckBox7": true,
    "Edit3": "600 100 200",
    "ComboBox1": 4
})";

AuctionForm ExpectedForm() {
    AuctionForm form;
    form.auctionHeader = "\xAF\xF3\xB3w";  // "Żółw" in Windows-1250
    form.itemDescription = "Prawie nowy\r\nstan bdb";
    form.layout1 = false;
    form.layout3 = true;
    form.aboutMeLink = form.otherAuctionsLink = true;
    form.phone = "600 100 200";
    form.pageEnterEffect = 4;
    return form;
}

// kForm with one more key in front.
std::string FormWith(std::string_view extraMember) {
    return "{" + std::string(extraMember) + ", " + std::string(kForm.substr(1));
}

class ToolTest : public ::testing::Test {
  protected:
    ToolRun Run(const std::vector<std::string>& args, std::string input = "") {
        return RunTool(args, {std::move(input), directory_.Path(), std::nullopt});
    }
    std::filesystem::path PathOf(const std::string& name) const { return directory_.Path() / name; }
    void WriteFile(const std::string& name, std::string_view bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }
    std::string ReadFile(const std::string& name) const {
        std::ifstream file(PathOf(name), std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        return bytes.str();
    }

  private:
    TempDir directory_;
};

void ExpectSuccess(const ToolRun& run) {
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
}

// A failure ends with the status, writes nothing to standard output and one line to
// standard error.
void ExpectFailure(const ToolRun& run, int status, std::string_view part) {
    EXPECT_EQ(run.status, status) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_TRUE(run.err.ends_with("\n")) << run.err;
    EXPECT_TRUE(run.err.starts_with("licytek-cli: ")) << run.err;
    EXPECT_NE(run.err.find(part), std::string::npos) << "wanted: " << part << "\ngot: " << run.err;
}

TEST_F(ToolTest, RenderWritesTheDocumentInWindows1250WithNoLineBreakAdded) {
    const auto run = Run({"render"}, FormWith(R"("SellerId": "sprzedawca")"));
    ExpectSuccess(run);
    EXPECT_EQ(run.out, BuildDocument(ExpectedForm(), "sprzedawca"));
    EXPECT_NE(run.out.find("\xAF\xF3\xB3w"), std::string::npos);
    EXPECT_NE(run.out.find("sprzedawca"), std::string::npos);
    EXPECT_FALSE(run.out.ends_with("\n"));
}

TEST_F(ToolTest, Utf8OptionWritesTheSameDocumentAsUtf8) {
    const auto run = Run({"render", "--utf8", "-"}, FormWith(R"("SellerId": "sprzedawca")"));
    ExpectSuccess(run);
    EXPECT_EQ(run.out, Cp1250ToUtf8(BuildDocument(ExpectedForm(), "sprzedawca")));
    EXPECT_NE(run.out.find("Żółw"), std::string::npos);
    EXPECT_EQ(run.out.find("\xAF\xF3\xB3w"), std::string::npos);
}

TEST_F(ToolTest, TheFormComesFromAFileADashOrStandardInputAlike) {
    WriteFile("form.json", FormWith(R"("SellerId": "x")"));
    const auto fromFile = Run({"render", "form.json"});
    ExpectSuccess(fromFile);
    EXPECT_EQ(fromFile.out, BuildDocument(ExpectedForm(), "x"));
    EXPECT_EQ(Run({"render", "-"}, FormWith(R"("SellerId": "x")")).out, fromFile.out);
    EXPECT_EQ(Run({"render"}, FormWith(R"("SellerId": "x")")).out, fromFile.out);
    EXPECT_EQ(Run({"render", "--", "form.json"}).out, fromFile.out);
}

TEST_F(ToolTest, ALargeDescriptionPassesThroughThePipesWhole) {
    std::string inJson;
    AuctionForm form;
    for (int i = 0; i < 40000; ++i) {
        inJson += "wiersz " + std::to_string(i) + "\\n";
        form.itemDescription += "wiersz " + std::to_string(i) + "\r\n";
    }
    const auto run = Run({"render"}, R"({"SellerId": "", "Memo1": ")" + inJson + "\"}");
    ExpectSuccess(run);
    const std::string expected = BuildDocument(form, "");
    // Compared as a whole: a diff of half a megabyte would drown the report.
    EXPECT_TRUE(run.out == expected) << run.out.size() << " bytes instead of " << expected.size();
}

TEST_F(ToolTest, SellerIdComesFromTheIdFileWhenTheFormLeavesItOut) {
    const AuctionForm form = ExpectedForm();
    EXPECT_EQ(Run({"render"}, std::string(kForm)).out, BuildDocument(form, ""));

    WriteFile("id.ltk", std::string("1234567") + std::string(13, '\0'));
    const auto fromFile = Run({"render"}, std::string(kForm));
    ExpectSuccess(fromFile);
    EXPECT_EQ(fromFile.out, BuildDocument(form, "1234567"));

    // All 20 bytes count when none is zero.
    WriteFile("id.ltk", "abcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(Run({"render"}, std::string(kForm)).out, BuildDocument(form, "abcdefghijklmnopqrst"));

    // The form's own SellerId wins over the file, also when it is empty.
    EXPECT_EQ(Run({"render"}, FormWith(R"("SellerId": "")")).out, BuildDocument(form, ""));
}

TEST_F(ToolTest, AnIdFileThatCannotBeReadIsAFileError) {
    std::filesystem::create_directory(PathOf("id.ltk"));
    ExpectFailure(Run({"render"}, std::string(kForm)), 1, "id.ltk: ");
}

TEST_F(ToolTest, FaultsEndWithOneLineAndTheirStatus) {
    WriteFile("form.json", "{}");
    struct Case {
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string part;
    };
    const Case cases[] = {
        {{"render"}, R"({"Edit2": 5})", 2, "Edit2: ma być tekstem w cudzysłowie"},
        {{"render"}, R"({"Edit2": "x")", 2, "błędny JSON"},
        {{"render"}, R"({"ComboBox1": 1e999999})", 2, "\"ComboBox1\": liczba jest za duża"},
        {{"render"}, R"({"ComboBox1": 123456789012345678901234567890})", 2, "ComboBox1: ma być"},
        {{"render"}, std::string(200000, '[') + std::string(200000, ']'), 2, "ma być obiektem"},
        {{"render"}, "{\"Edit2\": \"\x80\xFF\"}", 2, "błędny JSON"},
        {{"render"}, std::string("{\"Edit2\": \"a") + '\0' + "b\"}", 2, "błędny JSON"},
        {{"render", "missing.json"}, "", 1, "missing.json: nie ma takiego pliku"},
        {{"render", "."}, "", 1, ".: brak dostępu do pliku"},
        {{"render", "--project", "missing.ltk"}, "", 1, "missing.ltk: nie ma takiego pliku"},
        {{"render", "--project"}, "", 2, "opcja --project wymaga wartości"},
        {{"render", "--html"}, "", 2, "nieznana opcja --html"},
        {{"render", "form.json", "form.json"}, "", 2, "więcej niż jeden formularz JSON"},
        {{}, "", 2, "brak polecenia"},
        {{"draw"}, "", 2, "nieznane polecenie draw"},
        {{"project"}, "", 2, "project wymaga save albo load"},
        {{"project", "save", "form.json"}, "", 2, "project save wymaga FORM.json i FILE"},
        {{"project", "load"}, "", 2, "project load wymaga FILE"},
        {{"project", "copy", "a"}, "", 2, "nieznane polecenie project copy"},
        {{"project", "load", "missing.ltk"}, "", 1, "missing.ltk: nie ma takiego pliku"},
        {{"render", "bad\nname.json"}, "", 1, "bad name.json: nie ma takiego pliku"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.empty() ? std::string("(no arguments)") : c.args.back());
        ExpectFailure(Run(c.args, c.input), c.status, c.part);
    }
}

TEST_F(ToolTest, AFailedWriteOfTheDocumentIsReported) {
    if (!std::filesystem::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full here";
    }
    const auto run =
        RunTool({"render"}, {std::string(kForm), PathOf(""), std::filesystem::path("/dev/full")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("standardowe wyjście: dysk jest pełny"), std::string::npos) << run.err;
}

TEST_F(ToolTest, HelpDescribesEveryKeyOfTheForm) {
    const auto tool = Run({"--help"});
    ExpectSuccess(tool);
    EXPECT_NE(tool.out.find("render"), std::string::npos);
    EXPECT_NE(tool.out.find("project save"), std::string::npos);

    for (const auto& args : {std::vector<std::string>{"render", "--help"},
                             std::vector<std::string>{"project", "--help"}}) {
        const auto run = Run(args);
        ExpectSuccess(run);
        EXPECT_TRUE(run.out.starts_with("Usage: licytek-cli " + args[0]));
        for (const auto& field : FormFields()) {
            EXPECT_NE(run.out.find("  " + std::string(field.name) + " "), std::string::npos)
                << field.name;
        }
        EXPECT_NE(run.out.find("SellerId"), std::string::npos);
    }
}

// ---- Project files --------------------------------------------------------------------

// The inputs the project file keeps, in file order.
const std::vector<std::string> kSavedInputs = {
    "Edit2",        "CheckBox1",    "Edit3",        "Edit4",        "Memo2",        "Edit5",
    "Edit6",        "Edit7",        "Edit8",        "Edit9",        "CheckBox6",    "CheckBox7",
    "CheckBox8",    "CheckBox9",    "Edit1",        "Edit14",       "Edit15",       "Edit16",
    "Edit18",       "Edit19",       "Edit20",       "Edit21",       "ComboBox5",    "ComboBox1",
    "ComboBox2",    "ComboBox3",    "ComboBox4",    "CheckBox2",    "CheckBox3",    "CheckBox5",
    "CheckBox4",    "RadioButton1", "RadioButton2", "RadioButton3", "RadioButton4", "RadioButton5",
    "RadioButton6", "RadioButton7", "RadioButton8", "Edit34",       "Memo5",        "Memo8",
    "Memo1",
};

std::vector<std::string> KeysOf(const nlohmann::ordered_json& json) {
    std::vector<std::string> keys;
    for (const auto& item : json.items()) {
        keys.push_back(item.key());
    }
    return keys;
}

TEST_F(ToolTest, ProjectSaveAndLoadKeepTheSavedInputs) {
    WriteFile("form.json", FormWith(R"("Edit35": "not saved", "SellerId": "7")"));
    const auto save = Run({"project", "save", "form.json", "zapis.ltk"});
    ExpectSuccess(save);
    EXPECT_EQ(save.out, "");
    EXPECT_EQ(std::filesystem::file_size(PathOf("zapis.ltk")), 60000u);

    const auto load = Run({"project", "load", "zapis.ltk"});
    ExpectSuccess(load);
    EXPECT_TRUE(load.out.ends_with("}\n"));
    const auto json = nlohmann::ordered_json::parse(load.out);
    EXPECT_EQ(KeysOf(json), kSavedInputs);
    EXPECT_EQ(json["Edit2"], "Żółw");
    EXPECT_EQ(json["Memo1"], "Prawie nowy\r\nstan bdb");
    EXPECT_EQ(json["RadioButton3"], true);
    EXPECT_EQ(json["RadioButton1"], false);
    EXPECT_EQ(json["ComboBox1"], 4);
    EXPECT_EQ(json["ComboBox5"], -1);
    EXPECT_EQ(json["Edit14"], "#FFFFFF");
}

TEST_F(ToolTest, RenderingAProjectMatchesRenderingItsForm) {
    WriteFile("form.json", std::string(kForm));
    ExpectSuccess(Run({"project", "save", "-", "zapis.ltk"}, std::string(kForm)));
    const auto fromProject = Run({"render", "--project", "zapis.ltk"});
    ExpectSuccess(fromProject);
    EXPECT_EQ(fromProject.out, BuildDocument(ExpectedForm(), ""));
    EXPECT_EQ(Run({"render", "--project=zapis.ltk"}).out, fromProject.out);

    // What project load prints, render reads back to the same page.
    const auto printed = Run({"project", "load", "zapis.ltk"});
    EXPECT_EQ(Run({"render"}, printed.out).out, fromProject.out);
}

TEST_F(ToolTest, TheFormIsAppliedOnTopOfTheProject) {
    ExpectSuccess(Run({"project", "save", "-", "zapis.ltk"}, std::string(kForm)));
    const auto run = Run({"render", "--project", "zapis.ltk", "-"},
                         R"({"Edit3": "", "RadioButton7": true, "Edit35": "stop"})");
    ExpectSuccess(run);
    AuctionForm form = ExpectedForm();
    form.phone = "";
    form.layout3 = false;
    form.layout7 = true;
    form.rightClickMessage = "stop";
    EXPECT_EQ(run.out, BuildDocument(form, ""));
}

TEST_F(ToolTest, AShortProjectFileLoadsAsPaddedWithZeroBytes) {
    WriteFile("zapis.ltk", "Hello");
    const auto load = Run({"project", "load", "zapis.ltk"});
    ExpectSuccess(load);
    const auto json = nlohmann::json::parse(load.out);
    EXPECT_EQ(json["Edit2"], "Hello");
    EXPECT_EQ(json["Edit14"], "");
    EXPECT_EQ(json["ComboBox5"], 0);
    EXPECT_EQ(json["ComboBox1"], 0);
    EXPECT_EQ(json["RadioButton1"], false);
    EXPECT_EQ(json["CheckBox1"], false);
}

TEST_F(ToolTest, OfSeveralLayoutsInAProjectTheLastOneCounts) {
    std::string record(60000, '\0');
    record[5009] = record[5039] = '\xFF';  // layouts 2 and 5
    WriteFile("zapis.ltk", record);
    const auto json = nlohmann::json::parse(Run({"project", "load", "zapis.ltk"}).out);
    for (int layout = 1; layout <= 8; ++layout) {
        EXPECT_EQ(json["RadioButton" + std::to_string(layout)], layout == 5) << layout;
    }
    // Every saved input as the empty record gives it, and layout 5 alone.
    AuctionForm form;
    for (const auto& name : kSavedInputs) {
        const FormField* field = FindFormField(name);
        if (field->kind == FieldKind::ListPosition) {
            form.*field->position = 0;
        } else if (field->kind == FieldKind::Switch) {
            form.*field->flag = name == "RadioButton5";
        } else {
            form.*field->text = "";
        }
    }
    EXPECT_EQ(Run({"render", "--project", "zapis.ltk"}).out, BuildDocument(form, ""));
}

TEST_F(ToolTest, ProjectSaveRefusesATextTooLongForItsPlace) {
    const std::string header(99, 'x');  // the auction header keeps 98 bytes
    ExpectFailure(Run({"project", "save", "-", "zapis.ltk"}, R"({"Edit2": ")" + header + "\"}"), 2,
                  "Pole „Nagłówek aukcji” może mieć najwyżej 98 znaków, a ma 99.");
    EXPECT_FALSE(std::filesystem::exists(PathOf("zapis.ltk")));

    WriteFile("zapis.ltk", "old");
    ExpectFailure(Run({"project", "save", "-", "zapis.ltk"}, R"({"Edit2": ")" + header + "\"}"), 2,
                  "Pole „Nagłówek aukcji” może mieć najwyżej 98 znaków, a ma 99.");
    EXPECT_EQ(ReadFile("zapis.ltk"), "old");

    // Exactly 98 characters fit, Polish letters counting one byte each.
    std::string fits;
    for (int i = 0; i < 49; ++i) {
        fits += "ąż";
    }
    ExpectSuccess(Run({"project", "save", "-", "zapis.ltk"}, R"({"Edit2": ")" + fits + "\"}"));
    EXPECT_EQ(nlohmann::json::parse(Run({"project", "load", "zapis.ltk"}).out)["Edit2"], fits);
}

TEST_F(ToolTest, ProjectSaveReportsAFileThatCannotBeWritten) {
    WriteFile("plik", "");
    ExpectFailure(Run({"project", "save", "-", "plik/zapis.ltk"}, "{}"), 1,
                  "plik/zapis.ltk: brak dostępu do pliku");
    ExpectFailure(Run({"project", "save", "-", "zapis.ltk"}, R"({"Edit2": 1})"), 2,
                  "Edit2: ma być tekstem w cudzysłowie");
    EXPECT_FALSE(std::filesystem::exists(PathOf("zapis.ltk")));
}

// Whatever project load prints, project save writes back to the same bytes, lone LF bytes
// included.
TEST_F(ToolTest, ProjectLoadAndSaveGiveBackTheSameBytes) {
    std::string record(60000, '\0');
    const std::string description = "a\nb\r\nc\rd\n\n\x81\x98\xB9";
    record.replace(7999, description.size(), description);
    record.replace(0, 3, "\n\n\n");
    record[4999] = '\xFF';
    WriteFile("stary.ltk", record);
    const ToolRun loaded = Run({"project", "load", "stary.ltk"});
    ExpectSuccess(loaded);
    ExpectSuccess(Run({"project", "save", "-", "nowy.ltk"}, loaded.out));
    EXPECT_EQ(ReadFile("nowy.ltk"), record);
}

// The tool never waits on a FIFO or replaces what is not a regular file, yet a FIFO named
// as the form is read, as `render <(cat form.json)` needs.
TEST_F(ToolTest, SpecialFilesNeitherHangNorGetReplaced) {
    ASSERT_EQ(::mkfifo(PathOf("id.ltk").c_str(), 0644), 0);
    ExpectFailure(Run({"render", "-"}, "{}"), 1, "id.ltk: brak dostępu do pliku");
    ExpectFailure(Run({"project", "save", "-", "id.ltk"}, "{}"), 1,
                  "id.ltk: brak dostępu do pliku");
    ExpectFailure(Run({"render", "--project", "id.ltk", "-"}, "{}"), 1, "brak dostępu do pliku");
    std::filesystem::create_symlink("/dev/null", PathOf("zapis.ltk"));
    ExpectFailure(Run({"project", "save", "-", "zapis.ltk"}, "{}"), 1,
                  "zapis.ltk: brak dostępu do pliku");
    struct stat info {};
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));

    ExpectFailure(Run({"render", "--project", "/dev/null", "-"}, "{}"), 1,
                  "/dev/null: brak dostępu do pliku");

    ASSERT_EQ(::mkfifo(PathOf("form.json").c_str(), 0644), 0);
    std::thread writer(
        [this] { std::ofstream(PathOf("form.json")) << FormWith(R"("SellerId": "1")"); });
    const ToolRun rendered = Run({"render", "form.json"});
    writer.join();
    ExpectSuccess(rendered);
    EXPECT_EQ(rendered.out, BuildDocument(ExpectedForm(), "1"));
}

// A file-size limit makes the save fail as a full disk does: the old file stays, and no
// temporary file is left beside it.
TEST_F(ToolTest, ASizeLimitFailsTheSaveWithDiskFull) {
    ExpectSuccess(Run({"project", "save", "-", "zapis.ltk"}, "{}"));
    const std::string saved = ReadFile("zapis.ltk");
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const rlimit limited{30000, before.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);  // the tool inherits it
    const ToolRun run = Run({"project", "save", "-", "zapis.ltk"}, R"({"Edit2": "nowy"})");
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &before), 0);
    ExpectFailure(run, 1, "zapis.ltk: dysk jest pełny");
    EXPECT_EQ(ReadFile("zapis.ltk"), saved);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(PathOf(".")),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
}  // namespace licytek
