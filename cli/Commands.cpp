#include "cli/Commands.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <iterator>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/FormJson.h"
#include "generator/Document.h"
#include "model/FileIo.h"
#include "model/FormFields.h"
#include "model/ProjectFile.h"
#include "model/SellerIdFile.h"
#include "model/Text.h"

namespace licytek {
namespace {

constexpr std::string_view kStandardInput = "-";
// A form is a few hundred kilobytes at most; anything far larger is a mistake, not a form.
constexpr std::size_t kMaxFormBytes = std::size_t{64} << 20;

// Why a command ends early: its exit status and the one line for standard error.
struct Failure {
    int status;
    std::string message;
};

Failure FileFailure(std::string_view name, const FileError& error) {
    return {kExitFileError, std::string(name) + ": " + error.message};
}

Failure UsageFailure(std::string_view what, std::string_view helpCommand) {
    return {kExitInputError,
            std::string(what) + " (see licytek-cli " + std::string(helpCommand) + "--help)"};
}

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
    "\n"
    "\"licytek-cli render --help\" and \"licytek-cli project --help\" describe the commands\n"
    "and every key of the JSON form.\n"
    "\n"
    "Exit status: 0 done; 1 a file could not be read or written; 2 wrong usage or a wrong\n"
    "JSON form. A failure writes one line to standard error and nothing to standard output.\n";

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

constexpr std::string_view kFormHelp =
    "\n"
    "The JSON form is one object whose keys are the control names below and \"SellerId\".\n"
    "A key left out keeps its value.\n"
    "  - Strings are UTF-8, with \"\\n\" or \"\\r\\n\" between lines (kept as CR LF); every\n"
    "    character must exist in Windows-1250.\n"
    "  - Switches are true or false. Naming any member of a group (the layouts RadioButton1\n"
    "    to RadioButton8, the picture source RadioButton9 and RadioButton10, the animations\n"
    "    RadioButton13 to RadioButton15, the directions RadioButton11 and RadioButton12, the\n"
    "    alignments Panel9 to Panel12) chooses exactly the members given true; at most one\n"
    "    of a group may be true.\n"
    "  - List positions count from 0; -1 selects no item.\n"
    "  - SellerId, when left out, is read from \"id.ltk\" in the current directory, or is\n"
    "    empty when that file does not exist.\n"
    "\n"
    "Keys:\n";

std::string FormHelp() {
    return std::string(kFormHelp) + DescribeFormKeys();
}

// ---- Standard streams and files ---------------------------------------------------------

std::optional<Failure> WriteToStandardOutput(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
        std::fflush(stdout) != 0) {
        return FileFailure("standard output", FileErrorFromErrno(errno));
    }
    return std::nullopt;
}

// The whole of `stream`, or a failure named after `name`.
std::variant<std::string, Failure> ReadWhole(std::FILE* stream, std::string_view name) {
    std::string bytes;
    std::vector<char> buffer(std::size_t{1} << 16);
    while (true) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), stream);
        bytes.append(buffer.data(), got);
        if (bytes.size() > kMaxFormBytes) {
            return Failure{kExitInputError, std::string(name) + ": the JSON form is larger than " +
                                                std::to_string(kMaxFormBytes >> 20) + " MiB"};
        }
        if (got < buffer.size()) {
            if (std::ferror(stream)) {
                return FileFailure(name, FileErrorFromErrno(errno));
            }
            return bytes;
        }
    }
}

std::variant<std::string, Failure> ReadFormText(const std::string& source) {
    if (source == kStandardInput) {
        return ReadWhole(stdin, "standard input");
    }
    std::FILE* file = std::fopen(source.c_str(), "rb");
    if (file == nullptr) {
        return FileFailure(source, FileErrorFromErrno(errno));
    }
    auto result = ReadWhole(file, source);
    std::fclose(file);
    return result;
}

// Applies the JSON form read from `source` onto `form`.
std::optional<Failure> ApplyFormFrom(const std::string& source, AuctionForm& form,
                                     std::optional<std::string>& sellerId) {
    auto text = ReadFormText(source);
    if (auto* failure = std::get_if<Failure>(&text)) {
        return *failure;
    }
    if (auto error = ApplyFormJson(std::get<std::string>(text), form, sellerId)) {
        return Failure{kExitInputError, error->message};
    }
    return std::nullopt;
}

