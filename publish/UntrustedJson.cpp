#include "publish/UntrustedJson.h"

#include "publish/OfferLookups.h"
#include "structured/JsonDepth.h"

namespace licytek::publish {

using nlohmann::json;

std::optional<json> ParseUntrusted(std::string_view body) {
    if (!structured::JsonDepthWithin(body, kMaxAnswerDepth)) {
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
