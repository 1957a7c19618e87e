#include "cli/CommandSupport.h"

#include <algorithm>
#include <cerrno>
#include <iterator>

#include "formjson/FormJson.h"
#include "model/ProjectFile.h"
#include "model/SellerIdFile.h"
#include "model/TerminalText.h"
#include "model/Text.h"

namespace licytek::cli {
namespace {

constexpr std::string_view kFormHelp =
    "\n"
    "The JSON form is one object whose keys are the control names below and \"SellerId\".\n"
    "A key left out keeps its value.\n"
    "  - Strings are UTF-8, with \"\\n\" or \"\\r\\n\" between lines (kept as CR LF); every\n"
    "    character must exist in Windows-1250. The escape \\u000a is a lone LF byte, kept as\n"
    "    it is: project load writes such bytes so, and project save gives them back.\n"
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

// Every key of the JSON form with its type, one key a line.
std::string DescribeFormKeys() {
    std::string text;
    auto line = [&text](std::string_view key, std::string_view type, std::string_view label) {
        std::string padded(key);
        padded.resize(std::max<std::size_t>(padded.size() + 2, 15), ' ');
        std::string typeColumn(type);
        typeColumn.resize(std::max<std::size_t>(typeColumn.size() + 2, 24), ' ');
        text += "  " + padded + typeColumn + std::string(label) + "\n";
    };
    for (const auto& field : FormFields()) {
        switch (field.kind) {
            case FieldKind::Text:
                line(field.name, "string", field.label);
                break;
            case FieldKind::MultiLineText:
                line(field.name, "string, several lines", field.label);
                break;
            case FieldKind::ListText:
                line(field.name, "string (list text)", field.label);
                break;
            case FieldKind::ListPosition:
                line(field.name, "integer -1.." + std::to_string(field.listSize - 1), field.label);
                break;
            case FieldKind::Switch:
                line(field.name,
                     field.group == SwitchGroup::None ? "boolean" : "boolean, one of group",
                     field.label);
                break;
        }
    }
    line(kSellerIdKey, "string", "the seller's auction-site ID (default: id.ltk)");
    return text;
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

}  // namespace

Failure FileFailure(std::string_view name, const FileError& error) {
    return {kExitFileError, std::string(name) + ": " + PolishMessage(error)};
}

Failure UsageFailure(std::string_view what, std::string_view helpCommand) {
    return {kExitInputError,
            std::string(what) + " (zobacz licytek-cli " + std::string(helpCommand) + "--help)"};
}

std::string FormHelp() {
    return std::string(kFormHelp) + DescribeFormKeys();
}

void ReportFindings(const std::vector<structured::Finding>& findings) {
    // In the order of Severity.
    static constexpr std::string_view kSeverityWords[] = {"błąd: ", kWarning, "informacja: "};
    for (const structured::Finding& finding : findings) {
        std::string line(kSeverityWords[static_cast<std::size_t>(finding.severity)]);
        line += structured::FindingText(finding);
        WriteDiagnostic(line);
    }
}

std::optional<Failure> WriteToStandardOutput(std::string_view bytes) {
    if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
        std::fflush(stdout) != 0) {
        return FileFailure(kStandardOutputName, FileErrorFromErrno(errno));
    }
    return std::nullopt;
}

std::optional<Failure> WriteTextToStandardOutput(std::string_view cp1250, bool utf8) {
    if (!utf8) {
        return WriteToStandardOutput(cp1250);
    }
    // One byte is one character in the code page, so any cut falls between characters.
    constexpr std::size_t kPiece = std::size_t{1} << 20;
    do {
        const std::string_view piece = cp1250.substr(0, kPiece);
        cp1250.remove_prefix(piece.size());
        if (auto failure = WriteToStandardOutput(Cp1250ToUtf8(piece))) {
            return failure;
        }
    } while (!cp1250.empty());
    return std::nullopt;
}

void WriteDiagnostic(std::string_view line) {
    const std::string shown = VisibleText(line);
    std::fprintf(stderr, "licytek-cli: %s\n", shown.c_str());
}

std::variant<std::string, Failure> ReadWhole(std::FILE* stream, std::string_view name,
                                             std::size_t maxBytes) {
    std::string bytes;
    std::vector<char> buffer(std::size_t{1} << 16);
    while (true) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), stream);
        bytes.append(buffer.data(), got);
        if (bytes.size() > maxBytes) {
            return Failure{kExitInputError, std::string(name) + ": dane mają ponad " +
                                                std::to_string(maxBytes >> 20) + " MiB"};
        }
        if (got < buffer.size()) {
            if (std::ferror(stream)) {
                return FileFailure(name, FileErrorFromErrno(errno));
            }
            return bytes;
        }
    }
}

