#include "cli/Commands.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "cli/CommandSupport.h"
#include "model/TerminalText.h"

namespace licytek::cli {
namespace {

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
    "  allegro settings|categories TEXT|parameters CATEGORY_ID|products --ean EAN\n"
    "                  what a new offer may name: the seller's terms, categories,\n"
    "                  a category's parameters, the catalogue's products\n"
    "  allegro create (--project FILE | FORM.json) [--offer FILE] [--activate]\n"
    "                  [--dry-run] [--sandbox]\n"
    "                  put a new offer on Allegro (a draft unless --activate)\n"
    "\n"
    "\"licytek-cli render --help\" and \"licytek-cli project --help\" describe the commands\n"
    "and every key of the JSON form.\n"
    "\n"
    "Exit status: 0 done; 1 a file could not be read or written; 2 wrong usage or a wrong\n"
    "JSON form. A failure writes one line to standard error and nothing to standard output.\n"
    "\"licytek-cli allegro --help\" lists the further statuses of the allegro commands.\n";

using Command = std::optional<Failure> (*)(std::span<const std::string_view> args);
constexpr std::pair<std::string_view, Command> kCommands[] = {
    {"render", RunRenderCommand}, {"project", RunProjectCommand}, {"batch", RunBatchCommand},
    {"export", RunExportCommand}, {"check", RunCheckCommand},     {"allegro", RunAllegroCommand},
};

std::optional<Failure> Dispatch(std::span<const std::string_view> args) {
    if (args.empty()) {
        return UsageFailure("brak polecenia", "");
    }
    const std::string_view command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        return WriteToStandardOutput(kToolHelp);
    }
    for (const auto& [name, run] : kCommands) {
        if (command == name) {
            return run(args.subspan(1));
        }
    }
    return UsageFailure("nieznane polecenie " + std::string(command), "");
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
    // One line, whatever file name, argument or answer of Allegro the message repeats: line
    // breaks become spaces, and other control characters are shown escaped.
    std::string line = failure->message;
    std::replace_if(
        line.begin(), line.end(), [](char c) { return c == '\n' || c == '\r' || c == '\t'; }, ' ');
    std::fprintf(stderr, "licytek-cli: %s\n", VisibleText(line).c_str());
    return failure->status;
}

}  // namespace licytek::cli
