#include "cli/Commands.h"

#include <algorithm>
#include <optional>
#include <string>
#include <variant>

#include "cli/AllegroCommand.h"
#include "cli/CommandSupport.h"
#include "formjson/FormJson.h"
#include "generator/Document.h"
#include "model/ProjectFile.h"
#include "model/Text.h"

namespace licytek {
namespace {

using cli::Failure;
using cli::FormHelp;
using cli::UsageFailure;
using cli::WriteToStandardOutput;

// ---- Help -------------------------------------------------------------------------------

constexpr std::string_view kToolHelp =
    "Usage: licytek-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Turns a seller's form into the HTML description of an auction, and keeps forms in\n"
    "project files.\n"
    "\n"
    "Commands:\n"
    "  render [--utf8] [--project FILE] [FORM.json | -]\n"
    "                  write the auction's HTML to standard output\n"
    "  project save FORM.json FILE\n"
    "                  write a project file from a JSON form\n"
    "  project load FILE\n"
    "                  print the inputs a project file keeps as a JSON form\n"
    "  batch [OPTIONS] OFFERS.csv|OFFERS.jsonl --out FOLDER\n"
    "                  write a description for every row of a spreadsheet of offers\n"
    "  export allegro [--project FILE] [--with-terms] [--html] [FORM.json | -]\n"
    "                  write the structured description that today's Allegro accepts\n"
    "  check [--for allegro|ebay|all] [FILE.html | -]\n"
    "                  list what today's Allegro and eBay would refuse in a page\n"
    "  allegro login|logout [--sandbox]\n"
    "                  sign in to Allegro through its own page, or forget the sign-in\n"
    "  allegro offers [--sandbox] [--status active|inactive|ended] [--name TEXT] [--json]\n"
    "                  list the seller's offers on Allegro\n"
    "  allegro publish OFFER_ID [--sandbox] [--title] [--with-terms] [--dry-run]\n"
    "                  [--project FILE] [FORM.json | -]\n"
    "                  send the structured description and its pictures into an offer\n"
    "  allegro pull OFFER_ID [--sandbox] [--project FILE]\n"
    "                  read an offer into a form (JSON, or a project file)\n"
    "  allegro pull --all [--sandbox] [--status S] [--name TEXT] --out OFFERS.csv|.jsonl\n"
    "                  read every offer into a sheet that batch reads back\n"
    "\n"
    "\"licytek-cli render --help\" and \"licytek-cli project --help\" describe the commands\n"
    "and every key of the JSON form.\n"
    "\n"
    "Exit status: 0 done; 1 a file could not be read or written; 2 wrong usage or a wrong\n"
    "JSON form. A failure writes one line to standard error and nothing to standard output.\n"
    "\"licytek-cli allegro --help\" lists the further statuses of the allegro commands.\n";

constexpr std::string_view kRenderHelp =
    "Usage: licytek-cli render [--utf8] [--project FILE] [FORM.json | -]\n"
    "\n"
    "Writes the auction's HTML to standard output exactly as the window puts it on the\n"
    "clipboard: Windows-1250 bytes, with no line break added at the end.\n"
    "\n"
    "Every input starts from its default. With --project the inputs that FILE keeps are\n"
    "loaded onto them first. Then the JSON form FORM.json is applied; \"-\", or no FORM.json\n"
    "without --project, reads it from standard input. With --project and no FORM.json the\n"
    "project alone is rendered.\n"
    "\n"
    "Options:\n"
    "  --utf8          write the HTML as UTF-8 instead of Windows-1250\n"
    "  --project FILE  start from the inputs saved in the project file FILE\n"
    "  -h, --help      show this help\n";

constexpr std::string_view kProjectHelp =
    "Usage: licytek-cli project save FORM.json FILE\n"
    "       licytek-cli project load FILE\n"
    "\n"
    "save  applies the JSON form FORM.json (\"-\" reads standard input) onto the defaults and\n"
    "      writes the 60,000-byte project file FILE from the inputs a project file keeps;\n"
    "      the other keys (SellerId too) are checked but not saved. A text longer than its\n"
    "      place in the file is refused (exit status 2) and FILE is left as it was.\n"
    "load  prints the inputs that FILE keeps as a pretty-printed JSON form, which render and\n"
    "      project save read back. When the file chooses several layouts, the last one\n"
    "      counts, as in the window.\n";

// ---- render -----------------------------------------------------------------------------

struct RenderArguments {
    bool help = false;
    bool utf8 = false;
    cli::FormSource source;
};

std::variant<RenderArguments, Failure> ParseRenderArguments(
    std::span<const std::string_view> args) {
    RenderArguments parsed;
    const auto takeOption = [&](std::size_t& index) -> std::variant<bool, Failure> {
        if (args[index] == "--utf8") {
            parsed.utf8 = true;
            return true;
        }
        return cli::TakeProjectOption(args, index, parsed.source, "render ");
    };
    const auto takeOperand = [&](std::string_view operand) {
        return cli::TakeFormOperand(operand, parsed.source, "render ");
    };
    if (auto failure = cli::WalkArguments(args, "render ", parsed.help, takeOption, takeOperand)) {
        return *failure;
    }
    return parsed;
}

std::optional<Failure> Render(std::span<const std::string_view> args) {
    auto parsedArgs = ParseRenderArguments(args);
    if (auto* failure = std::get_if<Failure>(&parsedArgs)) {
        return *failure;
    }
    const auto& options = std::get<RenderArguments>(parsedArgs);
    if (options.help) {
        return WriteToStandardOutput(std::string(kRenderHelp) + FormHelp());
    }
    AuctionForm form;
    std::string sellerId;
    if (auto failure = cli::LoadFormFrom(options.source, form, sellerId)) {
        return failure;
    }
    const std::string html = BuildDocument(form, sellerId);
    return cli::WriteTextToStandardOutput(html, options.utf8);
}

// ---- project ----------------------------------------------------------------------------

std::optional<Failure> SaveProjectFromForm(const std::string& formSource, const std::string& path) {
    AuctionForm form;
    std::optional<std::string> ignoredSellerId;
    if (auto failure = cli::ApplyFormFrom(formSource, form, ignoredSellerId)) {
        return failure;
    }
    auto saved = SaveProject(form, path);
    if (auto* error = std::get_if<FileError>(&saved)) {
        return cli::FileFailure(path, *error);
    }
    if (auto* refusal = std::get_if<SlotOverflow>(&saved)) {
        return Failure{kExitInputError, std::string(refusal->control) + ": " + refusal->Message()};
    }
    return std::nullopt;
}

std::optional<Failure> PrintProject(const std::string& path) {
    AuctionForm form;
    if (auto failure = cli::LoadProjectOnto(path, form)) {
        return failure;
    }
    const auto fields = cli::ProjectFields();
    return WriteToStandardOutput(FormToJson(form, fields) + "\n");
}

std::optional<Failure> Project(std::span<const std::string_view> args) {
    for (const auto arg : args) {
        if (arg == "--help" || arg == "-h") {
            return WriteToStandardOutput(std::string(kProjectHelp) + FormHelp());
        }
    }
    if (args.empty()) {
        return UsageFailure("project needs save or load", "project ");
    }
    const std::string_view action = args[0];
    const auto rest = args.subspan(1);
    if (action == "save") {
        if (rest.size() != 2) {
            return UsageFailure("project save needs FORM.json and FILE", "project ");
        }
        return SaveProjectFromForm(std::string(rest[0]), std::string(rest[1]));
    }
    if (action == "load") {
        if (rest.size() != 1) {
            return UsageFailure("project load needs FILE", "project ");
        }
        return PrintProject(std::string(rest[0]));
    }
    return UsageFailure("unknown project command " + std::string(action), "project ");
}

std::optional<Failure> Dispatch(std::span<const std::string_view> args) {
    if (args.empty()) {
        return UsageFailure("missing command", "");
    }
    const std::string_view command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        return WriteToStandardOutput(kToolHelp);
    }
    if (command == "render") {
        return Render(args.subspan(1));
    }
    if (command == "project") {
        return Project(args.subspan(1));
    }
    if (command == "batch") {
        return cli::RunBatchCommand(args.subspan(1));
    }
    if (command == "export") {
        return cli::RunExportCommand(args.subspan(1));
    }
    if (command == "check") {
        return cli::RunCheckCommand(args.subspan(1));
    }
    if (command == "allegro") {
        return cli::RunAllegroCommand(args.subspan(1));
    }
    return UsageFailure("unknown command " + std::string(command), "");
}

}  // namespace

int RunCommandLine(std::span<const std::string_view> args) {
    const auto failure = Dispatch(args);
    if (!failure) {
        return kExitOk;
    }
    if (failure->message.empty()) {
        return failure->status;  // the command has reported everything itself
    }
    // One line, whatever file name or argument the message repeats.
    std::string line = failure->message;
    std::replace_if(
        line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    std::fprintf(stderr, "licytek-cli: %s\n", line.c_str());
    return failure->status;
}

}  // namespace licytek
