// Where Allegro is, and the program's own keys: production, the sandbox, or one base address
// (LICYTEK_ALLEGRO_URL) that replaces all three hosts, for local fakes.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace licytek::publish {

enum class Environment { Production, Sandbox, Custom };

struct Endpoints {
    Environment environment = Environment::Production;
    bool sandboxKeys = false;  // which pair of keys signs in (the custom address takes either)
    std::string auth;          // sign-in: /auth/oauth/device, /auth/oauth/token
    std::string api;           // the REST API
    std::string upload;        // POST /sale/images
    std::string site;          // the seller's pages: SITE/oferta/ID

    // One name for each environment, for the token store: "production", "sandbox" or
    // "custom http://127.0.0.1:8080".
    std::string StoreName() const;
    std::string OfferPage(std::string_view offerId) const;
};

// Reads an environment variable; tests pass their own.
using EnvironmentReader = std::function<std::optional<std::string>(const char* name)>;
std::optional<std::string> ReadProcessEnvironment(const char* name);

// The endpoints for `sandbox` or, when LICYTEK_ALLEGRO_URL is set, that one base address;
// a Polish message when the address is not http(s), or is plain http to anything but the
// loopback (127.0.0.1, ::1, localhost).
std::variant<Endpoints, std::string> ChooseEndpoints(
    bool sandbox, const EnvironmentReader& environment = ReadProcessEnvironment);

// Whether plain http:// may go to this host.
bool IsLoopbackHost(std::string_view host);

struct ClientKeys {
    std::string id;
    std::string secret;
};

inline constexpr std::string_view kNoKeysMessage =
    "Ta kompilacja programu nie ma klucza aplikacji Allegro.";

// The program's keys for the endpoints: the build's (CMake cache variables
// LICYTEK_ALLEGRO_CLIENT_ID/SECRET, or the _SANDBOX_ pair), overridden by the environment
// variables of the same names. Nothing when the build and the environment have none.
std::optional<ClientKeys> ChooseKeys(const Endpoints& endpoints,
                                     const EnvironmentReader& environment = ReadProcessEnvironment);

// The transfer timeout in seconds: LICYTEK_ALLEGRO_TIMEOUT, else 30.
long ChooseTimeoutSeconds(const EnvironmentReader& environment = ReadProcessEnvironment);

}  // namespace licytek::publish
