#include "publish/TokenStore.h"

#include <fcntl.h>
#include <grp.h>
#include <libsecret/secret.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <utility>
#include <vector>

#include "model/FileIo.h"

namespace licytek::publish {
namespace {

using nlohmann::json;

constexpr std::size_t kMaxTokenFileBytes = 1 << 20;

std::string XdgFolder(const char* variable, const char* fallbackUnderHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') {
        return std::string(value) + "/licytek";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/" + fallbackUnderHome + "/licytek";
}

json TokensToJson(const Tokens& tokens) {
    return json{{"access_token", tokens.access},
                {"refresh_token", tokens.refresh},
                {"expires_at", tokens.expiresAt}};
}

std::optional<Tokens> TokensFromJson(const json& value) {
    if (!value.is_object() || !value.contains("access_token") || !value.contains("refresh_token") ||
        !value["access_token"].is_string() || !value["refresh_token"].is_string()) {
        return std::nullopt;
    }
    Tokens tokens{value["access_token"].get<std::string>(),
                  value["refresh_token"].get<std::string>(), 0};
    if (value.contains("expires_at") && value["expires_at"].is_number_integer()) {
        tokens.expiresAt = value["expires_at"].get<Seconds>();
    }
    return tokens;
}

// The account's name, or its number where the system has no name for it.
std::string AccountName(uid_t uid) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr) {
        return found->pw_name;
    }
    return "UID " + std::to_string(uid);
}

// Whether `gid` is the user's own group (named after the user, with no other member), as
// systems that give each user a group of their own make folders writable by it.
bool IsUsersOwnGroup(gid_t gid) {
    if (gid != ::getegid()) {
        return false;
    }
    std::vector<char> buffer(65536);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return false;
    }
    const std::string user = AccountName(::geteuid());
    if (user != found->gr_name) {
        return false;
    }
    for (char** member = found->gr_mem; *member != nullptr; ++member) {
        if (user != *member) {
            return false;
        }
    }
    return true;
}

// Whether others than the owner may change what a folder or file holds. In a folder with
// the sticky bit others may add entries but not touch the owner's.
bool OthersMayChange(const struct stat& info) {
    if (S_ISDIR(info.st_mode) && (info.st_mode & S_ISVTX) != 0) {
        return false;
    }
    return (info.st_mode & S_IWOTH) != 0 ||
           ((info.st_mode & S_IWGRP) != 0 && !IsUsersOwnGroup(info.st_gid));
}

std::string Octal(mode_t mode) {
    std::string digits;
    for (int shift = 9; shift >= 0; shift -= 3) {
        digits += static_cast<char>('0' + ((mode >> shift) & 7));
    }
    return digits;
}

constexpr std::string_view kNotKeptHere = ": program nie trzyma w nim danych logowania do Allegro.";
constexpr std::string_view kElsewhere = " albo wskaż inny folder w XDG_CONFIG_HOME.";

// Why `folder` may not hold the tokens, naming it, or nothing. Root may own the folder that
// holds the program's own, as it may own any folder above the home.
std::optional<std::string> UnsafeFolder(const std::string& folder, bool rootMayOwn) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        return std::nullopt;  // nothing there yet; reading or writing says what else is wrong
    }
    if (info.st_uid != ::geteuid() && !(rootMayOwn && info.st_uid == 0)) {
        return "Folder " + folder + " należy do innego użytkownika (" + AccountName(info.st_uid) +
               ")" + std::string(kNotKeptHere) + " Zmień jego właściciela" +
               std::string(kElsewhere);
    }
    if (OthersMayChange(info)) {
        return "Folder " + folder + " mogą zmieniać inni użytkownicy (uprawnienia " +
               Octal(info.st_mode) + ")" + std::string(kNotKeptHere) +
               " Odbierz im to prawo (chmod go-w " + folder + ")" + std::string(kElsewhere);
    }
    return std::nullopt;
}

class FileTokenStore final : public TokenStore {
  public:
    explicit FileTokenStore(std::string folder, bool warn)
        : folder_(std::move(folder)), file_(folder_ + "/allegro.json"), warn_(warn) {
        Check();  // a file open to others is closed now, before anything else
    }

    std::variant<std::optional<Tokens>, std::string> Read(const std::string& environment) override {
        if (auto refusal = Check()) {
            return *refusal;
        }
        auto all = ReadAll();
        if (auto* error = std::get_if<std::string>(&all)) {
            return "Nie udało się odczytać danych logowania z " + file_ + ": " + *error;
        }
        const json& value = std::get<json>(all);
        if (!value.contains(environment)) {
            return std::optional<Tokens>{};
        }
        return TokensFromJson(value[environment]);
    }

