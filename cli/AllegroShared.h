// What the files of the allegro commands share: AllegroCommand.cpp keeps the session's opening,
// the failures' wording and the Ctrl+C flag; AllegroCreateCommand.cpp runs the commands of new
// offers (settings, categories, parameters, products and create).
#pragma once

#include <atomic>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "cli/Commands.h"
#include "publish/AllegroSession.h"

namespace licytek::cli {

// The failure as the tool ends with it: its exit status and its message with the Trace-Id.
Failure AllegroFailure(const publish::Failure& failure);
// The session for the process's environment, or the failure that says what is missing.
std::variant<publish::SessionParts, Failure> OpenAllegroSession(bool sandbox);
// Set by Ctrl+C while an allegro command runs.
const std::atomic<bool>* AllegroInterrupted();

bool IsNewOfferCommand(std::string_view action);
// Runs `action` with the arguments after it; Ctrl+C is already caught.
std::optional<Failure> RunNewOfferCommand(std::string_view action,
                                          std::span<const std::string_view> args);

}  // namespace licytek::cli
