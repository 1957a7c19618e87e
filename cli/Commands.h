// The commands of licytek-cli: render, project, export, check, batch and allegro (login,
// logout, offers, publish, pull). Each command's own file runs it through one entry point of
// the same shape, and RunCommandLine picks the one the arguments name.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace licytek::cli {

// Exit statuses of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;   // a file could not be read or written
inline constexpr int kExitInputError = 2;  // wrong usage or a wrong JSON form
// Exit statuses of the allegro commands beyond the tool's own.
inline constexpr int kExitSignedOut = 3;  // not signed in, or the session expired
inline constexpr int kExitNetwork = 4;    // no answer from Allegro after the retries
inline constexpr int kExitInterrupted = 130;

// Why a command ends early: its exit status and the one line for standard error. An empty
// message means the command has already reported everything itself.
struct Failure {
    int status;
    std::string message;
};

// Every command takes the arguments after its own name and answers nothing when it is done.

// licytek-cli render: the auction's HTML on standard output.
std::optional<Failure> RunRenderCommand(std::span<const std::string_view> args);
// licytek-cli project save|load: a project file from a JSON form, and back.
std::optional<Failure> RunProjectCommand(std::span<const std::string_view> args);
// licytek-cli batch: a template form and a spreadsheet of offers into a folder of
// descriptions.
std::optional<Failure> RunBatchCommand(std::span<const std::string_view> args);
// licytek-cli export allegro: the structured description for today's Allegro. A refused
// description has already reported each broken limit.
std::optional<Failure> RunExportCommand(std::span<const std::string_view> args);
// licytek-cli check: what today's Allegro and eBay would refuse in a page, line by line.
std::optional<Failure> RunCheckCommand(std::span<const std::string_view> args);
// licytek-cli allegro: sign in to Allegro, list the seller's offers, send a form's structured
// description into one of them, or read offers back into forms.
std::optional<Failure> RunAllegroCommand(std::span<const std::string_view> args);

// Runs the command that `args` (the arguments after the program's name) asks for, on the
// process's standard streams, and returns the exit status. A failure writes one line to
// standard error.
int RunCommandLine(std::span<const std::string_view> args);

}  // namespace licytek::cli
