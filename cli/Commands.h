// The commands of licytek-cli: render, project, export allegro, check, batch and allegro
// (login, logout, offers, publish, pull). Each command's own file runs it.
#pragma once

#include <span>
#include <string_view>

namespace licytek {

// Exit statuses of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFileError = 1;   // a file could not be read or written
inline constexpr int kExitInputError = 2;  // wrong usage or a wrong JSON form

// Runs the command that `args` (the arguments after the program's name) asks for, on the
// process's standard streams, and returns the exit status. A failure writes one line to
// standard error.
int RunCommandLine(std::span<const std::string_view> args);

}  // namespace licytek
