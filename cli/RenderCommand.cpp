// licytek-cli render: the auction's HTML on standard output, exactly as the window puts it on
// the clipboard.
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "cli/CommandSupport.h"
#include "generator/Document.h"

namespace licytek::cli {
namespace {

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

struct RenderArguments {
    bool help = false;
    bool utf8 = false;
    FormSource source;
};

std::variant<RenderArguments, Failure> ParseRenderArguments(
    std::span<const std::string_view> args) {
    RenderArguments parsed;
    const auto takeOption = [&](std::size_t& index) -> std::variant<bool, Failure> {
        if (args[index] == "--utf8") {
            parsed.utf8 = true;
            return true;
        }
        return TakeProjectOption(args, index, parsed.source, "render ");
    };
    const auto takeOperand = [&](std::string_view operand) {
        return TakeFormOperand(operand, parsed.source, "render ");
    };
    if (auto failure = WalkArguments(args, "render ", parsed.help, takeOption, takeOperand)) {
        return *failure;
    }
    return parsed;
}

}  // namespace

std::optional<Failure> RunRenderCommand(std::span<const std::string_view> args) {
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
    if (auto failure = LoadFormFrom(options.source, form, sellerId)) {
        return failure;
    }
    const std::string html = BuildDocument(form, sellerId);
    return WriteTextToStandardOutput(html, options.utf8);
}

}  // namespace licytek::cli
