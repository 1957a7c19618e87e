// What the one-at-a-time client and the pool share about a single request on a libcurl
// handle: where it may go, how it is handed to libcurl, and what its end means. Internal to
// publish/: only Http.cpp and HttpPool.cpp include it.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "publish/Http.h"

namespace licytek::publish {

void InitialiseCurlOnce();

// The origins of the base addresses that may receive an Authorization header.
std::vector<std::string> TrustedOriginsOf(const std::vector<std::string>& bases);

// Why the request may not be sent at all: not http(s), plain http beyond the loopback, or
// credentials for an origin that is not trusted.
std::optional<TransportFailure> RefuseDestination(const HttpRequest& request,
                                                  const std::vector<std::string>& trustedOrigins);

// One request while libcurl carries it: its headers, its body going out and its answer coming
// in. Its address is given to libcurl, so it stays where it was made; `request` outlives it.
class Transfer {
  public:
    Transfer(const HttpRequest& request, std::size_t maxAnswerBytes);
    ~Transfer();
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    // Sets every option of the request on `curl`: TLS verified, no redirects, the body
    // readable once and never rewound (libcurl rewinds only to send it again on its own).
    void Attach(CURL* curl, long timeoutMilliseconds);
    // Lets `cancel` cut the transfer within a second: a GET, a body not yet all out, or a
    // request marked cutAfterBody; a change whose body went out is let finish.
    void WatchCancel(CURL* curl, const std::atomic<bool>* cancel);
    // Takes this request's pointers off a handle that is kept for the next one.
    static void Detach(CURL* curl);

    // Whether any of the body was handed to libcurl: from then on the request may have
    // reached the server.
    bool BodyStarted() const { return upload_.offset > 0; }
    // The answer, or why there is none, once libcurl ended the transfer with `code`.
    HttpResult Result(CURL* curl, CURLcode code);

    // The parts libcurl's callbacks fill in; public for them only.
    struct Upload {
        const std::string* body = nullptr;
        std::size_t offset = 0;
    };
    struct Download {
        HttpResponse response;
        std::size_t cap = 0;
        bool overflowed = false;
    };
    struct Cancel {
        const std::atomic<bool>* flag = nullptr;
        const Upload* upload = nullptr;
        bool cutAfterBody = false;
    };

  private:
    const HttpRequest& request_;
    curl_slist* headers_ = nullptr;
    std::string authorization_;
    Upload upload_;
    Download download_;
    Cancel cancel_;
    char error_[CURL_ERROR_SIZE] = {};
};

}  // namespace licytek::publish
