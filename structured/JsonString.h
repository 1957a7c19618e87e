// Writing a JSON string for the structured description; reading UTF-8 is the model's.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/Utf8.h"

namespace licytek::structured {

// `text` as a JSON string, quotes included; broken UTF-8 becomes U+FFFD, so the JSON is
// always well formed.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace licytek::structured
