#include "publish/OfferRun.h"

#include <algorithm>
#include <utility>

namespace licytek::publish {
namespace {

using std::chrono::milliseconds;

// How often a run looks at the clock while nothing completes: the pacing's spacing is 30 ms.
constexpr milliseconds kTick{20};

RequestKind KindOf(const Request& request) {
    if (request.method != "GET") {
        return RequestKind::Write;
    }
    return request.purpose == Purpose::ReadOffer ? RequestKind::OfferRead : RequestKind::OtherRead;
}

Failure CancelledRead(Purpose purpose) {
    Failure failure{Outcome::Refused, "Przerwano.", {}};
    failure.kind = FailureKind::Cancelled;
    failure.cancelled = true;
    failure.purpose = purpose;
    return failure;
}

}  // namespace

// ---- The rows' work ------------------------------------------------------------------------

UpdateOrder UpdateWork::Described(const UpdateOrder& order) {
    UpdateOrder copy = order;
    for (PictureToSend& picture : copy.pictures) {
        picture.upload.clear();
    }
    copy.unchanged = nullptr;
    return copy;
}

ReadWork::ReadWork(std::string url, Purpose purpose, const RetryRules& rules)
    : flow_(
          [&] {
              Request request;
              request.url = std::move(url);
              request.purpose = purpose;
              return request;
          }(),
          rules) {}

std::optional<UpdateFlow::Step> ReadWork::Next(Seconds now) {
    if (final_) {
        return std::nullopt;
    }
    if (stopped_ || (cancelled_ && !inFlight_)) {
        final_ = stopped_ ? *stopped_ : CancelledRead(flow_.request().purpose);
        return std::nullopt;
    }
    auto step = flow_.Next(now);
    if (!step) {
        final_ = *flow_.answer();
        return std::nullopt;
    }
    inFlight_ = std::holds_alternative<Request>(*step);
    return std::visit([](auto&& inner) -> UpdateFlow::Step { return inner; }, std::move(*step));
}

void ReadWork::OnAnswer(HttpResult answer, Seconds now) {
    inFlight_ = false;
    flow_.OnAnswer(std::move(answer), now);
}

void ReadWork::OnRefreshed(std::optional<Failure> failure) {
    flow_.OnRefreshed(std::move(failure));
}

std::variant<OfferState, Failure> OfferFromRead(const RequestFlow::Final& answer,
                                                const std::string& offerId) {
    if (const auto* failure = std::get_if<Failure>(&answer)) {
        return *failure;
    }
    if (const auto* lost = std::get_if<TransportFailure>(&answer)) {
        return DescribeLost(Purpose::ReadOffer, offerId, *lost);
    }
    const auto& response = std::get<HttpResponse>(answer);
    if (response.status != 200) {
        return DescribeAnswer(Purpose::ReadOffer, offerId, response.status, response.body,
                              response.Header("Trace-Id"));
    }
    auto offer = ParseOffer(response.body);
    if (auto* message = std::get_if<std::string>(&offer)) {
        Failure failure{Outcome::Refused, *message, response.Header("Trace-Id")};
        failure.kind = FailureKind::BadAnswer;
        failure.purpose = Purpose::ReadOffer;
        failure.offerId = offerId;
        failure.detail = *message;
        return failure;
    }
    return std::get<OfferState>(std::move(offer));
}

// ---- The run -------------------------------------------------------------------------------

struct OfferRun::Slot {
    std::size_t row = 0;
    std::string offerId;
    std::unique_ptr<RowWork> work;
    bool inFlight = false;
    HttpPool::Tag tag = 0;
    Milliseconds startedAt = 0;
    std::string token;  // the access token its last request carried
    bool memoryChecked = false;
    // A wait of the row's flow ends then, to the millisecond: the flow counts whole seconds,
    // so that a "Retry-After: 1" seen late in a second would otherwise end almost at once.
    Milliseconds resumeAt = 0;
};

namespace {

// The picture memory is checked once a row, before its first upload.
bool FirstUpload(OfferRun::Slot& slot, const Request& request) {
    if (request.purpose != Purpose::Picture || slot.memoryChecked) {
        return false;
    }
    slot.memoryChecked = true;
    return true;
}

}  // namespace

OfferRun::OfferRun(AllegroSession& session, Clock& clock, RunSettings settings,
                   const std::atomic<bool>* cancel)
    : session_(session),
      clock_(clock),
      settings_(std::move(settings)),
      cancel_(cancel),
      pool_({session.endpoints().auth, session.endpoints().api, session.endpoints().upload},
            std::clamp(settings_.parallel, 1, kMostParallel), settings_.timeoutSeconds),
      pacer_([&] {
          PaceLimits limits = settings_.limits;
          limits.inFlight = std::clamp(settings_.parallel, 1, kMostParallel);
          return limits;
      }()),
      report_(settings_.window > 0 ? settings_.window
                                   : 4 * static_cast<std::size_t>(
                                             std::clamp(settings_.parallel, 1, kMostParallel))) {}

OfferRun::~OfferRun() = default;

bool OfferRun::HasRoom() const {
    return !cancelling_ && !(cancel_ != nullptr && cancel_->load()) && report_.HasRoom();
}

std::size_t OfferRun::Add(const std::string& offerId, std::unique_ptr<RowWork> work) {
    if (!signIn_) {
        signIn_ = session_.EnsureSignedIn();
    }
    if (*signIn_) {
        work->Stop(**signIn_);  // every row would fail alike: none goes out
    }
    const std::size_t row = report_.Begin();
    if (!offerId.empty()) {
        turns_.Join(offerId, row);
    }
    auto slot = std::make_unique<Slot>();
    slot->row = row;
    slot->offerId = offerId;
    slot->work = std::move(work);
    slots_.emplace(row, std::move(slot));
    return row;
}

std::vector<OfferRun::Line> OfferRun::Pump(milliseconds most) {
    // The pool waits in real time, whatever the run's clock.
    const auto deadline = std::chrono::steady_clock::now() + most;
    for (;;) {
        if (!cancelling_ && cancel_ != nullptr && cancel_->load()) {
            BeginCancel();
        }
        // Answers that came while the caller was busy are read before anything new is sent:
        // a 429 among them must hold the run before its next request, not after.
        SettleAll(pool_.Wait(milliseconds(0)));
        wakeAt_.reset();
        std::vector<std::size_t> rows;
        rows.reserve(slots_.size());
        for (const auto& entry : slots_) {
            rows.push_back(entry.first);
        }
        for (const std::size_t row : rows) {
            if (auto it = slots_.find(row); it != slots_.end()) {
                Advance(*it->second);
            }
        }
        std::vector<Line> lines;
        for (auto& line : report_.Take()) {
            lines.push_back({line.row, line.result ? std::move(*line.result) : nullptr});
        }
        const auto left =
            std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
        if (!lines.empty() || slots_.empty() || left.count() <= 0) {
            // What was just decided goes out now, not when the caller pumps again: a request
            // held back meanwhile would start on what the run knew before.
            SettleAll(pool_.Wait(milliseconds(0)));
            return lines;
        }
        SettleAll(pool_.Wait(std::min({kTick, left, UntilWake()})));
    }
}

// Until the first row held by the pace or by its wait may go on: a row that may start in
// 5 ms starts then, not at the next tick.
milliseconds OfferRun::UntilWake() {
    if (!wakeAt_) {
        return kTick;
    }
    return milliseconds(std::max<Milliseconds>(*wakeAt_ - clock_.Steady(), 1));
}

void OfferRun::WakeAt(Milliseconds when) {
    wakeAt_ = wakeAt_ ? std::min(*wakeAt_, when) : when;
}

void OfferRun::SettleAll(std::vector<HttpPool::Completion> completions) {
    for (auto& completion : completions) {
        Settle(std::move(completion));
    }
}

// Takes the row's steps until it waits: on an answer, on a pause, on its turn, or at the end.
void OfferRun::Advance(Slot& slot) {
    if (slot.inFlight ||
        (!cancelling_ && !slot.offerId.empty() && !turns_.HasTurn(slot.offerId, slot.row))) {
        return;
    }
    if (!cancelling_ && clock_.Steady() < slot.resumeAt) {
        return WakeAt(slot.resumeAt);
    }
    for (;;) {
        const Seconds now = clock_.Now();
        auto step = slot.work->Next(now);
        if (!step) {
            if (!slot.offerId.empty()) {
                turns_.Leave(slot.offerId, slot.row);
            }
            report_.Finish(slot.row, std::move(slot.work));
            slots_.erase(slot.row);
            return;
        }
        if (auto* request = std::get_if<Request>(&*step)) {
            if (cancelling_) {
                slot.work->Cancel();
                slot.work->OnAnswer(TransportFailure{TransportError::Cancelled, {}}, now);
                continue;
            }
            if (FirstUpload(slot, *request)) {
                if (auto unsaved = session_.CheckPictureMemory(slot.offerId)) {
                    slot.work->Stop(std::move(*unsaved));
                    slot.work->OnAnswer(TransportFailure{TransportError::Cancelled, {}}, now);
                    continue;
                }
            }
            Send(slot, *request);
            return;
        }
        if (auto* wait = std::get_if<Wait>(&*step)) {
            if (cancelling_) {
                slot.work->Cancel();
                continue;
            }
            if (wait->sessionWide && wait->until > pause_.until()) {
                pause_.Take(*wait);
                if (settings_.waiting) {
                    settings_.waiting(*wait);  // once for the run's pause, not once a row
                }
            }
            if ((wait->reason == WaitReason::Busy || wait->reason == WaitReason::Processing) &&
                wait->seconds >= settings_.longWait) {
                report_.MarkWaiting(slot.row);
            }
            if (const Milliseconds steady = clock_.Steady(); slot.resumeAt <= steady) {
                slot.resumeAt = steady + (wait->until - now) * 1000;  // a new wait
                WakeAt(slot.resumeAt);
            }
            return;
        }
        if (auto* keep = std::get_if<UpdateFlow::Remember>(&*step)) {
            // The upload happened: it is remembered even after a cancel.
            slot.work->OnRemembered(
                session_.RememberPicture(slot.offerId, keep->key, keep->location));
            continue;
        }
        if (cancelling_) {
            slot.work->Cancel();
            continue;
        }
        // One refresh for the run: a row refused with a token already replaced just goes on.
        slot.work->OnRefreshed(session_.RefreshAfter(slot.token));
    }
}

// Sends the request when the run's pace allows; the row asks again on the next pass if not.
bool OfferRun::Send(Slot& slot, const Request& request) {
    const Milliseconds now = clock_.Steady();
    if (pause_.Holds(clock_.Now())) {
        return false;
    }
    const RequestKind kind = KindOf(request);
    const auto start = pacer_.NextStart(kind, now);
    if (!start || *start > now) {
        if (start) {
            WakeAt(*start);
        }
        return false;
    }
    slot.token = session_.AccessToken();
    SendOptions options;
    options.abandonable = request.safeToCancel && request.method == "POST";
    const HttpPool::Tag tag = nextTag_++;
    if (!pool_.Submit(AllegroSession::ToHttp(request, slot.token), tag, options)) {
        return false;
    }
    pacer_.Started(kind, now);
    slot.inFlight = true;
    slot.tag = tag;
    slot.startedAt = now;
    rowOfTag_.emplace(tag, slot.row);
    ++counts_.requests;
    counts_.mostInFlight = std::max(counts_.mostInFlight, pacer_.InFlight());
    return true;
}

void OfferRun::Settle(HttpPool::Completion completion) {
    const auto tagged = rowOfTag_.find(completion.tag);
    if (tagged == rowOfTag_.end()) {
        return;
    }
    const std::size_t row = tagged->second;
    rowOfTag_.erase(tagged);
    const auto it = slots_.find(row);
    if (it == slots_.end()) {
        return;
    }
    Slot& slot = *it->second;
    long status = 0;
    Seconds retryAfter = 0;
    if (const auto* response = std::get_if<HttpResponse>(&completion.result)) {
        status = response->status;
        if (status == 429) {
            retryAfter =
                RetryAfter(response->Header("Retry-After"), settings_.limits.longestPause / 1000);
        }
    }
    pacer_.Finished(slot.startedAt, status, retryAfter, clock_.Steady());
    slot.inFlight = false;
    slot.work->OnAnswer(std::move(completion.result), clock_.Now());
}

// Nothing new goes out; reads and uploads in flight are cut, an update whose body went out
// is let finish and then says whether it arrived.
void OfferRun::BeginCancel() {
    cancelling_ = true;
    for (auto& [row, slot] : slots_) {
        slot->work->Cancel();
        if (slot->inFlight) {
            pool_.Cancel(slot->tag);
        }
    }
}

RunCounts OfferRun::Counts() const {
    RunCounts counts = counts_;
    counts.connectionsOpened = pool_.ConnectionsOpened();
    return counts;
}

std::variant<RunSettings, std::string> ChooseRunSettings(const EnvironmentReader& environment) {
    auto parallel = ChooseParallel(environment);
    if (auto* message = std::get_if<std::string>(&parallel)) {
        return *message;
    }
    RunSettings settings;
    settings.parallel = std::get<int>(parallel);
    settings.timeoutSeconds = ChooseTimeoutSeconds(environment);
    return settings;
}

}  // namespace licytek::publish
