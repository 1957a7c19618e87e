#include "publish/RequestFlow.h"

#include <algorithm>

#include "publish/Wording.h"

namespace licytek::publish {

void SessionPause::Take(const Wait& wait) {
    if (wait.sessionWide) {
        until_ = std::max(until_, wait.until);
    }
}

Failure DescribeLost(Purpose purpose, std::string_view offerId, const TransportFailure& lost) {
    Failure failure = DescribeNoAnswer(purpose, lost.detail);
    failure.offerId = offerId;
    if (lost.kind == TransportError::TooLarge) {
        failure.kind = FailureKind::TooLarge;
        failure.outcome = Outcome::Refused;
    } else if (lost.kind == TransportError::UntrustedHost) {
        failure.kind = FailureKind::UntrustedAddress;
        failure.outcome = Outcome::Refused;
    }
    failure.message = FailureSentence(failure, kCommandLineFront);
    return failure;
}

RequestFlow::RequestFlow(Request request, const RetryRules& rules, std::optional<Wait> first)
    : request_(std::move(request)), rules_(rules), wait_(first) {}

std::optional<RequestFlow::Step> RequestFlow::Next(Seconds now) const {
    if (answer_) {
        return std::nullopt;
    }
    if (refreshing_) {
        return RefreshSignIn{};
    }
    if (wait_ && now < wait_->until) {
        return *wait_;
    }
    return request_;
}

void RequestFlow::WaitFor(Seconds now, Seconds asked, WaitReason reason, bool sessionWide) {
    // At least a second: a Retry-After of 0 must not turn the wait into a busy loop.
    const Seconds seconds = std::clamp<Seconds>(asked, 1, rules_.longestWait);
    wait_ = Wait{now + seconds, seconds, asked, reason, sessionWide};
}

void RequestFlow::OnAnswer(HttpResult answer, Seconds now) {
    wait_.reset();
    const bool hasBody = request_.method != "GET";
    if (const auto* response = std::get_if<HttpResponse>(&answer)) {
        const bool forbidden = request_.refreshOnForbidden && response->status == 403;
        if ((IsInvalidToken(response->status, response->body) || forbidden) &&
            refreshed_ < rules_.refreshes) {
            ++refreshed_;
            refreshing_ = true;
            return;
        }
        // A refused request changed nothing, so sending it again is not blind.
        if (response->status == 429 && throttled_ < rules_.throttled) {
            ++throttled_;
            WaitFor(now, AskedRetryAfter(response->Header("Retry-After"), rules_.throttledWait),
                    WaitReason::TooManyRequests, true);
            return;
        }
        if (response->status >= 500 && !hasBody && retried_ < rules_.retries) {
            const Seconds pause = rules_.firstPause << retried_++;
            WaitFor(now, std::max(pause, AskedRetryAfter(response->Header("Retry-After"), 0)),
                    WaitReason::ServerError, false);
            return;
        }
        answer_ = std::get<HttpResponse>(std::move(answer));
        return;
    }
    auto& lost = std::get<TransportFailure>(answer);
    if (lost.kind == TransportError::Network && !hasBody && retried_ < rules_.retries) {
        WaitFor(now, rules_.firstPause << retried_++, WaitReason::NoAnswer, false);
        return;
    }
    answer_ = std::move(lost);
}

void RequestFlow::OnRefreshed(std::optional<Failure> failure) {
    refreshing_ = false;
    if (failure) {
        answer_ = std::move(*failure);
    }
}

}  // namespace licytek::publish
