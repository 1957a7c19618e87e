// Reads arbitrary bytes as a JSON form and holds our own reader against nlohmann's parser:
// whatever nlohmann refuses as JSON we refuse too, and a form we accept is a JSON object whose
// texts, switches and list positions we read as nlohmann reads them.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "formjson/FormJson.h"
#include "model/FormFields.h"
#include "model/Text.h"

namespace licytek {
namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// Line breaks as nlohmann keeps them: our reader may widen a lone LF into CR LF.
std::string WithoutCarriageReturns(std::string text) {
    std::erase(text, '\r');
    return text;
}

void CheckValue(const FormField& field, const nlohmann::json& value, const AuctionForm& form) {
    switch (field.kind) {
        case FieldKind::Text:
        case FieldKind::MultiLineText:
        case FieldKind::ListText: {
            Check(value.is_string(), "a text was read from a value that is not a string");
            const auto cp1250 = FieldTextFromUtf8(field, value.get<std::string>());
            Check(cp1250.has_value(), "a text its input cannot hold was accepted");
            Check(WithoutCarriageReturns(*cp1250) == WithoutCarriageReturns(form.*field.text),
                  "a text was read otherwise than nlohmann reads it");
            break;
        }
        case FieldKind::Switch:
            if (value.is_boolean() && field.group == SwitchGroup::None) {
                Check(form.*field.flag == value.get<bool>(), "a switch was read wrongly");
            }
            break;
        case FieldKind::ListPosition:
            if (value.is_number_integer()) {
                Check(form.*field.position == value.get<int>(), "a list position was read wrongly");
            }
            break;
    }
}

void FuzzFormJson(std::string_view bytes) {
    AuctionForm form;
    std::optional<std::string> sellerId;
    const bool accepted = !ApplyFormJson(bytes, form, sellerId).has_value();
    const nlohmann::json parsed = nlohmann::json::parse(bytes, nullptr, false);
    if (parsed.is_discarded()) {
        Check(!accepted, "a text that is not JSON was accepted as a form");
        return;
    }
    if (!accepted) {
        return;  // valid JSON may still not be a form
    }
    Check(parsed.is_object(), "a form that is not a JSON object was accepted");
    for (const auto& [key, value] : parsed.items()) {
        if (key == kSellerIdKey) {
            continue;
        }
        const FormField* field = FindFormField(key);
        Check(field != nullptr, "an unknown key was accepted");
        CheckValue(*field, value, form);
    }
}

}  // namespace
}  // namespace licytek

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    licytek::FuzzFormJson(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
