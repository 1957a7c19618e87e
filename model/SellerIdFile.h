// The seller ID file "id.ltk": the seller's auction-site user ID in 20 bytes, zero-padded.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "model/FileIo.h"

namespace licytek {

inline constexpr std::size_t kSellerIdFileSize = 20;
inline constexpr const char* kSellerIdFileName = "id.ltk";

// The ID held by the file's bytes: up to the first zero byte, at most 20 bytes.
std::string DecodeSellerId(std::string_view bytes);

// Reads the ID from `path`, all 20 bytes of it. Nothing when the file does not exist; a
// FileError when it exists but cannot be read.
std::variant<std::monostate, std::string, FileError> LoadSellerId(const std::string& path);

// An ID longer than 20 bytes is refused: a cut ID would link to another seller's pages.
struct SellerIdTooLong {
    std::size_t length = 0;
    std::string Message() const;  // Polish, UTF-8
};

// Writes the ID followed by zero bytes up to 20 bytes, atomically.
std::variant<std::monostate, FileError, SellerIdTooLong> SaveSellerId(const std::string& id,
                                                                      const std::string& path);

}  // namespace licytek
