// A fake Allegro on 127.0.0.1, port 0: it answers scripted (method, path) pairs with a
// status, headers and a body, and records every request, so that tests judge the requests
// the program sent and not only the outcome.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace licytek::testing {

struct FakeAnswer {
    int status = 200;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    bool drop = false;          // close the connection after reading the request, answering nothing
    int delayMilliseconds = 0;  // wait this long before answering (cut short when the fake stops)
};

struct RecordedRequest {
    std::string method;
    std::string path;    // without the query
    std::string target;  // with the query
    std::multimap<std::string, std::string> headers;
    std::string body;
    long long clock = 0;  // the fake clock's time when it arrived

    std::string Header(const std::string& name) const;
    // A form body's or query's parameter, decoded.
    std::string Param(const std::string& name) const;
    std::map<std::string, std::string> params;
    int remotePort = 0;      // tells the connections apart
    long long answered = 0;  // the fake clock's time when its answer went (after the delay)
};

// Answers a request that no script names, as a fake with state of its own would (the
// benchmark's offers). Called under the fake's lock: it must not call the fake.
using FakeAnswerer = std::function<FakeAnswer(const RecordedRequest& request)>;

class FakeAllegro {
  public:
    FakeAllegro();
    ~FakeAllegro();
    FakeAllegro(const FakeAllegro&) = delete;
    FakeAllegro& operator=(const FakeAllegro&) = delete;

    // "http://127.0.0.1:PORT"
    std::string Base() const;
    int Port() const { return port_; }

    // Answers for (method, path), used in turn; the last one stays for further requests
    // until a new one is scripted. A path not scripted answers 404.
    void Script(const std::string& method, const std::string& path, FakeAnswer answer);
    // Every request that no script names goes to `answerer` instead of answering 404.
    void AnswerOthersWith(FakeAnswerer answerer);
    // Every answer carries "Trace-Id: trace-N".
    std::vector<RecordedRequest> Requests() const;
    std::vector<RecordedRequest> Requests(const std::string& method, const std::string& path) const;
    // Stamps each request with this time. A fixture whose clock goes before the fake clears
    // it, so that an answer still stalled then stamps nothing.
    void StampWith(std::function<long long()> clock);
    // Waits this long before each answer (for the benchmark).
    void SetDelayMicroseconds(int microseconds) { delayMicroseconds_ = microseconds; }
    // The most requests it was answering at one time.
    int MostAtOnce() const;
    // How many connections the requests so far came over.
    std::size_t Connections() const;

  private:
    void Delay(int microseconds);

    struct Server;
    std::unique_ptr<Server> server_;
    std::thread thread_;
    int port_ = 0;
    mutable std::mutex mutex_;
    struct Queue {
        std::deque<FakeAnswer> answers;
        bool lastServed = false;  // the one left has been given at least once
    };
    std::map<std::pair<std::string, std::string>, Queue> script_;
    std::vector<RecordedRequest> requests_;
    std::function<long long()> clock_;
    FakeAnswerer answerer_;
    int delayMicroseconds_ = 0;
    int atOnce_ = 0;
    int mostAtOnce_ = 0;
    bool stopping_ = false;
    std::condition_variable stopped_;
};

// Offer JSON as GET /sale/product-offers/{id} gives it.
std::string OfferJson(const std::string& id, const std::string& name,
                      const std::vector<std::string>& images, const std::string& descriptionJson);

// A new offer as POST /sale/product-offers and GET /sale/product-offers/{id} give it, with its
// publication status and validation.errors (a JSON array).
std::string ProductOfferJson(const std::string& id, const std::string& status,
                             const std::string& validationErrors = "[]");

}  // namespace licytek::testing