    std::optional<std::string> Save(const std::string& environment, const Tokens& tokens) override {
        MakeFolders(folder_);
        if (auto refusal = Check()) {
            return refusal;
        }
        auto all = ReadAll();
        if (auto* error = std::get_if<std::string>(&all)) {
            // Written over, the tokens of the other environments would be lost.
            return "Nie udało się zapisać danych logowania w " + file_ +
                   ": nie można odczytać tego pliku (" + *error + ").";
        }
        json& value = std::get<json>(all);
        value[environment] = TokensToJson(tokens);
        return Write(value, "Nie udało się zapisać danych logowania w ");
    }

    std::optional<std::string> Forget(const std::string& environment) override {
        if (auto refusal = Check()) {
            return refusal;
        }
        auto all = ReadAll();
        if (auto* error = std::get_if<std::string>(&all)) {
            return "Nie udało się odczytać danych logowania z " + file_ +
                   ", więc nie zostały usunięte: " + *error;
        }
        json& value = std::get<json>(all);
        if (!value.contains(environment)) {
            return std::nullopt;
        }
        value.erase(environment);
        return Write(value, "Nie udało się usunąć danych logowania z ");
    }

    std::optional<std::string> Warning() const override {
        if (!warn_) {
            return std::nullopt;
        }
        return "Brak pęku kluczy (Secret Service): dane logowania do Allegro są w pliku " + file_ +
               ", dostępnym tylko dla Ciebie.";
    }

    std::vector<std::string> TakeNotices() override { return std::exchange(notices_, {}); }

    std::string Where() const override { return file_; }

  private:
    // Why the tokens may not be kept here, or nothing: the folders that hold the file (the
    // one a link in the folder's place leads to as well) and the file itself.
    std::optional<std::string> Check() {
        std::vector<std::pair<std::string, bool>> folders = {{FolderOf(folder_), true},
                                                             {folder_, false}};
        struct stat info {};
        if (::lstat(folder_.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
            if (char* real = ::realpath(folder_.c_str(), nullptr)) {
                folders.emplace_back(FolderOf(real), true);
                std::free(real);
            }
        }
        for (const auto& [folder, rootMayOwn] : folders) {
            if (auto refusal = UnsafeFolder(folder, rootMayOwn)) {
                return refusal;
            }
        }
        return CheckFile();
    }

    // The file must be the user's own and no link; one others may read is closed at once.
    std::optional<std::string> CheckFile() {
        struct stat info {};
        if (::lstat(file_.c_str(), &info) != 0 ||
            !(S_ISLNK(info.st_mode) || S_ISREG(info.st_mode))) {
            return std::nullopt;  // missing, or reading it says what stands there
        }
        if (S_ISLNK(info.st_mode)) {
            return "Plik " + file_ +
                   " jest dowiązaniem symbolicznym: program nie zapisuje danych logowania do "
                   "Allegro przez dowiązania. Usuń je" +
                   std::string(kElsewhere);
        }
        if (info.st_uid != ::geteuid()) {
            return "Plik " + file_ + " należy do innego użytkownika (" + AccountName(info.st_uid) +
                   ")" + std::string(kNotKeptHere) + " Usuń go" + std::string(kElsewhere);
        }
        if ((info.st_mode & 077) != 0) {
            // Not a link and in the user's own folder: nobody can swap it meanwhile.
            if (::chmod(file_.c_str(), 0600) != 0) {
                return "Plik " + file_ +
                       " z danymi logowania do Allegro jest dostępny dla innych " +
                       "użytkowników (uprawnienia " + Octal(info.st_mode) +
                       "), a program nie mógł tego zmienić: " +
                       PolishMessage(FileErrorFromErrno(errno));
            }
            notices_.push_back("Plik " + file_ +
                               " z danymi logowania do Allegro był dostępny dla innych "
                               "użytkowników (uprawnienia " +
                               Octal(info.st_mode) + "); teraz jest dostępny tylko dla Ciebie.");
        }
        return std::nullopt;
    }

    // The environments the file holds (none when there is no file or it is broken), or why
    // it could not be read.
    std::variant<json, std::string> ReadAll() const {
        struct stat info {};
        if (::lstat(file_.c_str(), &info) != 0 && errno == ENOENT) {
            return json::object();
        }
        auto read = ReadFilePrefix(file_, kMaxTokenFileBytes);
        if (auto* error = std::get_if<FileError>(&read)) {
            return PolishMessage(*error);
        }
        json value = json::parse(std::get<std::string>(read), nullptr, false);
        return value.is_object() ? value : json::object();
    }

    std::optional<std::string> Write(const json& all, const std::string& failed) const {
        if (auto error = WriteFileAtomically(file_, all.dump(1), Flush::EachFile, Access::OwnerOnly,
                                             Links::Refuse)) {
            return failed + file_ + ": " + PolishMessage(*error);
        }
        return std::nullopt;
    }

    std::string folder_;
    std::string file_;
    bool warn_;
    std::vector<std::string> notices_;
};

const SecretSchema* KeyringSchema() {
    static const SecretSchema schema = [] {
        SecretSchema s{};
        s.name = "pl.licytek.Allegro";
        s.flags = SECRET_SCHEMA_NONE;
        s.attributes[0] = {"environment", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[1] = {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING};
        return s;
    }();
    return &schema;
}

std::string TakeError(GError*& error) {
    std::string message = error != nullptr && error->message != nullptr ? error->message : "";
    g_clear_error(&error);
    return message;
}

class KeyringTokenStore final : public TokenStore {
  public:
    std::variant<std::optional<Tokens>, std::string> Read(const std::string& environment) override {
        GError* error = nullptr;
        gchar* secret = secret_password_lookup_sync(KeyringSchema(), nullptr, &error, "environment",
                                                    environment.c_str(), nullptr);
        if (error != nullptr) {
            if (secret != nullptr) {
                secret_password_free(secret);
            }
            return "Nie udało się odczytać danych logowania z pęku kluczy: " + TakeError(error);
        }
        if (secret == nullptr) {
            return std::optional<Tokens>{};
        }
        const json value = json::parse(secret, nullptr, false);
        secret_password_free(secret);
        return TokensFromJson(value);
    }

    std::optional<std::string> Save(const std::string& environment, const Tokens& tokens) override {
        GError* error = nullptr;
        const std::string label = "Licytek: Allegro (" + environment + ")";
        const std::string secret = TokensToJson(tokens).dump();
        const gboolean stored = secret_password_store_sync(
            KeyringSchema(), SECRET_COLLECTION_DEFAULT, label.c_str(), secret.c_str(), nullptr,
            &error, "environment", environment.c_str(), nullptr);
        const std::string why = TakeError(error);
        if (!stored) {
            return "Nie udało się zapisać danych logowania w pęku kluczy: " + why;
        }
        return std::nullopt;
    }

    std::optional<std::string> Forget(const std::string& environment) override {
        GError* error = nullptr;
        secret_password_clear_sync(KeyringSchema(), nullptr, &error, "environment",
                                   environment.c_str(), nullptr);
        if (error != nullptr) {
            return "Nie udało się usunąć danych logowania z pęku kluczy: " + TakeError(error);
        }
        return std::nullopt;
    }

    std::optional<std::string> Warning() const override { return std::nullopt; }
    std::string Where() const override { return "pęk kluczy"; }
};

// Whether a Secret Service runs on the session bus now. Nothing is started for it, and a bus
// that does not answer within a moment counts as none.
bool SecretServiceAnswers() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address == nullptr || address[0] == '\0') {
        return false;
    }
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (bus == nullptr) {
        TakeError(error);
        return false;
    }
    constexpr int kAnswerMilliseconds = 1500;
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", "org.freedesktop.secrets"), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NO_AUTO_START, kAnswerMilliseconds, nullptr, &error);
    bool owned = false;
    if (reply != nullptr) {
        gboolean value = FALSE;
        g_variant_get(reply, "(b)", &value);
        owned = value != FALSE;
        g_variant_unref(reply);
    }
    TakeError(error);
    g_object_unref(bus);
    return owned;
}

}  // namespace

