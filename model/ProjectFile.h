// The project file "zapis.ltk": a 60,000-byte record of the form's saved inputs.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "model/AuctionForm.h"
#include "model/FileIo.h"

namespace licytek {

inline constexpr std::size_t kProjectRecordSize = 60000;
inline constexpr const char* kProjectFileName = "zapis.ltk";

// A text that does not fit its slot; the save is refused rather than cutting it.
struct SlotOverflow {
    std::string_view control;  // e.g. "Edit2"
    std::string_view label;    // Polish label, UTF-8, e.g. "Nagłówek aukcji"
    std::size_t limit = 0;     // slot length in bytes
    std::size_t length = 0;    // the text's length in bytes
    std::string Message() const;  // Polish, UTF-8, names the field, its limit and its length
};

// The 60,000-byte record for the form, or the first text that does not fit its slot.
std::variant<std::string, SlotOverflow> EncodeProject(const AuctionForm& form);

// Applies a record onto `form`: only the saved inputs change. A shorter record counts as
// padded with zero bytes; bytes past 60,000 are ignored. Loading order and the window's
// reactions are the window's business; this sets the values only.
void DecodeProject(std::string_view record, AuctionForm& form);

// Saves atomically into `path`; nothing is written when a text is too long.
std::variant<std::monostate, FileError, SlotOverflow> SaveProject(const AuctionForm& form,
                                                                  const std::string& path);

// Reads `path` (at most 60,000 bytes) onto `form`. On error `form` is unchanged.
std::optional<FileError> LoadProject(const std::string& path, AuctionForm& form);

}  // namespace licytek