std::variant<std::string, Failure> ReadInputText(const std::string& source, std::size_t maxBytes) {
    if (source == kStandardInput) {
        return ReadWhole(stdin, kStandardInputName, maxBytes);
    }
    std::FILE* file = std::fopen(source.c_str(), "rb");
    if (file == nullptr) {
        return FileFailure(source, FileErrorFromErrno(errno));
    }
    auto result = ReadWhole(file, source, maxBytes);
    std::fclose(file);
    return result;
}

std::optional<Failure> ApplyFormFrom(const std::string& source, AuctionForm& form,
                                     std::optional<std::string>& sellerId) {
    auto text = ReadInputText(source);
    if (auto* failure = std::get_if<Failure>(&text)) {
        return *failure;
    }
    if (auto error = ApplyFormJson(std::get<std::string>(text), form, sellerId)) {
        return Failure{kExitInputError, error->polish};
    }
    return std::nullopt;
}

std::vector<const FormField*> ProjectFields() {
    std::vector<const FormField*> fields;
    for (const auto& slot : ProjectSlots()) {
        if (const FormField* field = FindFormField(slot.control)) {
            fields.push_back(field);
        }
    }
    return fields;
}

std::optional<Failure> LoadProjectOnto(const std::string& path, AuctionForm& form) {
    if (auto error = LoadProject(path, form)) {
        return FileFailure(path, *error);
    }
    KeepLastChosenOfEachGroup(form);
    return std::nullopt;
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

std::optional<Failure> WalkArguments(std::span<const std::string_view> args,
                                     std::string_view helpCommand, bool& help,
                                     const OptionTaker& takeOption,
                                     const OperandTaker& takeOperand) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        const bool isOption = !optionsEnded && arg.size() > 1 && arg[0] == '-';
        std::optional<Failure> failure;
        if (isOption && arg == "--") {
            optionsEnded = true;
        } else if (isOption && (arg == "--help" || arg == "-h")) {
            help = true;
        } else if (isOption) {
            auto taken = takeOption(i);
            if (auto* refused = std::get_if<Failure>(&taken)) {
                failure = std::move(*refused);
            } else if (!std::get<bool>(taken)) {
                failure = UsageFailure("nieznana opcja " + std::string(arg), helpCommand);
            }
        } else {
            failure = takeOperand(arg);
        }
        if (failure) {
            return failure;
        }
    }
    return std::nullopt;
}

std::variant<std::optional<std::string>, Failure> OptionValue(
    std::span<const std::string_view> args, std::size_t& index, std::string_view name,
    std::string_view helpCommand) {
    const std::string_view arg = args[index];
    if (arg.size() > name.size() && arg.starts_with(name) && arg[name.size()] == '=') {
        return std::optional<std::string>(arg.substr(name.size() + 1));
    }
    if (arg != name) {
        return std::optional<std::string>();
    }
    if (index + 1 == args.size()) {
        return UsageFailure("opcja " + std::string(name) + " wymaga wartości", helpCommand);
    }
    return std::optional<std::string>(args[++index]);
}

std::variant<bool, Failure> TakeProjectOption(std::span<const std::string_view> args,
                                              std::size_t& index, FormSource& source,
                                              std::string_view helpCommand) {
    auto value = OptionValue(args, index, "--project", helpCommand);
    if (auto* failure = std::get_if<Failure>(&value)) {
        return std::move(*failure);
    }
    auto& project = std::get<std::optional<std::string>>(value);
    if (!project) {
        return false;
    }
    source.project = std::move(project);
    return true;
}

std::optional<Failure> TakeFormOperand(std::string_view operand, FormSource& source,
                                       std::string_view helpCommand) {
    if (source.form) {
        return UsageFailure("więcej niż jeden formularz JSON: " + std::string(operand),
                            helpCommand);
    }
    source.form = std::string(operand);
    return std::nullopt;
}

std::optional<Failure> LoadFormFrom(const FormSource& source, AuctionForm& form,
                                    std::string& sellerId, bool standardInputByDefault) {
    if (source.project) {
        if (auto failure = LoadProjectOnto(*source.project, form)) {
            return failure;
        }
    }
    std::optional<std::string> formSellerId;
    if (source.form || (!source.project && standardInputByDefault)) {
        const std::string path = source.form.value_or(std::string(kStandardInput));
        if (auto failure = ApplyFormFrom(path, form, formSellerId)) {
            return failure;
        }
    }
    if (formSellerId) {
        sellerId = *formSellerId;
        return std::nullopt;
    }
    sellerId.clear();
    return ReadSellerIdFile(sellerId);
}

}  // namespace licytek::cli
