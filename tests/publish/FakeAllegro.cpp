#include "FakeAllegro.h"

#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
#include <nlohmann/json.hpp>
#include <set>

namespace licytek::testing {
namespace {

int PortOf(const sockaddr_storage& address) {
    if (address.ss_family == AF_INET) {
        return ntohs(reinterpret_cast<const sockaddr_in&>(address).sin_port);
    }
    if (address.ss_family == AF_INET6) {
        return ntohs(reinterpret_cast<const sockaddr_in6&>(address).sin6_port);
    }
    return -1;
}

// Shuts the server's end of the connection from `remotePort`, so the client reads nothing at
// all: the case where libcurl would send the request again on its own.
void DropConnection(int localPort, int remotePort) {
    for (int fd = 3; fd < 1024; ++fd) {
        sockaddr_storage local{};
        sockaddr_storage peer{};
        socklen_t localSize = sizeof local;
        socklen_t peerSize = sizeof peer;
        if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localSize) == 0 &&
            ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerSize) == 0 &&
            PortOf(local) == localPort && PortOf(peer) == remotePort) {
            ::shutdown(fd, SHUT_RDWR);
        }
    }
}

}  // namespace

struct FakeAllegro::Server {
    httplib::Server http;
};

std::string RecordedRequest::Header(const std::string& name) const {
    for (const auto& [key, value] : headers) {
        if (strcasecmp(key.c_str(), name.c_str()) == 0) {
            return value;
        }
    }
    return {};
}

std::string RecordedRequest::Param(const std::string& name) const {
    auto it = params.find(name);
    return it == params.end() ? std::string() : it->second;
}

FakeAllegro::FakeAllegro() : server_(std::make_unique<Server>()) {
    auto& http = server_->http;
    http.set_keep_alive_max_count(100000);
    http.set_tcp_nodelay(true);  // as a real server answers: no 40 ms Nagle stall
    http.set_keep_alive_timeout(30);
    // A kept-alive connection holds a worker: enough of them for the largest pool (16) and the
    // connections it replaces.
    http.new_task_queue = [] { return new httplib::ThreadPool(20); };
    const auto handler = [this](const httplib::Request& request, httplib::Response& response) {
        FakeAnswer answer{
            404, R"({"errors":[{"code":"NOT_FOUND","message":"not scripted"}]})", {}, false};
        int delay = 0;
        std::size_t number = 0;
        {
            std::lock_guard lock(mutex_);
            RecordedRequest recorded{request.method,
                                     request.path,
                                     request.target,
                                     {request.headers.begin(), request.headers.end()},
                                     request.body,
                                     clock_ ? clock_() : 0,
                                     {}};
            for (const auto& [key, value] : request.params) {
                recorded.params[key] = value;
            }
            recorded.remotePort = request.remote_port;
            requests_.push_back(std::move(recorded));
            number = requests_.size();
            auto it = script_.find({request.method, request.path});
            if (it != script_.end() && !it->second.answers.empty()) {
                auto& queue = it->second;
                answer = queue.answers.front();
                if (queue.answers.size() > 1) {
                    queue.answers.pop_front();
                } else {
                    queue.lastServed = true;
                }
            } else if (answerer_) {
                answer = answerer_(requests_.back());
            }
            delay = delayMicroseconds_ + answer.delayMilliseconds * 1000;
            mostAtOnce_ = std::max(mostAtOnce_, ++atOnce_);
        }
        Delay(delay);
        {
            std::lock_guard lock(mutex_);
            --atOnce_;
            requests_[number - 1].answered = clock_ ? clock_() : 0;
        }
        if (answer.drop) {
            DropConnection(request.local_port, request.remote_port);
            return;
        }
        response.status = answer.status;
        response.set_header("Trace-Id", "trace-" + std::to_string(number));
        for (const auto& [name, value] : answer.headers) {
            response.set_header(name, value);
        }
        response.set_content(answer.body, "application/vnd.allegro.public.v1+json");
    };
    http.Get(".*", handler);
    http.Post(".*", handler);
    http.Patch(".*", handler);
    port_ = http.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_->http.listen_after_bind(); });
}

FakeAllegro::~FakeAllegro() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    server_->http.stop();
    thread_.join();
}

std::string FakeAllegro::Base() const {
    return "http://127.0.0.1:" + std::to_string(port_);
}

void FakeAllegro::StampWith(std::function<long long()> clock) {
    std::lock_guard lock(mutex_);
    clock_ = std::move(clock);
}

void FakeAllegro::Script(const std::string& method, const std::string& path, FakeAnswer answer) {
    std::lock_guard lock(mutex_);
    Queue& queue = script_[{method, path}];
    if (queue.lastServed) {
        queue.answers.clear();
        queue.lastServed = false;
    }
    queue.answers.push_back(std::move(answer));
}

void FakeAllegro::AnswerOthersWith(FakeAnswerer answerer) {
    std::lock_guard lock(mutex_);
    answerer_ = std::move(answerer);
}

void FakeAllegro::Delay(int microseconds) {
    if (microseconds > 0) {
        std::unique_lock lock(mutex_);
        stopped_.wait_for(lock, std::chrono::microseconds(microseconds),
                          [this] { return stopping_; });
    }
}

int FakeAllegro::MostAtOnce() const {
    std::lock_guard lock(mutex_);
    return mostAtOnce_;
}

std::size_t FakeAllegro::Connections() const {
    std::set<int> ports;
    for (const RecordedRequest& request : Requests()) {
        ports.insert(request.remotePort);
    }
    return ports.size();
}

std::vector<RecordedRequest> FakeAllegro::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::vector<RecordedRequest> FakeAllegro::Requests(const std::string& method,
                                                   const std::string& path) const {
    std::vector<RecordedRequest> matching;
    for (RecordedRequest& request : Requests()) {
        if (request.method == method && request.path == path) {
            matching.push_back(std::move(request));
        }
    }
    return matching;
}

std::string OfferJson(const std::string& id, const std::string& name,
                      const std::vector<std::string>& images, const std::string& descriptionJson) {
    nlohmann::json offer{{"id", id}, {"name", name}, {"images", images}};
    offer["description"] = nlohmann::json::parse(descriptionJson);
    offer["validation"] = {{"errors", nlohmann::json::array()}};
    return offer.dump();
}

std::string ProductOfferJson(const std::string& id, const std::string& status,
                             const std::string& validationErrors) {
    nlohmann::json offer{{"id", id}, {"name", "Oferta " + id}};
    offer["publication"] = {{"status", status}};
    offer["validation"] = {{"errors", nlohmann::json::parse(validationErrors)}};
    return offer.dump();
}

}  // namespace licytek::testing
