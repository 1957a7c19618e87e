// The JSON form of the command-line tool: one object whose keys are the control names of the
// input table (plus "SellerId") and whose values are UTF-8 strings, booleans or list positions.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/AuctionForm.h"
#include "model/FormFields.h"

namespace licytek {

inline constexpr std::string_view kSellerIdKey = "SellerId";

// What is wrong with a JSON form, as one line that names the key or the position in the JSON.
struct FormJsonError {
    std::string message;
    // The same for the batch, whose other messages are all Polish.
    std::string polish = {};
};

// Applies the JSON form `json` onto `form`: every key it names replaces that input, every
// other input keeps its value. Naming any member of a radio group (or of the editor's
// alignment panels) chooses exactly the members given true. `sellerId` gets the "SellerId"
// key when the form holds one. On an error neither `form` nor `sellerId` changes.
std::optional<FormJsonError> ApplyFormJson(std::string_view json, AuctionForm& form,
                                           std::optional<std::string>& sellerId);

// Keys that a row of a batch carries beside the form ("plik", "oferta"): string values, kept
// as UTF-8 and not applied to the form. A key not given stays out of `values`.
struct ExtraKeys {
    std::span<const std::string_view> names;
    std::map<std::string, std::string, std::less<>> values;
};

// The same, also taking the keys of `extra`.
std::optional<FormJsonError> ApplyFormJson(std::string_view json, AuctionForm& form,
                                           std::optional<std::string>& sellerId, ExtraKeys& extra);

// The JSON form of the given inputs of `form`, in the order given, pretty-printed with no
// final line break. Texts become UTF-8 with their line breaks as they are held (CR LF).
std::string FormToJson(const AuctionForm& form, std::span<const FormField* const> fields);

// Every input of the table, in table order.
std::span<const FormField* const> AllFormFields();

}  // namespace licytek
