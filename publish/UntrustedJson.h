// Reading JSON that came from the network: depth bounded before parsing, and every field read
// for what it is (missing, null or of another type is absent). For publish/'s own sources;
// nlohmann's types stay out of the library's public headers.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace licytek::publish {

// The answer parsed, or nothing when it is no JSON or nested deeper than kMaxAnswerDepth.
std::optional<nlohmann::json> ParseUntrusted(std::string_view body);

// The member `key` of an object, or null when the value is no object or lacks it.
const nlohmann::json* Member(const nlohmann::json& object, const char* key);
// The member's text; empty when it is no text.
std::string Text(const nlohmann::json& object, const char* key);
// The member's truth; false when it is no boolean.
bool Flag(const nlohmann::json& object, const char* key);

}  // namespace licytek::publish
