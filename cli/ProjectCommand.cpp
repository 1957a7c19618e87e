// licytek-cli project save|load: a project file written from a JSON form, and a project
// file's inputs printed as a JSON form.
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "cli/CommandSupport.h"
#include "formjson/FormJson.h"
#include "model/ProjectFile.h"

namespace licytek::cli {
namespace {

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

std::optional<Failure> SaveProjectFromForm(const std::string& formSource, const std::string& path) {
    AuctionForm form;
    std::optional<std::string> ignoredSellerId;
    if (auto failure = ApplyFormFrom(formSource, form, ignoredSellerId)) {
        return failure;
    }
    auto saved = SaveProject(form, path);
    if (auto* error = std::get_if<FileError>(&saved)) {
        return FileFailure(path, *error);
    }
    if (auto* refusal = std::get_if<SlotOverflow>(&saved)) {
        return Failure{kExitInputError, refusal->Message()};
    }
    return std::nullopt;
}

std::optional<Failure> PrintProject(const std::string& path) {
    AuctionForm form;
    if (auto failure = LoadProjectOnto(path, form)) {
        return failure;
    }
    const auto fields = ProjectFields();
    return WriteToStandardOutput(FormToJson(form, fields) + "\n");
}

}  // namespace

std::optional<Failure> RunProjectCommand(std::span<const std::string_view> args) {
    for (const auto arg : args) {
        if (arg == "--help" || arg == "-h") {
            return WriteToStandardOutput(std::string(kProjectHelp) + FormHelp());
        }
    }
    if (args.empty()) {
        return UsageFailure("project wymaga save albo load", "project ");
    }
    const std::string_view action = args[0];
    const auto rest = args.subspan(1);
    if (action == "save") {
        if (rest.size() != 2) {
            return UsageFailure("project save wymaga FORM.json i FILE", "project ");
        }
        return SaveProjectFromForm(std::string(rest[0]), std::string(rest[1]));
    }
    if (action == "load") {
        if (rest.size() != 1) {
            return UsageFailure("project load wymaga FILE", "project ");
        }
        return PrintProject(std::string(rest[0]));
    }
    return UsageFailure("nieznane polecenie project " + std::string(action), "project ");
}

}  // namespace licytek::cli
