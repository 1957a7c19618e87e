// The project file "zapis.ltk": a 60,000-byte record of the form's saved inputs.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "model/AuctionForm.h"
#include "model/FileIo.h"

namespace licytek {

inline constexpr std::size_t kProjectRecordSize = 60000;
inline constexpr const char* kProjectFileName = "zapis.ltk";

// Where one saved input lives in the record. Texts fill their slot from its first byte and
// end at the first zero byte; switches and list positions take one byte.
struct ProjectSlot {
    std::size_t offset;
    std::size_t length;
    std::string_view control;  // the input's name in FormFields(), e.g. "Edit2"
};

// Every saved input in file order, which is also the order in which a load restores them.
// Inputs not listed keep their values when a project is loaded.
std::span<const ProjectSlot> ProjectSlots();

// A text that the record cannot hold as it is; the save is refused rather than cutting the
// text or storing one that would load back different.
struct SlotOverflow {
    std::string_view control;  // e.g. "Edit2"
    std::string_view label;    // Polish label, UTF-8, e.g. "Nagłówek aukcji"
    std::size_t limit = 0;     // slot length in bytes
    std::size_t length = 0;    // the text's length in bytes
    // Set when the text fits but holds a zero byte (at this offset): a loaded text ends at its
    // first zero byte, so the rest would be lost.
    std::optional<std::size_t> zeroByteAt;
    std::string Message() const;  // Polish, UTF-8, names the field, its limit and its length
};

// The 60,000-byte record for the form, or the first text (in file order) it cannot hold.
std::variant<std::string, SlotOverflow> EncodeProject(const AuctionForm& form);

// Applies a record onto `form`: only the saved inputs change. A shorter record counts as
// padded with zero bytes; bytes past 60,000 are ignored. Loading order and the window's
// reactions are the window's business; this sets the values only. The eight layout switches
// are set exactly as the record says, so a record may select none or several.
void DecodeProject(std::string_view record, AuctionForm& form);

// Saves atomically into `path`; nothing is written when a text is refused.
std::variant<std::monostate, FileError, SlotOverflow> SaveProject(const AuctionForm& form,
                                                                  const std::string& path);

// Reads `path` (at most 60,000 bytes) onto `form`. On error `form` is unchanged.
std::optional<FileError> LoadProject(const std::string& path, AuctionForm& form);

}  // namespace licytek
