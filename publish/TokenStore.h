// Where the sign-in tokens live: the desktop's keyring (Secret Service, through libsecret),
// one entry per environment, or, where no Secret Service answers, a file readable by the
// seller alone: $XDG_CONFIG_HOME/licytek/allegro.json.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "model/FileDescriptor.h"
#include "publish/Protocol.h"

namespace licytek::publish {

class TokenStore {
  public:
    virtual ~TokenStore() = default;
    virtual std::optional<Tokens> Load(const std::string& environment) = 0;
    // A Polish message when the tokens could not be kept.
    virtual std::optional<std::string> Save(const std::string& environment,
                                            const Tokens& tokens) = 0;
    virtual std::optional<std::string> Forget(const std::string& environment) = 0;
    // A one-line warning the front end shows once (the file in place of the keyring), or
    // nothing.
    virtual std::optional<std::string> Warning() const = 0;
    // Where the tokens are kept, for the seller: "pęku kluczy" or the file's path.
    virtual std::string Where() const = 0;
};

// The folder of the program's settings: $XDG_CONFIG_HOME/licytek (else ~/.config/licytek).
std::string ConfigFolder();
// The folder of the program's data: $XDG_DATA_HOME/licytek (else ~/.local/share/licytek).
std::string DataFolder();
// The folder of what the program may forget: $XDG_CACHE_HOME/licytek (else ~/.cache/licytek).
std::string CacheFolder();

// Makes `folder` and its parents where missing (new ones readable by the seller alone).
void MakeFolders(const std::string& folder);

// The tokens in a file (mode 0600) inside `folder`, made when needed.
std::unique_ptr<TokenStore> MakeFileTokenStore(const std::string& folder);
// The keyring when a Secret Service answers on the session bus within a moment (nothing is
// started for it), else the file in ConfigFolder() with a warning.
std::unique_ptr<TokenStore> MakeTokenStore();

// An exclusive lock on a file in `folder` while it lives, so that two programs refreshing
// at once do not lose the new single-use pair.
class RefreshLock {
  public:
    explicit RefreshLock(const std::string& folder);

  private:
    FileDescriptor fd_;  // closing it releases the lock
};

}  // namespace licytek::publish
