#include "publish/UntrustedJson.h"

#include "publish/OfferLookups.h"

namespace licytek::publish {

using nlohmann::json;

bool NestingWithin(std::string_view text, std::size_t limit) {
    std::size_t depth = 0;
    bool inString = false;
    bool escaped = false;
    for (const char c : text) {
        if (inString) {
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == '"') {
                inString = false;
            }
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limit) {
                return false;
            }
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
    return true;
}

std::optional<json> ParseUntrusted(std::string_view body) {
    if (!NestingWithin(body, kMaxAnswerDepth)) {
        return std::nullopt;
    }
    json value = json::parse(body, nullptr, false);
    if (value.is_discarded()) {
        return std::nullopt;
    }
    return value;
}

const json* Member(const json& object, const char* key) {
    if (!object.is_object()) {
        return nullptr;
    }
    const auto it = object.find(key);
    return it == object.end() ? nullptr : &*it;
}

std::string Text(const json& object, const char* key) {
    const json* member = Member(object, key);
    return member && member->is_string() ? member->get<std::string>() : std::string();
}

bool Flag(const json& object, const char* key) {
    const json* member = Member(object, key);
    return member && member->is_boolean() && member->get<bool>();
}

}  // namespace licytek::publish
