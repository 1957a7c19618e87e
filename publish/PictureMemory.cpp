#include "publish/PictureMemory.h"

#include <nlohmann/json.hpp>

#include "model/FileIo.h"

namespace licytek::publish {

namespace {
constexpr std::size_t kMaxMemoryBytes = std::size_t{8} << 20;
}

PictureMemory::PictureMemory(std::string file) : file_(std::move(file)) {
    auto read = ReadFilePrefix(file_, kMaxMemoryBytes);
    if (auto* bytes = std::get_if<std::string>(&read)) {
        const auto value = nlohmann::json::parse(*bytes, nullptr, false);
        if (!value.is_object()) {
            return;
        }
        for (const auto& [offer, pictures] : value.items()) {
            if (!pictures.is_object()) {
                continue;
            }
            for (const auto& [key, location] : pictures.items()) {
                if (location.is_string()) {
                    offers_[offer][key] = location.get<std::string>();
                }
            }
        }
    }
}

std::optional<std::string> PictureMemory::Find(const std::string& offerId,
                                               const std::string& key) const {
    if (auto offer = offers_.find(offerId); offer != offers_.end()) {
        if (auto picture = offer->second.find(key); picture != offer->second.end()) {
            return picture->second;
        }
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> PictureMemory::FindEverywhere(
    const std::string& prefix, const std::string& key) const {
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& [offer, pictures] : offers_) {
        if (offer.starts_with(prefix)) {
            if (auto picture = pictures.find(key); picture != pictures.end()) {
                found.emplace_back(offer, picture->second);
            }
        }
    }
    return found;
}

void PictureMemory::Remember(const std::string& offerId, const std::string& key,
                             const std::string& location) {
    offers_[offerId][key] = location;
}

std::optional<std::string> PictureMemory::Save() const {
    nlohmann::json value = nlohmann::json::object();
    for (const auto& [offer, pictures] : offers_) {
        for (const auto& [key, location] : pictures) {
            value[offer][key] = location;
        }
    }
    if (auto error = WriteFileAtomically(file_, value.dump(1))) {
        return "Nie udało się zapisać " + file_ + ": " + PolishMessage(*error);
    }
    return std::nullopt;
}

}  // namespace licytek::publish
