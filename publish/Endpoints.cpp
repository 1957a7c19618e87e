#include "publish/Endpoints.h"

#include <cstdlib>

#include "publish/Http.h"

#ifndef LICYTEK_ALLEGRO_CLIENT_ID
#define LICYTEK_ALLEGRO_CLIENT_ID ""
#endif
#ifndef LICYTEK_ALLEGRO_CLIENT_SECRET
#define LICYTEK_ALLEGRO_CLIENT_SECRET ""
#endif
#ifndef LICYTEK_ALLEGRO_SANDBOX_CLIENT_ID
#define LICYTEK_ALLEGRO_SANDBOX_CLIENT_ID ""
#endif
#ifndef LICYTEK_ALLEGRO_SANDBOX_CLIENT_SECRET
#define LICYTEK_ALLEGRO_SANDBOX_CLIENT_SECRET ""
#endif

namespace licytek::publish {
namespace {

std::string WithoutTrailingSlashes(std::string address) {
    while (!address.empty() && address.back() == '/') {
        address.pop_back();
    }
    return address;
}

std::string KeyFrom(const EnvironmentReader& environment, const char* name,
                    std::string_view built) {
    if (auto value = environment(name); value && !value->empty()) {
        return *value;
    }
    return std::string(built);
}

}  // namespace

std::string Endpoints::StoreName() const {
    switch (environment) {
        case Environment::Production:
            return "production";
        case Environment::Sandbox:
            return "sandbox";
        case Environment::Custom:
            break;
    }
    return "custom " + api;
}

std::string Endpoints::OfferPage(std::string_view offerId) const {
    return site + "/oferta/" + std::string(offerId);
}

std::optional<std::string> ReadProcessEnvironment(const char* name) {
    if (const char* value = std::getenv(name)) {
        return std::string(value);
    }
    return std::nullopt;
}

bool IsLoopbackHost(std::string_view host) {
    return host == "127.0.0.1" || host == "::1" || host == "localhost";
}

std::variant<Endpoints, std::string> ChooseEndpoints(bool sandbox,
                                                     const EnvironmentReader& environment) {
    Endpoints endpoints;
    endpoints.sandboxKeys = sandbox;
    if (auto custom = environment("LICYTEK_ALLEGRO_URL"); custom && !custom->empty()) {
        const std::string base = WithoutTrailingSlashes(*custom);
        const std::string origin = OriginOf(base);
        if (origin.empty()) {
            return "LICYTEK_ALLEGRO_URL nie jest adresem http:// ani https://: " + base;
        }
        if (origin.starts_with("http://") && !IsLoopbackHost(HostOf(base))) {
            return "LICYTEK_ALLEGRO_URL może używać http:// tylko dla 127.0.0.1, ::1 i "
                   "localhost; inne adresy muszą zaczynać się od https://.";
        }
        endpoints.environment = Environment::Custom;
        endpoints.auth = endpoints.api = endpoints.upload = endpoints.site = base;
        return endpoints;
    }
    if (sandbox) {
        endpoints.environment = Environment::Sandbox;
        endpoints.auth = "https://allegro.pl.allegrosandbox.pl";
        endpoints.api = "https://api.allegro.pl.allegrosandbox.pl";
        endpoints.upload = "https://upload.allegro.pl.allegrosandbox.pl";
        endpoints.site = "https://allegro.pl.allegrosandbox.pl";
        return endpoints;
    }
    endpoints.auth = "https://allegro.pl";
    endpoints.api = "https://api.allegro.pl";
    endpoints.upload = "https://upload.allegro.pl";
    endpoints.site = "https://allegro.pl";
    return endpoints;
}

std::optional<ClientKeys> ChooseKeys(const Endpoints& endpoints,
                                     const EnvironmentReader& environment) {
    ClientKeys keys;
    if (endpoints.sandboxKeys) {
        keys.id = KeyFrom(environment, "LICYTEK_ALLEGRO_SANDBOX_CLIENT_ID",
                          LICYTEK_ALLEGRO_SANDBOX_CLIENT_ID);
        keys.secret = KeyFrom(environment, "LICYTEK_ALLEGRO_SANDBOX_CLIENT_SECRET",
                              LICYTEK_ALLEGRO_SANDBOX_CLIENT_SECRET);
    } else {
        keys.id = KeyFrom(environment, "LICYTEK_ALLEGRO_CLIENT_ID", LICYTEK_ALLEGRO_CLIENT_ID);
        keys.secret =
            KeyFrom(environment, "LICYTEK_ALLEGRO_CLIENT_SECRET", LICYTEK_ALLEGRO_CLIENT_SECRET);
    }
    if (keys.id.empty() || keys.secret.empty()) {
        return std::nullopt;
    }
    return keys;
}

long ChooseTimeoutSeconds(const EnvironmentReader& environment) {
    constexpr long kDefaultTimeout = 30;
    if (auto value = environment("LICYTEK_ALLEGRO_TIMEOUT")) {
        char* end = nullptr;
        const long seconds = std::strtol(value->c_str(), &end, 10);
        if (end != value->c_str() && *end == '\0' && seconds > 0 && seconds <= 3600) {
            return seconds;
        }
    }
    return kDefaultTimeout;
}

}  // namespace licytek::publish
