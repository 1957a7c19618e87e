#include "publish/HttpTransfer.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string_view>

#include "publish/Endpoints.h"

namespace licytek::publish {
namespace {

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

// The request body, handed to libcurl piece by piece. Once any of it was handed over it may
// not be rewound: libcurl rewinds only to send the request again on a new connection, which
// for a PATCH would be a blind repeat.
std::size_t ReadBody(char* buffer, std::size_t size, std::size_t count, void* user) {
    auto* upload = static_cast<Transfer::Upload*>(user);
    const std::size_t n = std::min(size * count, upload->body->size() - upload->offset);
    std::copy_n(upload->body->data() + upload->offset, n, buffer);
    upload->offset += n;
    return n;
}

int SeekBody(void* user, curl_off_t offset, int origin) {
    auto* upload = static_cast<Transfer::Upload*>(user);
    if (upload->offset == 0 && offset == 0 && origin == SEEK_SET) {
        return CURL_SEEKFUNC_OK;
    }
    return CURL_SEEKFUNC_CANTSEEK;
}

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* download = static_cast<Transfer::Download*>(user);
    const std::size_t n = size * count;
    if (download->response.body.size() + n > download->cap) {
        download->overflowed = true;
        return 0;  // libcurl stops the transfer
    }
    download->response.body.append(data, n);
    return n;
}

std::size_t WriteHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* download = static_cast<Transfer::Download*>(user);
    const std::size_t n = size * count;
    const std::string_view line(data, n);
    if (line.starts_with("HTTP/")) {
        download->response.headers.clear();  // a new answer after an interim one
        return n;
    }
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos) {
        download->response.headers.emplace_back(std::string(Trimmed(line.substr(0, colon))),
                                                std::string(Trimmed(line.substr(colon + 1))));
    }
    return n;
}

int CheckCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* cancel = static_cast<const Transfer::Cancel*>(user);
    if (cancel->flag == nullptr || !cancel->flag->load()) {
        return 0;
    }
    const bool bodyWentOut =
        !cancel->upload->body->empty() && cancel->upload->offset == cancel->upload->body->size();
    return bodyWentOut && !cancel->cutAfterBody ? 0 : 1;  // non-zero stops the transfer
}

}  // namespace

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::vector<std::string> TrustedOriginsOf(const std::vector<std::string>& bases) {
    std::vector<std::string> origins;
    for (const std::string& base : bases) {
        if (std::string origin = OriginOf(base); !origin.empty()) {
            origins.push_back(std::move(origin));
        }
    }
    return origins;
}

std::optional<TransportFailure> RefuseDestination(const HttpRequest& request,
                                                  const std::vector<std::string>& trustedOrigins) {
    const std::string origin = OriginOf(request.url);
    if (origin.empty()) {
        return TransportFailure{TransportError::UntrustedHost, "to nie jest adres http(s)"};
    }
    if (origin.starts_with("http://") && !IsLoopbackHost(HostOf(request.url))) {
        return TransportFailure{TransportError::UntrustedHost,
                                "adres bez szyfrowania (http://) poza tym komputerem"};
    }
    const bool trusted =
        std::find(trustedOrigins.begin(), trustedOrigins.end(), origin) != trustedOrigins.end();
    if (!request.authorization.empty() && !trusted) {
        return TransportFailure{TransportError::UntrustedHost,
                                "adres poza serwerami Allegro: " + origin};
    }
    return std::nullopt;
}

Transfer::Transfer(const HttpRequest& request, std::size_t maxAnswerBytes)
    : request_(request), upload_{&request.body, 0} {
    download_.cap = maxAnswerBytes;
    for (const std::string& header : request.headers) {
        headers_ = curl_slist_append(headers_, header.c_str());
    }
    if (!request.authorization.empty()) {
        authorization_ = "Authorization: " + request.authorization;
        headers_ = curl_slist_append(headers_, authorization_.c_str());
    }
    headers_ = curl_slist_append(headers_, "Expect:");  // no 100-continue round trip
}

Transfer::~Transfer() {
    curl_slist_free_all(headers_);
}

void Transfer::Attach(CURL* curl, long timeoutMilliseconds) {
    curl_easy_setopt(curl, CURLOPT_URL, request_.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, timeoutMilliseconds);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers_);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error_);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &download_);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, WriteHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &download_);
    if (request_.method == "GET") {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
        return;
    }
    curl_easy_setopt(curl, CURLOPT_POST, 1L);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDS, nullptr);
    curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(request_.body.size()));
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadBody);
    curl_easy_setopt(curl, CURLOPT_READDATA, &upload_);
    curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, SeekBody);
    curl_easy_setopt(curl, CURLOPT_SEEKDATA, &upload_);
    curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST,
                     request_.method == "POST" ? nullptr : request_.method.c_str());
}

void Transfer::WatchCancel(CURL* curl, const std::atomic<bool>* cancel) {
    if (cancel == nullptr) {
        return;
    }
    cancel_ = Cancel{cancel, &upload_, request_.cutAfterBody};
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckCancel);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &cancel_);
}

void Transfer::Detach(CURL* curl) {
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, nullptr);
    curl_easy_setopt(curl, CURLOPT_READDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, nullptr);
    curl_easy_setopt(curl, CURLOPT_SEEKDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, nullptr);
}

HttpResult Transfer::Result(CURL* curl, CURLcode code) {
    if (download_.overflowed) {
        return TransportFailure{
            TransportError::TooLarge,
            "odpowiedź dłuższa niż " + std::to_string(download_.cap >> 20) + " MiB"};
    }
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        return TransportFailure{TransportError::Cancelled, "przerwano"};
    }
    if (code == CURLE_SEND_FAIL_REWIND) {
        return TransportFailure{TransportError::NotRepeated,
                                "połączenie zerwane po wysłaniu danych"};
    }
    if (code != CURLE_OK) {
        const std::string detail = error_[0] != '\0' ? error_ : curl_easy_strerror(code);
        // A body that went out in full, answered by nothing, may have been applied.
        const bool bodyWentOut = !request_.body.empty() && upload_.offset == request_.body.size();
        return TransportFailure{bodyWentOut ? TransportError::NotRepeated : TransportError::Network,
                                detail};
    }
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &download_.response.status);
    return std::move(download_.response);
}

}  // namespace licytek::publish
