// Which Allegro location each picture source got in each offer, so that publishing the same
// form again reuses the picture instead of adding a copy to the gallery. Kept in
// $XDG_DATA_HOME/licytek/pictures.json.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace licytek::publish {

class PictureMemory {
  public:
    // Reads the memory kept in `file`; a missing or broken file is an empty memory.
    explicit PictureMemory(std::string file);

    std::optional<std::string> Find(const std::string& offerId, const std::string& key) const;
    // Every offer, among those whose name in the memory starts with `prefix`, where `key`
    // got a location, with that location.
    std::vector<std::pair<std::string, std::string>> FindEverywhere(const std::string& prefix,
                                                                    const std::string& key) const;
    void Remember(const std::string& offerId, const std::string& key, const std::string& location);
    // A Polish message when the file could not be written.
    std::optional<std::string> Save() const;

  private:
    std::string file_;
    std::map<std::string, std::map<std::string, std::string>> offers_;
};

}  // namespace licytek::publish
