// What the commands of licytek-cli share: failures as values, the standard streams, and
// reading a form the way `render` reads it (defaults, then a project file, then a JSON form).
#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/Commands.h"
#include "model/AuctionForm.h"
#include "model/FileIo.h"
#include "model/FormFields.h"
#include "structured/Description.h"

namespace licytek::cli {

inline constexpr std::string_view kStandardInput = "-";
// The standard streams as a message names them.
inline constexpr std::string_view kStandardInputName = "standardowe wejście";
inline constexpr std::string_view kStandardOutputName = "standardowe wyjście";
// What starts a warning's line after "licytek-cli: ".
inline constexpr std::string_view kWarning = "uwaga: ";
// A form is a few hundred kilobytes at most; anything far larger is a mistake, not a form.
inline constexpr std::size_t kMaxFormBytes = std::size_t{64} << 20;

Failure FileFailure(std::string_view name, const FileError& error);
// A wrong command line, with a pointer to the help of `helpCommand` ("render ", or "").
Failure UsageFailure(std::string_view what, std::string_view helpCommand);

// The part of every command's help that describes the JSON form and each of its keys.
std::string FormHelp();

std::optional<Failure> WriteToStandardOutput(std::string_view bytes);
// Writes Windows-1250 text, as UTF-8 when `utf8` is set, converting it piece by piece so
// that a large page is never held twice.
std::optional<Failure> WriteTextToStandardOutput(std::string_view cp1250, bool utf8);
// One line to standard error, "licytek-cli: " and `line`, for warnings along the way. Control
// characters and bidirectional overrides in it (it may quote Allegro or a file) are shown
// escaped, never raw.
void WriteDiagnostic(std::string_view line);
// Each finding of an export as one such line, "uwaga: Telefon: message" ("błąd: " for an
// error, "informacja: " for a note), the input named by its label.
void ReportFindings(const std::vector<structured::Finding>& findings);

// The whole of `stream` up to `maxBytes`, or a failure named after `name`.
std::variant<std::string, Failure> ReadWhole(std::FILE* stream, std::string_view name,
                                             std::size_t maxBytes = kMaxFormBytes);
// The whole of the file `source`, or of standard input when it is "-".
std::variant<std::string, Failure> ReadInputText(const std::string& source,
                                                 std::size_t maxBytes = kMaxFormBytes);

// Applies the JSON form read from `source` onto `form`.
std::optional<Failure> ApplyFormFrom(const std::string& source, AuctionForm& form,
                                     std::optional<std::string>& sellerId);

// The inputs a project file keeps, in file order.
std::vector<const FormField*> ProjectFields();
// Loads the project file onto `form` as the window loads it.
std::optional<Failure> LoadProjectOnto(const std::string& path, AuctionForm& form);
// The seller ID from "id.ltk" in the current directory, left empty when there is none.
std::optional<Failure> ReadSellerIdFile(std::string& sellerId);

// Where a command's form comes from: `--project FILE` and a JSON form (or "-").
struct FormSource {
    std::optional<std::string> project;
    std::optional<std::string> form;
};

// How every command reads its arguments: "--" ends the options; "-h" and "--help" set
// `help`; every other option goes to `takeOption`, which takes a value by advancing the index
// and answers false for an option it does not know; every other argument (and "-") goes to
// `takeOperand`.
using OptionTaker = std::function<std::variant<bool, Failure>(std::size_t& index)>;
using OperandTaker = std::function<std::optional<Failure>(std::string_view operand)>;
std::optional<Failure> WalkArguments(std::span<const std::string_view> args,
                                     std::string_view helpCommand, bool& help,
                                     const OptionTaker& takeOption,
                                     const OperandTaker& takeOperand);

// The value of the option `name` at `index`, given as "NAME VALUE" (advancing the index) or
// "NAME=VALUE"; nothing when the argument is another option.
std::variant<std::optional<std::string>, Failure> OptionValue(
    std::span<const std::string_view> args, std::size_t& index, std::string_view name,
    std::string_view helpCommand);

// "--project FILE" into `source`; false for any other option.
std::variant<bool, Failure> TakeProjectOption(std::span<const std::string_view> args,
                                              std::size_t& index, FormSource& source,
                                              std::string_view helpCommand);
// The JSON form's file (or "-") as the command's one operand.
std::optional<Failure> TakeFormOperand(std::string_view operand, FormSource& source,
                                       std::string_view helpCommand);

// The form as `render` builds it: every input at its default, the project's inputs loaded,
// then the JSON form applied ("-" reads standard input, and so does nothing at all when
// `standardInputByDefault`). `sellerId` is the form's "SellerId", or else the one in "id.ltk".
std::optional<Failure> LoadFormFrom(const FormSource& source, AuctionForm& form,
                                    std::string& sellerId, bool standardInputByDefault = true);

}  // namespace licytek::cli