// ---- Project files ----------------------------------------------------------------------

// The inputs a project file keeps, in file order.
std::vector<const FormField*> ProjectFields() {
    std::vector<const FormField*> fields;
    for (const auto& slot : ProjectSlots()) {
        if (const FormField* field = FindFormField(slot.control)) {
            fields.push_back(field);
        }
    }
    return fields;
}

// The window restores the saved switches in file order, and choosing a radio button
// unchooses the others of its group: of several chosen, the last one stays.
void KeepLastChosenOfEachGroup(AuctionForm& form) {
    const auto fields = ProjectFields();
    for (auto later = fields.rbegin(); later != fields.rend(); ++later) {
        const FormField& chosen = **later;
        if (chosen.kind != FieldKind::Switch || chosen.group == SwitchGroup::None ||
            !(form.*chosen.flag)) {
            continue;
        }
        for (auto earlier = std::next(later); earlier != fields.rend(); ++earlier) {
            if ((*earlier)->kind == FieldKind::Switch && (*earlier)->group == chosen.group) {
                form.*(*earlier)->flag = false;
            }
        }
    }
}

// Loads the project file onto `form` as the window loads it.
std::optional<Failure> LoadProjectOnto(const std::string& path, AuctionForm& form) {
    if (auto error = LoadProject(path, form)) {
        return FileFailure(path, *error);
    }
    KeepLastChosenOfEachGroup(form);
    return std::nullopt;
}

// ---- render -----------------------------------------------------------------------------

struct RenderArguments {
    bool help = false;
    bool utf8 = false;
    std::optional<std::string> project;
    std::optional<std::string> form;
};

std::variant<RenderArguments, Failure> ParseRenderArguments(
    std::span<const std::string_view> args) {
    RenderArguments parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        if (isOption && arg == "--") {
            optionsEnded = true;
        } else if (isOption && (arg == "--help" || arg == "-h")) {
            parsed.help = true;
        } else if (isOption && arg == "--utf8") {
            parsed.utf8 = true;
        } else if (isOption && arg == "--project") {
            if (i + 1 == args.size()) {
                return UsageFailure("--project needs a file name", "render ");
            }
            parsed.project = std::string(args[++i]);
        } else if (isOption && arg.starts_with("--project=")) {
            parsed.project = std::string(arg.substr(arg.find('=') + 1));
        } else if (isOption) {
            return UsageFailure("unknown option " + std::string(arg), "render ");
        } else if (parsed.form) {
            return UsageFailure("more than one JSON form: " + std::string(arg), "render ");
        } else {
            parsed.form = std::string(arg);
        }
    }
    return parsed;
}

std::optional<Failure> ReadSellerIdFile(std::string& sellerId) {
    auto loaded = LoadSellerId(kSellerIdFileName);
    if (auto* error = std::get_if<FileError>(&loaded)) {
        return FileFailure(kSellerIdFileName, *error);
    }
    if (auto* id = std::get_if<std::string>(&loaded)) {
        sellerId = *id;
    }
    return std::nullopt;
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
    if (options.project) {
        if (auto failure = LoadProjectOnto(*options.project, form)) {
            return failure;
        }
    }
    std::optional<std::string> sellerId;
    if (options.form || !options.project) {
        const std::string source = options.form.value_or(std::string(kStandardInput));
        if (auto failure = ApplyFormFrom(source, form, sellerId)) {
            return failure;
        }
    }
    if (!sellerId) {
        sellerId.emplace();
        if (auto failure = ReadSellerIdFile(*sellerId)) {
            return failure;
        }
    }
    const std::string html = BuildDocument(form, *sellerId);
    return WriteToStandardOutput(options.utf8 ? Cp1250ToUtf8(html) : html);
}

// ---- project ----------------------------------------------------------------------------

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
        return Failure{kExitInputError, std::string(refusal->control) + ": " + refusal->Message()};
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
    return UsageFailure("unknown command " + std::string(command), "");
}

}  // namespace

int RunCommandLine(std::span<const std::string_view> args) {
    const auto failure = Dispatch(args);
    if (!failure) {
        return kExitOk;
    }
    // One line, whatever file name or argument the message repeats.
    std::string line = failure->message;
    std::replace_if(
        line.begin(), line.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }, ' ');
    std::fprintf(stderr, "licytek-cli: %s\n", line.c_str());
    return failure->status;
}

}  // namespace licytek
