#include "publish/Http.h"

#include <curl/curl.h>

#include <algorithm>

#include "model/CaseFold.h"
#include "publish/HttpTransfer.h"

namespace licytek::publish {
namespace {

// The parts of an absolute address, as libcurl's own parser reads them.
struct UrlParts {
    std::string scheme;
    std::string host;
    std::string port;
};

std::optional<UrlParts> ParseUrl(std::string_view url) {
    CURLU* handle = curl_url();
    if (handle == nullptr) {
        return std::nullopt;
    }
    std::optional<UrlParts> parts;
    const std::string text(url);
    if (curl_url_set(handle, CURLUPART_URL, text.c_str(), 0) == CURLUE_OK) {
        char* scheme = nullptr;
        char* host = nullptr;
        char* port = nullptr;
        if (curl_url_get(handle, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
            curl_url_get(handle, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
            curl_url_get(handle, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK) {
            parts = UrlParts{AsciiLower(scheme), AsciiLower(host), port};
        }
        curl_free(scheme);
        curl_free(host);
        curl_free(port);
    }
    curl_url_cleanup(handle);
    if (parts && parts->scheme != "http" && parts->scheme != "https") {
        return std::nullopt;
    }
    return parts;
}

}  // namespace

struct HttpClient::Handle {
    CURL* curl = nullptr;
    ~Handle() {
        if (curl != nullptr) {
            curl_easy_cleanup(curl);
        }
    }
};

std::string HttpResponse::Header(std::string_view name) const {
    const std::string wanted = AsciiLower(name);
    for (const auto& [key, value] : headers) {
        if (AsciiLower(key) == wanted) {
            return value;
        }
    }
    return {};
}

std::string OriginOf(std::string_view url) {
    const auto parts = ParseUrl(url);
    if (!parts) {
        return {};
    }
    const bool ipv6 = parts->host.find(':') != std::string::npos;
    return parts->scheme + "://" + (ipv6 ? "[" + parts->host + "]" : parts->host) + ":" +
           parts->port;
}

std::string HostOf(std::string_view url) {
    const auto parts = ParseUrl(url);
    if (!parts) {
        return {};
    }
    std::string host = parts->host;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') {
        host = host.substr(1, host.size() - 2);
    }
    return host;
}

HttpClient::HttpClient(const std::vector<std::string>& trustedBases, long timeoutSeconds,
                       std::size_t maxAnswerBytes)
    : handle_(std::make_unique<Handle>()),
      trustedOrigins_(TrustedOriginsOf(trustedBases)),
      timeoutSeconds_(timeoutSeconds),
      maxAnswerBytes_(maxAnswerBytes) {
    InitialiseCurlOnce();
    handle_->curl = curl_easy_init();
}

HttpClient::~HttpClient() = default;

HttpResult HttpClient::Send(const HttpRequest& request, const std::atomic<bool>* cancel) {
    CURL* curl = handle_->curl;
    if (curl == nullptr) {
        return TransportFailure{TransportError::Network, "libcurl nie dało uchwytu"};
    }
    if (auto refusal = RefuseDestination(request, trustedOrigins_)) {
        return *refusal;
    }
    Transfer transfer(request, maxAnswerBytes_);
    transfer.Attach(curl, timeoutSeconds_ * 1000);
    transfer.WatchCancel(curl, cancel);
    const CURLcode code = curl_easy_perform(curl);
    long connects = 0;
    curl_easy_getinfo(curl, CURLINFO_NUM_CONNECTS, &connects);
    connectionsOpened_ += connects;
    Transfer::Detach(curl);  // nothing of this request may outlive it in the kept handle
    return transfer.Result(curl, code);
}

}  // namespace licytek::publish
