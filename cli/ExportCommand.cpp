// licytek-cli export allegro: the same form as the structured description that today's
// Allegro accepts, with a line on standard error for everything the seller should know.
#include <string>
#include <variant>

#include "cli/CommandSupport.h"
#include "structured/AllegroExport.h"

namespace licytek::cli {
namespace {

constexpr std::string_view kExportHelp =
    "Usage: licytek-cli export allegro [--project FILE] [--with-terms] [--html] [FORM.json | -]\n"
    "\n"
    "Writes the offer for today's Allegro, made from the same form as the classic page: one\n"
    "JSON object in UTF-8,\n"
    "  {\"name\": TITLE, \"images\": [URL, ...], \"description\": {\"sections\": [...]}}\n"
    "whose description holds only the sections, TEXT and IMAGE items and markup (h1, h2, p,\n"
    "ul, ol, li, b) that Allegro takes. The title is the auction header; the images are the\n"
    "description's pictures in order of first use, to be added to the offer as well.\n"
    "\n"
    "The form is read as render reads it: the defaults, the inputs of --project FILE, then\n"
    "the JSON form FORM.json (\"-\", or no FORM.json without --project, reads standard input).\n"
    "\n"
    "Options:\n"
    "  --with-terms    add the auction terms and the shipping costs as two more sections\n"
    "  --html          write the text to paste instead: a line <!-- sekcja N --> where each\n"
    "                  section starts, its TEXT items one block a line, then a numbered\n"
    "                  list of the pictures to add by hand, each with its sections,\n"
    "                  \"1. https://... (sekcja 2)\"\n"
    "  --project FILE  start from the inputs saved in the project file FILE\n"
    "  -h, --help      show this help\n"
    "\n"
    "Everything the description leaves out (contact data, bank account, links, colours,\n"
    "effects, layout ...) or that the seller should check gets a line on standard error:\n"
    "  licytek-cli: uwaga: INPUT: message\n"
    "where INPUT is the input's label in the window (\"Telefon\").\n"
    "When Allegro would refuse the description (over 40,000 bytes, no section or over 100,\n"
    "over 16 pictures, a picture address that is not absolute, a title over 75 characters),\n"
    "each broken limit gets a line \"licytek-cli: błąd: INPUT: message\", nothing is\n"
    "written to standard output and the exit status is 1.\n"
    "\n"
    "Exit status: 0 written; 1 Allegro would refuse the description, or a file could not be\n"
    "read or written; 2 wrong usage or a wrong JSON form.\n";

struct ExportArguments {
    bool help = false;
    bool html = false;
    structured::ExportOptions options;
    FormSource source;
};

std::variant<ExportArguments, Failure> ParseExportArguments(
    std::span<const std::string_view> args) {
    ExportArguments parsed;
    const auto takeOption = [&](std::size_t& index) -> std::variant<bool, Failure> {
        if (args[index] == "--html") {
            parsed.html = true;
            return true;
        }
        if (args[index] == "--with-terms") {
            parsed.options.withTerms = true;
            return true;
        }
        return TakeProjectOption(args, index, parsed.source, "export ");
    };
    const auto takeOperand = [&](std::string_view operand) {
        return TakeFormOperand(operand, parsed.source, "export ");
    };
    if (auto failure = WalkArguments(args, "export ", parsed.help, takeOption, takeOperand)) {
        return *failure;
    }
    return parsed;
}

std::optional<Failure> ExportAllegro(std::span<const std::string_view> args) {
    auto parsedArgs = ParseExportArguments(args);
    if (auto* failure = std::get_if<Failure>(&parsedArgs)) {
        return *failure;
    }
    const auto& arguments = std::get<ExportArguments>(parsedArgs);
    if (arguments.help) {
        return WriteToStandardOutput(std::string(kExportHelp) + FormHelp());
    }
    AuctionForm form;
    std::string ignoredSellerId;  // the structured description has no seller links
    if (auto failure = LoadFormFrom(arguments.source, form, ignoredSellerId)) {
        return failure;
    }
    const structured::AllegroOffer offer = structured::ExportAllegro(form, arguments.options);
    ReportFindings(offer.findings);
    if (offer.HasErrors()) {
        return Failure{kExitFileError, ""};  // every broken limit has its line already
    }
    return WriteToStandardOutput(arguments.html ? structured::OfferToPasteText(offer)
                                                : structured::OfferToJson(offer) + "\n");
}

}  // namespace

std::optional<Failure> RunExportCommand(std::span<const std::string_view> args) {
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        return WriteToStandardOutput(std::string(kExportHelp) + FormHelp());
    }
    if (args.empty()) {
        return UsageFailure("export wymaga celu: allegro", "export ");
    }
    if (args[0] != "allegro") {
        return UsageFailure("nieznany cel eksportu " + std::string(args[0]), "export ");
    }
    return ExportAllegro(args.subspan(1));
}

}  // namespace licytek::cli
