#include "publish/TokenStore.h"

#include <fcntl.h>
#include <libsecret/secret.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <nlohmann/json.hpp>

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

class FileTokenStore final : public TokenStore {
  public:
    explicit FileTokenStore(std::string folder, bool warn)
        : folder_(std::move(folder)), file_(folder_ + "/allegro.json"), warn_(warn) {}

    std::optional<Tokens> Load(const std::string& environment) override {
        const json all = ReadAll();
        if (!all.is_object() || !all.contains(environment)) {
            return std::nullopt;
        }
        return TokensFromJson(all[environment]);
    }

    std::optional<std::string> Save(const std::string& environment, const Tokens& tokens) override {
        json all = ReadAll();
        if (!all.is_object()) {
            all = json::object();
        }
        all[environment] = TokensToJson(tokens);
        return Write(all);
    }

    std::optional<std::string> Forget(const std::string& environment) override {
        json all = ReadAll();
        if (!all.is_object() || !all.contains(environment)) {
            return std::nullopt;
        }
        all.erase(environment);
        return Write(all);
    }

    std::optional<std::string> Warning() const override {
        if (!warn_) {
            return std::nullopt;
        }
        return "Brak pęku kluczy (Secret Service): dane logowania do Allegro są w pliku " + file_ +
               ", dostępnym tylko dla Ciebie.";
    }

    std::string Where() const override { return file_; }

  private:
    json ReadAll() const {
        auto read = ReadFilePrefix(file_, kMaxTokenFileBytes);
        if (auto* bytes = std::get_if<std::string>(&read)) {
            return json::parse(*bytes, nullptr, false);
        }
        return json::object();
    }

    std::optional<std::string> Write(const json& all) const {
        MakeFolders(folder_);
        if (auto error =
                WriteFileAtomically(file_, all.dump(1), Flush::EachFile, Access::OwnerOnly)) {
            return "Nie udało się zapisać danych logowania w " + file_ + ": " +
                   PolishMessage(*error);
        }
        return std::nullopt;
    }

    std::string folder_;
    std::string file_;
    bool warn_;
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
    std::optional<Tokens> Load(const std::string& environment) override {
        GError* error = nullptr;
        gchar* secret = secret_password_lookup_sync(KeyringSchema(), nullptr, &error, "environment",
                                                    environment.c_str(), nullptr);
        TakeError(error);
        if (secret == nullptr) {
            return std::nullopt;
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