std::optional<Tokens> TokenStore::Load(const std::string& environment) {
    auto read = Read(environment);
    if (auto* tokens = std::get_if<std::optional<Tokens>>(&read)) {
        return *tokens;
    }
    return std::nullopt;
}

void MakeFolders(const std::string& folder) {
    for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        ::mkdir(part.c_str(), 0700);
        if (slash == std::string::npos) {
            break;
        }
    }
}

std::string ConfigFolder() {
    return XdgFolder("XDG_CONFIG_HOME", ".config");
}

std::string DataFolder() {
    return XdgFolder("XDG_DATA_HOME", ".local/share");
}

std::string CacheFolder() {
    return XdgFolder("XDG_CACHE_HOME", ".cache");
}

std::unique_ptr<TokenStore> MakeFileTokenStore(const std::string& folder) {
    return std::make_unique<FileTokenStore>(folder, false);
}

std::unique_ptr<TokenStore> MakeTokenStore() {
    if (SecretServiceAnswers()) {
        return std::make_unique<KeyringTokenStore>();
    }
    return std::make_unique<FileTokenStore>(ConfigFolder(), true);
}

RefreshLock::RefreshLock(const std::string& folder) {
    MakeFolders(folder);
    const std::string path = folder + "/allegro.lock";
    fd_.Reset(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (fd_.IsOpen()) {
        while (::flock(fd_.get(), LOCK_EX) != 0 && errno == EINTR) {
        }
    }
}

}  // namespace licytek::publish
