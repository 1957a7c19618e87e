// licytek-cli allegro: sign in to Allegro, list the seller's offers, and send a form's
// structured description with its pictures into one of them.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "cli/CommandSupport.h"

namespace licytek::cli {

// Exit statuses of the allegro commands beyond the tool's own.
inline constexpr int kExitSignedOut = 3;  // not signed in, or the session expired
inline constexpr int kExitNetwork = 4;    // no answer from Allegro after the retries
inline constexpr int kExitInterrupted = 130;

// A failure with an empty message has already reported everything.
std::optional<Failure> RunAllegroCommand(std::span<const std::string_view> args);

}  // namespace licytek::cli
