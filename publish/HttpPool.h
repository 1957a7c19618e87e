// Several requests at once over a small pool of kept-alive connections: streams of one
// connection where the server speaks HTTP/2, else up to `connections` HTTP/1.1 connections kept
// alive. The rules are HttpClient's: TLS always verified, no redirects, answers capped, the
// Authorization header only to the trusted origins, plain http only on the loopback, and a
// request with a body never sent twice.
//
// It runs on the caller's thread: Wait() drives every transfer, so the requests, their
// completions and the state machines that read them share one thread and need no locks. Only
// Wake() may be called from another thread (a window's Stop button, a signal's watcher).
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "publish/Http.h"

namespace licytek::publish {

// How one request of the pool may be stopped and how long it may take.
struct SendOptions {
    // The request's effect is harmless if it happens unseen (a picture upload), so that it
    // may be cancelled even after its body went out.
    bool abandonable = false;
    // The whole transfer's limit; zero means the pool's.
    std::chrono::milliseconds timeout{0};
};

class HttpPool {
  public:
    // The caller's name for a request, unique among those not yet completed.
    using Tag = std::uint64_t;

    struct Completion {
        Tag tag = 0;
        HttpResult result;
    };

    enum class CancelOutcome {
        Cancelled,  // it completes as TransportError::Cancelled
        Finishing,  // its body went out: it runs to its own end, which says what happened
        Unknown,    // no such request, or it has completed already
    };

    // `trustedBases` as for HttpClient; `connections` is both the pool's size and the number of
    // requests in flight (more wait in turn); `timeoutSeconds` bounds each transfer.
    HttpPool(const std::vector<std::string>& trustedBases, int connections, long timeoutSeconds,
             std::size_t maxAnswerBytes = kMaxAnswerBytes);
    ~HttpPool();
    HttpPool(const HttpPool&) = delete;
    HttpPool& operator=(const HttpPool&) = delete;

    // Queues the request; it starts on the next Wait() when a place is free. False (and
    // nothing queued) when `tag` names a request not yet completed.
    bool Submit(HttpRequest request, Tag tag, SendOptions options = {});

    // Stops a request: one still queued, a GET, an abandonable one, or one none of whose body
    // went out completes at once as Cancelled; one whose body went out is let finish.
    CancelOutcome Cancel(Tag tag);

    // Carries the transfers on until some complete, `most` passes, or Wake() is called, and
    // returns those completed, in the order they did. Every submitted request completes once.
    std::vector<Completion> Wait(std::chrono::milliseconds most);

    // Makes a Wait() in progress, or the next one, return at once. Safe from any thread.
    void Wake();

    // Submitted and not yet returned by Wait(), queued ones included.
    std::size_t Outstanding() const { return requests_.size() + completed_.size(); }
    // How many new connections the pool opened (for the benchmark and tests).
    long ConnectionsOpened() const { return connectionsOpened_; }

  private:
    struct Request;
    struct Curl;

    void StartQueued();
    void CollectFinished();
    void Release(Request& request);

    std::unique_ptr<Curl> curl_;
    std::vector<std::string> trustedOrigins_;
    std::size_t connections_;
    long timeoutSeconds_;
    std::size_t maxAnswerBytes_;
    std::map<Tag, std::unique_ptr<Request>> requests_;
    std::deque<Tag> queued_;
    std::size_t running_ = 0;
    std::vector<Completion> completed_;
    std::atomic<bool> woken_{false};
    long connectionsOpened_ = 0;
};

}  // namespace licytek::publish
