#include "publish/HttpPool.h"

#include <curl/curl.h>

#include <algorithm>
#include <utility>

#include "publish/HttpTransfer.h"

namespace licytek::publish {
namespace {

TransportFailure CancelledFailure() {
    return TransportFailure{TransportError::Cancelled, "przerwano"};
}

int ClampedMilliseconds(std::chrono::milliseconds duration) {
    return static_cast<int>(
        std::clamp<std::chrono::milliseconds::rep>(duration.count(), 0, 60'000));
}

}  // namespace

struct HttpPool::Request {
    HttpRequest request;
    SendOptions options;
    Tag tag = 0;
    CURL* easy = nullptr;  // while libcurl carries it
    std::unique_ptr<Transfer> transfer;

    // Once any of a body went out, the request may have reached Allegro: stopping it then
    // would leave its fate unknown, so only a harmless one is stopped.
    bool MayStop() const {
        if (easy == nullptr || request.method == "GET" || options.abandonable) {
            return true;
        }
        return !request.body.empty() && !transfer->BodyStarted();
    }
};

struct HttpPool::Curl {
    CURLM* multi = nullptr;
    std::vector<CURL*> idle;  // easy handles kept for their TLS session cache

    ~Curl() {
        for (CURL* easy : idle) {
            curl_easy_cleanup(easy);
        }
        if (multi != nullptr) {
            curl_multi_cleanup(multi);
        }
    }
};

HttpPool::HttpPool(const std::vector<std::string>& trustedBases, int connections,
                   long timeoutSeconds, std::size_t maxAnswerBytes)
    : curl_(std::make_unique<Curl>()),
      trustedOrigins_(TrustedOriginsOf(trustedBases)),
      connections_(static_cast<std::size_t>(std::max(connections, 1))),
      timeoutSeconds_(timeoutSeconds),
      maxAnswerBytes_(maxAnswerBytes) {
    InitialiseCurlOnce();
    curl_->multi = curl_multi_init();
    if (curl_->multi != nullptr) {
        const auto size = static_cast<long>(connections_);
        curl_multi_setopt(curl_->multi, CURLMOPT_PIPELINING, CURLPIPE_MULTIPLEX);
        curl_multi_setopt(curl_->multi, CURLMOPT_MAX_HOST_CONNECTIONS, size);
        curl_multi_setopt(curl_->multi, CURLMOPT_MAX_TOTAL_CONNECTIONS, size);
        curl_multi_setopt(curl_->multi, CURLMOPT_MAXCONNECTS, size);
    }
}

HttpPool::~HttpPool() {
    for (auto& [tag, request] : requests_) {
        if (request->easy != nullptr) {
            curl_multi_remove_handle(curl_->multi, request->easy);
            curl_easy_cleanup(request->easy);
            request->easy = nullptr;
        }
    }
}

bool HttpPool::Submit(HttpRequest request, Tag tag, SendOptions options) {
    const bool completing =
        std::any_of(completed_.begin(), completed_.end(),
                    [tag](const Completion& completion) { return completion.tag == tag; });
    if (requests_.contains(tag) || completing) {
        return false;
    }
    if (auto refusal = RefuseDestination(request, trustedOrigins_)) {
        completed_.push_back({tag, std::move(*refusal)});
        return true;
    }
    auto entry = std::make_unique<Request>();
    entry->request = std::move(request);
    entry->options = options;
    entry->tag = tag;
    requests_.emplace(tag, std::move(entry));
    queued_.push_back(tag);
    return true;
}

HttpPool::CancelOutcome HttpPool::Cancel(Tag tag) {
    const auto it = requests_.find(tag);
    if (it == requests_.end()) {
        return CancelOutcome::Unknown;
    }
    if (!it->second->MayStop()) {
        return CancelOutcome::Finishing;
    }
    if (it->second->easy == nullptr) {
        queued_.erase(std::find(queued_.begin(), queued_.end(), tag));
    } else {
        Release(*it->second);
    }
    requests_.erase(it);
    completed_.push_back({tag, CancelledFailure()});
    return CancelOutcome::Cancelled;
}

std::vector<HttpPool::Completion> HttpPool::Wait(std::chrono::milliseconds most) {
    const auto deadline = std::chrono::steady_clock::now() + most;
    for (;;) {
        StartQueued();
        if (curl_->multi != nullptr) {
            int running = 0;
            curl_multi_perform(curl_->multi, &running);
            CollectFinished();
        }
        if (!completed_.empty() || woken_.exchange(false)) {
            return std::exchange(completed_, {});
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || curl_->multi == nullptr) {
            return {};
        }
        // Returns early on any socket's activity, libcurl's own timers, or Wake().
        curl_multi_poll(curl_->multi, nullptr, 0, ClampedMilliseconds(left), nullptr);
    }
}

void HttpPool::Wake() {
    woken_.store(true);
    if (curl_->multi != nullptr) {
        curl_multi_wakeup(curl_->multi);
    }
}

void HttpPool::StartQueued() {
    while (running_ < connections_ && !queued_.empty()) {
        Request& request = *requests_.at(queued_.front());
        queued_.pop_front();
        CURL* easy = nullptr;
        if (!curl_->idle.empty()) {
            easy = curl_->idle.back();
            curl_->idle.pop_back();
            curl_easy_reset(easy);  // keeps the connections and TLS sessions, drops the options
        } else {
            easy = curl_easy_init();
        }
        if (easy == nullptr || curl_->multi == nullptr) {
            if (easy != nullptr) {
                curl_->idle.push_back(easy);
            }
            const Tag tag = request.tag;
            requests_.erase(tag);
            completed_.push_back(
                {tag, TransportFailure{TransportError::Network, "libcurl nie dało uchwytu"}});
            continue;
        }
        request.transfer = std::make_unique<Transfer>(request.request, maxAnswerBytes_);
        const auto timeout = request.options.timeout.count() > 0
                                 ? static_cast<long>(request.options.timeout.count())
                                 : timeoutSeconds_ * 1000;
        request.transfer->Attach(easy, timeout);
        curl_easy_setopt(easy, CURLOPT_PRIVATE, &request);
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_2TLS));
        // Over TLS, wait to learn whether the connection carries many streams before
        // opening another; plain http (the loopback) is HTTP/1.1 and opens its own at once.
        curl_easy_setopt(easy, CURLOPT_PIPEWAIT,
                         request.request.url.starts_with("https:") ? 1L : 0L);
        request.easy = easy;
        ++running_;
        curl_multi_add_handle(curl_->multi, easy);
    }
}

void HttpPool::CollectFinished() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(curl_->multi, &left)) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        void* owner = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &owner);
        auto* request = static_cast<Request*>(owner);
        const CURLcode code = message->data.result;  // `message` ends with the handle's removal
        HttpResult result = request->transfer->Result(request->easy, code);
        const Tag tag = request->tag;
        Release(*request);
        requests_.erase(tag);
        completed_.push_back({tag, std::move(result)});
    }
}

// Takes the request's handle out of libcurl and keeps it for the next request.
void HttpPool::Release(Request& request) {
    long connects = 0;
    curl_easy_getinfo(request.easy, CURLINFO_NUM_CONNECTS, &connects);
    connectionsOpened_ += connects;
    curl_multi_remove_handle(curl_->multi, request.easy);
    Transfer::Detach(request.easy);
    curl_->idle.push_back(request.easy);
    request.easy = nullptr;
    --running_;
}

}  // namespace licytek::publish
