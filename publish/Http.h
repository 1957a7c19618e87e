// The one place that talks to the network: HTTP(S) through one kept-alive libcurl handle
// (HttpPool.h carries several requests at once under the same rules).
// TLS is always verified, redirects are never followed, answers are capped, and an
// Authorization header goes only to the origins the client was made for.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace licytek::publish {

inline constexpr std::size_t kMaxAnswerBytes = std::size_t{16} << 20;

struct HttpRequest {
    std::string method = "GET";  // GET, POST or PATCH
    std::string url;
    std::vector<std::string> headers;  // "Name: value", never Authorization
    std::string body;                  // sent for POST and PATCH
    std::string authorization;         // the Authorization value; only to a trusted origin
    // Whether a cancel may cut it after its whole body went out (a picture upload, which
    // changes no offer). A change (PATCH, a token request) is then let finish: cut, it could
    // have been applied or not.
    bool cutAfterBody = false;
};

struct HttpResponse {
    long status = 0;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;

    // The first header of that name (any case), or an empty text.
    std::string Header(std::string_view name) const;
};

enum class TransportError {
    Network,        // no answer: refused, reset, timed out, TLS failed ...
    TooLarge,       // the answer went over the cap
    UntrustedHost,  // the request was not sent: its credentials would leave the trusted hosts
    NotRepeated,    // the connection dropped after the body went out; libcurl was not allowed
                    // to send it again on its own
    Cancelled,      // the cancel cut it before its body went out, or it had none
};

struct TransportFailure {
    TransportError kind = TransportError::Network;
    std::string detail;  // libcurl's own words, for the seller's message; never a token
};

using HttpResult = std::variant<HttpResponse, TransportFailure>;

// "scheme://host:port" of an absolute http(s) address, lower case with the default port
// written out; empty when it is not one.
std::string OriginOf(std::string_view url);
// The host of an absolute address, without brackets; empty when there is none.
std::string HostOf(std::string_view url);

class HttpClient {
  public:
    // `trustedOrigins` are base addresses ("https://api.allegro.pl"); `timeoutSeconds`
    // bounds each transfer as a whole.
    HttpClient(const std::vector<std::string>& trustedBases, long timeoutSeconds,
               std::size_t maxAnswerBytes = kMaxAnswerBytes);
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // Sends the request over the kept-alive connection. A request with a body is never sent
    // twice: when a reused connection dies after the body went out, this fails with
    // NotRepeated instead of libcurl sending it again on a new connection. `cancel` cuts the
    // transfer within about a second (libcurl looks at it at least once a second), but not a
    // request whose whole body went out, unless it is HttpRequest::cutAfterBody.
    HttpResult Send(const HttpRequest& request, const std::atomic<bool>* cancel = nullptr);

    // How many new connections this client opened (for the benchmark and tests).
    long ConnectionsOpened() const { return connectionsOpened_; }

  private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
    std::vector<std::string> trustedOrigins_;
    long timeoutSeconds_;
    std::size_t maxAnswerBytes_;
    long connectionsOpened_ = 0;
};

}  // namespace licytek::publish
