// licytek-cli check: what today's Allegro and eBay would refuse in an auction page, line by
// line.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "cli/CommandSupport.h"
#include "model/Text.h"
#include "model/Utf8.h"
#include "structured/MarkupLimits.h"
#include "structured/PageCheck.h"

namespace licytek::cli {
namespace {

using structured::PageFinding;
using structured::PageTargets;
using structured::Severity;

// The page has something a site would refuse; the same status as a file error, as the
// help says.
constexpr int kExitRefused = 1;
constexpr int kExitUsage = 2;  // also: what was given is no page at all

constexpr std::string_view kCheckHelp =
    "Usage: licytek-cli check [--for allegro|ebay|all] [FILE.html | -]\n"
    "\n"
    "Checks an auction page (the classic description, or any other HTML) against what\n"
    "today's auction sites take, and prints one finding a line,\n"
    "    LINE:COL: TARGET: message\n"
    "(\"TARGET: uwaga: message\" for what the site takes but should be checked), then the\n"
    "count of errors and warnings. Lines and columns count from 1; a column counts the\n"
    "characters of its line, a tab being one.\n"
    "\n"
    "allegro  every element outside h1, h2, p, ul, ol, li and b, and every attribute (after\n"
    "         the first three of one element or attribute, one line sums up the rest)\n"
    "ebay     scripts, on... attributes, forms, frames, plug-ins, refreshing meta tags,\n"
    "         every http:// address and a page over 500,000 characters; a warning when\n"
    "         the page has no description for mobile devices\n"
    "\n"
    "The page is read as UTF-8 when it is valid UTF-8, else as Windows-1250. \"-\" or no\n"
    "FILE.html reads standard input.\n"
    "\n"
    "Options:\n"
    "  --for TARGET    allegro, ebay or all (the default)\n"
    "  -h, --help      show this help\n"
    "\n"
    "A file with NUL bytes, or mostly control characters, is no HTML page; a page nested\n"
    "deeper than 1,000 levels, or with over 100,000 tags, is refused with the limit named.\n"
    "\n"
    "Exit status: 0 the sites would take the page; 1 something would be refused, or the\n"
    "page could not be read; 2 wrong usage, or a file that is no HTML page.\n";

struct CheckArguments {
    bool help = false;
    PageTargets targets;
    std::string source{kStandardInput};
};

std::optional<PageTargets> TargetsNamed(std::string_view name) {
    if (name == "allegro") {
        return PageTargets{true, false};
    }
    if (name == "ebay") {
        return PageTargets{false, true};
    }
    if (name == "all") {
        return PageTargets{true, true};
    }
    return std::nullopt;
}

std::variant<CheckArguments, Failure> ParseCheckArguments(std::span<const std::string_view> args) {
    CheckArguments parsed;
    bool sourceGiven = false;
    const auto takeOption = [&](std::size_t& index) -> std::variant<bool, Failure> {
        auto value = OptionValue(args, index, "--for", "check ");
        if (auto* failure = std::get_if<Failure>(&value)) {
            return std::move(*failure);
        }
        const auto& name = std::get<std::optional<std::string>>(value);
        if (!name) {
            return false;
        }
        const auto targets = TargetsNamed(*name);
        if (!targets) {
            return UsageFailure("nieznany cel " + *name, "check ");
        }
        parsed.targets = *targets;
        return true;
    };
    const auto takeOperand = [&](std::string_view operand) -> std::optional<Failure> {
        if (sourceGiven) {
            return UsageFailure("więcej niż jedna strona: " + std::string(operand), "check ");
        }
        parsed.source = std::string(operand);
        sourceGiven = true;
        return std::nullopt;
    };
    if (auto failure = WalkArguments(args, "check ", parsed.help, takeOption, takeOperand)) {
        return *failure;
    }
    return parsed;
}

// A file that holds a zero byte, or whose start is mostly control characters, is no text
// at all (a picture, an archive, a program): its findings would mean nothing.
bool LooksBinary(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos) {
        return true;
    }
    const std::string_view start = bytes.substr(0, std::size_t{64} << 10);
    std::size_t controls = 0;
    for (const char c : start) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\t' && c != '\n' && c != '\r' && c != '\f') || byte == 0x7F) {
            ++controls;
        }
    }
    return controls * 10 > start.size();  // over a tenth
}

// The page as UTF-8. A byte-order mark is no character of the first line.
std::string PageAsUtf8(std::string bytes) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (!IsValidUtf8(bytes)) {
        return Cp1250ToUtf8(bytes);
    }
    if (bytes.starts_with(kByteOrderMark)) {
        bytes.erase(0, kByteOrderMark.size());
    }
    return bytes;
}

std::string FindingLine(const PageFinding& finding) {
    std::string line = std::to_string(finding.line) + ":" + std::to_string(finding.column) + ": " +
                       std::string(structured::TargetName(finding.target)) + ": ";
    if (finding.severity != Severity::Error) {
        line += kWarning;
    }
    line += finding.message;
    line += '\n';
    return line;
}

}  // namespace

std::optional<Failure> RunCheckCommand(std::span<const std::string_view> args) {
    auto parsedArgs = ParseCheckArguments(args);
    if (auto* failure = std::get_if<Failure>(&parsedArgs)) {
        return *failure;
    }
    const auto& options = std::get<CheckArguments>(parsedArgs);
    if (options.help) {
        return WriteToStandardOutput(kCheckHelp);
    }
    auto read = ReadInputText(options.source);
    if (auto* failure = std::get_if<Failure>(&read)) {
        return *failure;
    }
    if (LooksBinary(std::get<std::string>(read))) {
        const std::string name =
            options.source == kStandardInput ? std::string(kStandardInputName) : options.source;
        return Failure{kExitUsage, name +
                                       ": to nie jest strona HTML (plik ma bajty zerowe albo "
                                       "same znaki steruj\u0105ce)"};
    }
    const std::string page = PageAsUtf8(std::move(std::get<std::string>(read)));
    if (std::string problem = structured::MarkupLimitProblem(page, "Strona"); !problem.empty()) {
        return Failure{kExitRefused, problem};
    }
    const auto findings = structured::CheckPage(page, options.targets);

    std::string report;
    for (const PageFinding& finding : findings) {
        report += FindingLine(finding);
    }
    // A summing-up line stands for several places, so the count may exceed the lines.
    const structured::PageCounts counts = structured::CountPageFindings(findings);
    report += "B\u0142\u0119d\u00F3w: " + std::to_string(counts.errors) +
              ", ostrze\u017Ce\u0144: " + std::to_string(counts.warnings) + ".\n";
    if (auto failure = WriteToStandardOutput(report)) {
        return failure;
    }
    if (counts.errors > 0) {
        return Failure{kExitRefused, ""};  // the findings say it all
    }
    return std::nullopt;
}

}  // namespace licytek::cli
