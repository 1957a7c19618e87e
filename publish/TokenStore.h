// Where the sign-in tokens live: the desktop's keyring (Secret Service, through libsecret),
// one entry per environment, or, where no Secret Service answers, a file readable by the
// seller alone: $XDG_CONFIG_HOME/licytek/allegro.json.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "model/FileDescriptor.h"
#include "publish/Protocol.h"

namespace licytek::publish {

class TokenStore {
  public:
    virtual ~TokenStore() = default;
    // The tokens kept for `environment`: none when nothing is kept, or a Polish message when
    // they could not be read or the place that holds them is not safe to use.
    virtual std::variant<std::optional<Tokens>, std::string> Read(
        const std::string& environment) = 0;
    // The same, with a failure to read counted as nothing kept.
    std::optional<Tokens> Load(const std::string& environment);
    // A Polish message when the tokens could not be kept.
    virtual std::optional<std::string> Save(const std::string& environment,
                                            const Tokens& tokens) = 0;
    // A Polish message when the tokens could not be read or removed.
    virtual std::optional<std::string> Forget(const std::string& environment) = 0;
    // A one-line warning the front end shows once (the file in place of the keyring), or
    // nothing.
    virtual std::optional<std::string> Warning() const = 0;
    // What the store found and put right when it was opened (a token file others could
    // read, now readable by the seller alone): each is handed out once, for the front end.
    virtual std::vector<std::string> TakeNotices() { return {}; }
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

// The tokens in a file (mode 0600) inside `folder`, made when needed. The file and the
// folder must be the user's and the folder that holds it the user's or root's, none of
// them writable by others; anything else, or a link in place of the file, is refused with
// a message that names it. A file others may read is made the user's alone at once, with
// a notice.
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
