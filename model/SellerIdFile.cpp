#include "model/SellerIdFile.h"

namespace licytek {

std::string DecodeSellerId(std::string_view bytes) {
    bytes = bytes.substr(0, kSellerIdFileSize);
    return std::string(bytes.substr(0, bytes.find('\0')));
}

std::variant<std::monostate, std::string, FileError> LoadSellerId(const std::string& path) {
    if (!PathExists(path)) {
        return std::monostate{};
    }
    auto read = ReadFilePrefix(path, kSellerIdFileSize);
    if (auto* error = std::get_if<FileError>(&read)) {
        return *error;
    }
    return DecodeSellerId(std::get<std::string>(read));
}

std::string SellerIdTooLong::Message() const {
    return "Numer ID może mieć najwyżej " + std::to_string(kSellerIdFileSize) + " znaków, a ma " +
           std::to_string(length) + ". Numer ID nie został zapisany.";
}

std::variant<std::monostate, FileError, SellerIdTooLong> SaveSellerId(const std::string& id,
                                                                      const std::string& path) {
    if (id.size() > kSellerIdFileSize) {
        return SellerIdTooLong{id.size()};
    }
    std::string bytes(kSellerIdFileSize, '\0');
    bytes.replace(0, id.size(), id);
    if (auto error = WriteFileAtomically(path, bytes)) {
        return *error;
    }
    return std::monostate{};
}

}  // namespace licytek
