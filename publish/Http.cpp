#include "publish/Http.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdio>
#include <mutex>

#include "publish/Endpoints.h"

namespace licytek::publish {
namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return lower;
}

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
            parts = UrlParts{Lower(scheme), Lower(host), port};
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

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The request body, handed to libcurl piece by piece. Once any of it was handed over it may
// not be rewound: libcurl rewinds only to send the request again on a new connection, which
// for a PATCH would be a blind repeat.
struct Upload {
    std::string_view body;
    std::size_t offset = 0;
};

std::size_t ReadBody(char* buffer, std::size_t size, std::size_t count, void* user) {
    auto* upload = static_cast<Upload*>(user);
    const std::size_t n = std::min(size * count, upload->body.size() - upload->offset);
    std::copy_n(upload->body.data() + upload->offset, n, buffer);
    upload->offset += n;
    return n;
}

int SeekBody(void* user, curl_off_t offset, int origin) {
    auto* upload = static_cast<Upload*>(user);
    if (upload->offset == 0 && offset == 0 && origin == SEEK_SET) {
        return CURL_SEEKFUNC_OK;
    }
    return CURL_SEEKFUNC_CANTSEEK;
}

// A cancel, as libcurl's progress callback sees it.
struct Cancel {
    const std::atomic<bool>* flag;
    const Upload* upload;
    bool cutAfterBody;
};

int CheckCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto* cancel = static_cast<const Cancel*>(user);
    if (cancel->flag == nullptr || !cancel->flag->load()) {
        return 0;
    }
    const bool bodyWentOut =
        !cancel->upload->body.empty() && cancel->upload->offset == cancel->upload->body.size();
    return bodyWentOut && !cancel->cutAfterBody ? 0 : 1;  // non-zero stops the transfer
}

struct Download {
    HttpResponse* response;
    std::size_t cap;
    bool overflowed = false;
};

std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto* download = static_cast<Download*>(user);
    const std::size_t n = size * count;
    if (download->response->body.size() + n > download->cap) {
        download->overflowed = true;
        return 0;  // libcurl stops the transfer
    }
    download->response->body.append(data, n);
    return n;
}

std::size_t WriteHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto* download = static_cast<Download*>(user);
    const std::size_t n = size * count;
    const std::string_view line(data, n);
    if (line.starts_with("HTTP/")) {
        download->response->headers.clear();  // a new answer after an interim one
        return n;
    }
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos) {
        download->response->headers.emplace_back(std::string(Trimmed(line.substr(0, colon))),
                                                 std::string(Trimmed(line.substr(colon + 1))));
    }
    return n;
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
    const std::string wanted = Lower(name);
    for (const auto& [key, value] : headers) {
        if (Lower(key) == wanted) {
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
      timeoutSeconds_(timeoutSeconds),
      maxAnswerBytes_(maxAnswerBytes) {
    InitialiseCurlOnce();
    handle_->curl = curl_easy_init();
    for (const std::string& base : trustedBases) {
        if (std::string origin = OriginOf(base); !origin.empty()) {
            trustedOrigins_.push_back(std::move(origin));
        }
    }
}

HttpClient::~HttpClient() = default;

HttpResult HttpClient::Send(const HttpRequest& request, const std::atomic<bool>* cancel) {
    CURL* curl = handle_->curl;
    if (curl == nullptr) {
        return TransportFailure{TransportError::Network, "libcurl nie dało uchwytu"};
    }
    const std::string origin = OriginOf(request.url);
    if (origin.empty()) {
        return TransportFailure{TransportError::UntrustedHost, "to nie jest adres http(s)"};
    }
    if (origin.starts_with("http://") && !IsLoopbackHost(HostOf(request.url))) {
        return TransportFailure{TransportError::UntrustedHost,
                                "adres bez szyfrowania (http://) poza tym komputerem"};
    }
    const bool trusted =
        std::find(trustedOrigins_.begin(), trustedOrigins_.end(), origin) != trustedOrigins_.end();
    if (!request.authorization.empty() && !trusted) {
        return TransportFailure{TransportError::UntrustedHost,
                                "adres poza serwerami Allegro: " + origin};
    }

    curl_slist* headers = nullptr;
    for (const std::string& header : request.headers) {
        headers = curl_slist_append(headers, header.c_str());
    }
    const std::string authorization = "Authorization: " + request.authorization;
    if (!request.authorization.empty()) {
        headers = curl_slist_append(headers, authorization.c_str());
    }
    headers = curl_slist_append(headers, "Expect:");  // no 100-continue round trip

    HttpResponse response;
    Download download{&response, maxAnswerBytes_};
    Upload upload{request.body, 0};
    Cancel cancelling{cancel, &upload, request.cutAfterBody};
    char error[CURL_ERROR_SIZE] = {};

    curl_easy_setopt(curl, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, timeoutSeconds_);
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, WriteBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &download);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, WriteHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, &download);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, cancel != nullptr ? 0L : 1L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, CheckCancel);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &cancelling);
    if (request.method == "GET") {
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, nullptr);
    } else {
        curl_easy_setopt(curl, CURLOPT_POST, 1L);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDS, nullptr);
        curl_easy_setopt(curl, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(request.body.size()));
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, ReadBody);
        curl_easy_setopt(curl, CURLOPT_READDATA, &upload);
        curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, SeekBody);
        curl_easy_setopt(curl, CURLOPT_SEEKDATA, &upload);
        curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST,
                         request.method == "POST" ? nullptr : request.method.c_str());
    }

    const CURLcode code = curl_easy_perform(curl);
    long connects = 0;
    curl_easy_getinfo(curl, CURLINFO_NUM_CONNECTS, &connects);
    connectionsOpened_ += connects;
    // Nothing of this request may outlive it in the kept handle.
    curl_easy_setopt(curl, CURLOPT_HTTPHEADER, nullptr);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, nullptr);
    curl_easy_setopt(curl, CURLOPT_READDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_SEEKFUNCTION, nullptr);
    curl_easy_setopt(curl, CURLOPT_SEEKDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, nullptr);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 1L);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, nullptr);
    curl_slist_free_all(headers);

    if (download.overflowed) {
        return TransportFailure{
            TransportError::TooLarge,
            "odpowiedź dłuższa niż " + std::to_string(maxAnswerBytes_ >> 20) + " MiB"};
    }
    if (code == CURLE_ABORTED_BY_CALLBACK) {
        return TransportFailure{TransportError::Cancelled, "przerwano"};
    }
    if (code == CURLE_SEND_FAIL_REWIND) {
        return TransportFailure{TransportError::NotRepeated,
                                "połączenie zerwane po wysłaniu danych"};
    }
    if (code != CURLE_OK) {
        const std::string detail = error[0] != '\0' ? error : curl_easy_strerror(code);
        // A body that went out in full, answered by nothing, may have been applied.
        const bool bodyWentOut = !request.body.empty() && upload.offset == request.body.size();
        return TransportFailure{bodyWentOut ? TransportError::NotRepeated : TransportError::Network,
                                detail};
    }
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    return response;
}

}  // namespace licytek::publish
