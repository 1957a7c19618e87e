#include "publish/UpdateFlow.h"

#include <algorithm>

#include "model/PolishNumbers.h"
#include "publish/Wording.h"

namespace licytek::publish {
namespace {

bool Holds(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

// The description with the pictures' addresses in place of their sources; a picture not yet
// uploaded keeps its source when `placeholders`, for the plan.
structured::Description WithLocations(structured::Description description,
                                      const std::vector<PictureToSend>& pictures,
                                      bool placeholders) {
    for (structured::Section& section : description.sections) {
        for (structured::Item& item : section.items) {
            if (item.type != structured::ItemType::Image) {
                continue;
            }
            for (const PictureToSend& picture : pictures) {
                if (picture.source == item.content) {
                    item.content = picture.location.empty() && placeholders ? picture.source
                                                                            : picture.location;
                }
            }
        }
    }
    return description;
}

std::vector<std::string> Locations(const std::vector<PictureToSend>& pictures) {
    std::vector<std::string> locations;
    locations.reserve(pictures.size());
    for (const PictureToSend& picture : pictures) {
        locations.push_back(picture.location.empty() ? picture.source : picture.location);
    }
    return locations;
}

Request Get(std::string url, Purpose purpose) {
    Request request;
    request.url = std::move(url);
    request.purpose = purpose;
    return request;
}

}  // namespace

bool IsOfferNumber(std::string_view id) {
    return !id.empty() && id.size() <= 32 &&
           id.find_first_not_of("0123456789") == std::string_view::npos;
}

UpdateFlow::UpdateFlow(UpdateOrder order, const UpdateRules& rules)
    : order_(std::move(order)), rules_(rules) {
    if (!IsOfferNumber(order_.offerId)) {
        Fail(Made(FailureKind::BadInput, Outcome::BadUse, Purpose::Update,
                  "„" + order_.offerId + "” nie jest numerem oferty Allegro."));
        return;
    }
    Start(UpdateStage::ReadOffer, Get(OfferUrl(), Purpose::ReadOffer));
}

std::string UpdateFlow::OfferUrl() const {
    return order_.api + "/sale/product-offers/" + order_.offerId;
}

// An address from a Location header: absolute as given (the transport sends credentials only
// to Allegro's hosts), or a path on the API's host.
std::string UpdateFlow::Resolve(const std::string& location) const {
    if (location.starts_with("http://") || location.starts_with("https://")) {
        return location;
    }
    return order_.api + (location.starts_with("/") ? "" : "/") + location;
}

// ---- Driving -------------------------------------------------------------------------------

std::optional<UpdateFlow::Step> UpdateFlow::Next(Seconds now) {
    now_ = now;
    if (done_) {
        return std::nullopt;
    }
    if (remember_) {
        return *remember_;
    }
    if (cancelled_ && !inFlight_) {
        if (result_.reached.update == UpdateSent::Confirmed) {
            Finish(UpdateResult::End::Updated, UpdateResult::ReadBack::NotRead);
        } else {
            Fail(Made(FailureKind::Cancelled, Outcome::Refused, Purpose::Update, {}));
        }
        return std::nullopt;
    }
    auto step = call_->Next(now);
    if (!step) {  // cannot happen: a final answer is settled at once
        Fail(Made(FailureKind::Other, Outcome::Refused, Purpose::Update, {}));
        return std::nullopt;
    }
    inFlight_ = std::holds_alternative<Request>(*step);
    return std::visit([](auto&& inner) -> Step { return inner; }, std::move(*step));
}

void UpdateFlow::OnAnswer(HttpResult answer, Seconds now) {
    now_ = now;
    inFlight_ = false;
    if (done_ || !call_) {
        return;
    }
    if (const auto* lost = std::get_if<TransportFailure>(&answer);
        cancelled_ && lost != nullptr && lost->kind == TransportError::Cancelled) {
        call_.reset();  // cut or never sent: the flow ends as cancelled, with what reached
        return;
    }
    call_->OnAnswer(std::move(answer), now);
    Settle();
}

void UpdateFlow::OnRefreshed(std::optional<Failure> failure) {
    if (done_ || !call_) {
        return;
    }
    call_->OnRefreshed(std::move(failure));
    Settle();
}

void UpdateFlow::OnRemembered(std::optional<std::string> error) {
    if (done_ || !remember_) {
        return;
    }
    remember_.reset();
    if (error) {
        Fail(Made(FailureKind::NotSaved, Outcome::Refused, Purpose::Picture, std::move(*error)));
        return;
    }
    NextUpload();
}

void UpdateFlow::Cancel() {
    cancelled_ = true;
}

void UpdateFlow::Stop(Failure failure) {
    if (!done_) {
        Fail(std::move(failure));
    }
}

void UpdateFlow::Start(UpdateStage stage, Request request, std::optional<Wait> first) {
    stage_ = stage;
    call_.emplace(std::move(request), rules_.retry, first);
}

// Hands a final answer to the stage that asked for it.
void UpdateFlow::Settle() {
    if (!call_->answer()) {
        return;  // the rules send it again, wait or refresh first
    }
    const Final answer = *call_->answer();
    call_.reset();
    switch (stage_) {
        case UpdateStage::ReadOffer:
            return OnRead(answer);
        case UpdateStage::Upload:
            return OnUpload(answer);
        case UpdateStage::Update:
            return OnPatch(answer);
        case UpdateStage::Check:
            return OnCheck(answer);
        case UpdateStage::Confirm:
            return OnConfirm(answer);
        case UpdateStage::ReadBack:
            return OnReadBack(answer);
    }
}

// ---- Results -------------------------------------------------------------------------------

void UpdateFlow::Finish(UpdateResult::End end, UpdateResult::ReadBack readBack) {
    done_ = true;
    call_.reset();
    result_.end = end;
    result_.readBack = readBack;
}

void UpdateFlow::Fail(Failure failure) {
    if (failure.offerId.empty()) {
        failure.offerId = order_.offerId;
    }
    failure.cancelled = failure.kind == FailureKind::Cancelled;
    failure.reached = result_.reached;
    // For callers that show `message` as it is.
    failure.message = FailureSentence(failure, kCommandLineFront);
    result_.failure = std::move(failure);
    Finish(UpdateResult::End::Failed);
}

Failure UpdateFlow::Made(FailureKind kind, Outcome outcome, Purpose purpose,
                         std::string detail) const {
    Failure failure;
    failure.kind = kind;
    failure.outcome = outcome;
    failure.purpose = purpose;
    failure.offerId = order_.offerId;
    failure.detail = std::move(detail);
    return failure;
}

// The failure an answer that is not the expected one stands for.
Failure UpdateFlow::Described(const Final& answer, Purpose purpose) const {
    if (const auto* failure = std::get_if<Failure>(&answer)) {
        return *failure;
    }
    if (const auto* lost = std::get_if<TransportFailure>(&answer)) {
        return DescribeLost(purpose, order_.offerId, *lost);
    }
    const auto& response = std::get<HttpResponse>(answer);
    return DescribeAnswer(purpose, order_.offerId, response.status, response.body,
                          response.Header("Trace-Id"));
}

std::variant<OfferState, Failure> UpdateFlow::OfferFrom(const Final& answer) const {
    const auto* response = std::get_if<HttpResponse>(&answer);
    if (response == nullptr || response->status != 200) {
        return Described(answer, Purpose::ReadOffer);
    }
    auto offer = ParseOffer(response->body);
    if (auto* message = std::get_if<std::string>(&offer)) {
        Failure failure =
            Made(FailureKind::BadAnswer, Outcome::Refused, Purpose::ReadOffer, *message);
        failure.traceId = response->Header("Trace-Id");
        return failure;
    }
    return std::get<OfferState>(std::move(offer));
}

// ---- Reading and planning ------------------------------------------------------------------

void UpdateFlow::OnRead(const Final& answer) {
    auto offer = OfferFrom(answer);
    if (auto* failure = std::get_if<Failure>(&offer)) {
        return Fail(std::move(*failure));
    }
    result_.before = std::get<OfferState>(std::move(offer));
    gallery_ = result_.before->images;
    Plan();
}

std::variant<UpdateBody, std::string> UpdateFlow::Build(
    bool placeholders, structured::Description& description) const {
    description = WithLocations(order_.description, order_.pictures, placeholders);
    return BuildUpdateBody(
        UpdateRequest{description, gallery_, Locations(order_.pictures), order_.name});
}

void UpdateFlow::Plan() {
    for (PictureToSend& picture : order_.pictures) {
        // A picture sent before is reused while the offer's gallery still holds it.
        if (picture.location.empty() && !picture.remembered.empty() &&
            Holds(gallery_, picture.remembered)) {
            picture.location = picture.remembered;
        }
    }
    structured::Description planned;
    auto built = Build(true, planned);
    if (auto* message = std::get_if<std::string>(&built)) {
        return Fail(
            Made(FailureKind::BadInput, Outcome::Refused, Purpose::Update, std::move(*message)));
    }
    const UpdateBody& body = std::get<UpdateBody>(built);
    result_.body = body.json;
    if (order_.unchanged && order_.unchanged(*result_.before, planned, body)) {
        return Finish(UpdateResult::End::Unchanged);
    }
    if (order_.dryRun) {
        return Finish(UpdateResult::End::DryRun);
    }
    uploadsPlanned_ = static_cast<std::size_t>(
        std::count_if(order_.pictures.begin(), order_.pictures.end(),
                      [](const PictureToSend& picture) { return picture.location.empty(); }));
    NextUpload();
}

// ---- Pictures ------------------------------------------------------------------------------

void UpdateFlow::NextUpload() {
    for (; picture_ < order_.pictures.size(); ++picture_) {
        const PictureToSend& picture = order_.pictures[picture_];
        if (picture.location.empty()) {
            ++uploadNumber_;
            Request request{"POST",
                            order_.upload + "/sale/images",
                            picture.contentType,
                            picture.upload,
                            Purpose::Picture,
                            true};
            return Start(UpdateStage::Upload, std::move(request));
        }
    }
    StartPatch();
}

void UpdateFlow::OnUpload(const Final& answer) {
    PictureToSend& picture = order_.pictures[picture_];
    const auto* response = std::get_if<HttpResponse>(&answer);
    if (response == nullptr || (response->status != 201 && response->status != 200)) {
        Failure failure = Described(answer, Purpose::Picture);
        failure.picture = picture.source;
        return Fail(std::move(failure));
    }
    auto location = ParsePictureLocation(response->body);
    if (!location) {
        Failure failure = Made(FailureKind::BadAnswer, Outcome::Refused, Purpose::Picture,
                               "Allegro nie podało adresu wysłanego zdjęcia.");
        failure.picture = picture.source;
        failure.traceId = response->Header("Trace-Id");
        return Fail(std::move(failure));
    }
    picture.location = *location;
    ++result_.reached.picturesUploaded;
    if (picture.contentType != kAllegroMediaType) {
        result_.filesSent.push_back(picture.source);
    }
    remember_ = Remember{picture.key, picture.location};
}

// ---- The update ----------------------------------------------------------------------------

void UpdateFlow::StartPatch() {
    structured::Description description;
    auto built = Build(false, description);
    if (auto* message = std::get_if<std::string>(&built)) {
        return Fail(
            Made(FailureKind::BadInput, Outcome::Refused, Purpose::Update, std::move(*message)));
    }
    if (const auto findings = structured::ValidateDescription(description); !findings.empty()) {
        return Fail(Made(
            FailureKind::BadInput, Outcome::Refused, Purpose::Update,
            "Opis po wysłaniu zdjęć nie spełnia wymagań Allegro: " + findings.front().message));
    }
    body_ = std::get<UpdateBody>(std::move(built)).json;
    result_.body = body_;
    sentDescription_ = structured::DescriptionToJson(description);
    Start(UpdateStage::Update, Request{"PATCH", OfferUrl(), std::string(kAllegroMediaType), body_,
                                       Purpose::Update, false});
}

void UpdateFlow::OnPatch(const Final& answer) {
    if (const auto* lost = std::get_if<TransportFailure>(&answer)) {
        // The body went out, or an answer came too large to read: it may have been applied.
        if (lost->kind == TransportError::NotRepeated || lost->kind == TransportError::TooLarge) {
            return Lost(0, lost->detail, {});
        }
        return Fail(Described(answer, Purpose::Update));  // it never went out
    }
    const auto* response = std::get_if<HttpResponse>(&answer);
    if (response == nullptr) {
        return Fail(Described(answer, Purpose::Update));
    }
    const long status = response->status;
    if (status == 200) {
        // The answer carries the offer as it now is: compared instead of read again.
        result_.reached.update = UpdateSent::Confirmed;
        auto offer = ParseOffer(response->body);
        if (const auto* state = std::get_if<OfferState>(&offer);
            state != nullptr && !state->descriptionJson.empty()) {
            return Finish(UpdateResult::End::Updated,
                          SameDescription(sentDescription_, state->descriptionJson)
                              ? UpdateResult::ReadBack::Same
                              : UpdateResult::ReadBack::Differs);
        }
        return StartReadBack(OfferUrl());
    }
    if (status == 202) {
        result_.reached.update = UpdateSent::Sent;
        deadline_ = now_ + rules_.confirmWithin;
        operation_ = response->Header("Location");
        const Seconds asked = AskedRetryAfter(response->Header("Retry-After"), rules_.pollWait);
        if (operation_.empty()) {  // nothing to follow: look at the offer after the wait
            const Seconds seconds = std::clamp<Seconds>(asked, 1, rules_.retry.longestWait);
            return StartReadBack(OfferUrl(),
                                 Wait{now_ + seconds, seconds, asked, WaitReason::Processing});
        }
        operation_ = Resolve(operation_);
        return StartConfirm(asked);
    }
    if (status == 409) {
        return OnConflict(*response);
    }
    if (status >= 500) {
        return Lost(status, {}, response->Header("Trace-Id"));
    }
    Fail(Described(answer, Purpose::Update));  // refused: the offer is as it was
}

// Whether a PATCH without an answer was applied is unknown: the offer is read before anything
// else, and only an offer without the change lets the PATCH go once more.
void UpdateFlow::Lost(long status, std::string detail, std::string traceId) {
    result_.reached.update = UpdateSent::Unknown;
    lostStatus_ = status;
    lostDetail_ = std::move(detail);
    lostTraceId_ = std::move(traceId);
    afterConflict_ = false;
    Start(UpdateStage::Check, Get(OfferUrl(), Purpose::ReadOffer));
}

// The offer is busy with an earlier change, maybe this one sent by a run whose answer was
// lost: wait, read the offer, and send again only when it does not carry the change yet.
void UpdateFlow::OnConflict(const HttpResponse& response) {
    const Seconds asked = AskedRetryAfter(response.Header("Retry-After"), rules_.conflictWait);
    const Seconds seconds = std::clamp<Seconds>(asked, 1, rules_.retry.longestWait);
    if (!order_.waitOnConflict || conflicts_ >= rules_.conflicts) {
        Failure failure = DescribeAnswer(Purpose::Update, order_.offerId, response.status,
                                         response.body, response.Header("Trace-Id"));
        failure.retryAfter = seconds;
        return Fail(std::move(failure));
    }
    ++conflicts_;
    afterConflict_ = true;
    Start(UpdateStage::Check, Get(OfferUrl(), Purpose::ReadOffer),
          Wait{now_ + seconds, seconds, asked, WaitReason::Busy});
}

void UpdateFlow::OnCheck(const Final& answer) {
    auto offer = OfferFrom(answer);
    if (auto* failure = std::get_if<Failure>(&offer)) {
        if (afterConflict_) {
            return Fail(std::move(*failure));
        }
        Failure unknown =
            Made(FailureKind::UnknownIfArrived, Outcome::Network, Purpose::Update, lostDetail_);
        unknown.status = lostStatus_;
        unknown.traceId = lostTraceId_;
        return Fail(std::move(unknown));
    }
    const OfferState& state = std::get<OfferState>(offer);
    gallery_ = state.images;  // a PATCH again keeps the gallery as it now is
    if (SameDescription(sentDescription_, state.descriptionJson)) {
        result_.reached.update = UpdateSent::Confirmed;
        return Finish(UpdateResult::End::Updated, UpdateResult::ReadBack::Same);
    }
    result_.reached.update = UpdateSent::No;  // the offer shows it was not applied
    if (afterConflict_) {
        return StartPatch();
    }
    if (!resent_) {
        resent_ = true;
        return StartPatch();
    }
    Failure failure =
        lostStatus_ >= 500
            ? Made(FailureKind::ServerError, Outcome::Network, Purpose::Update, {})
            : Made(FailureKind::NoAnswer, Outcome::Network, Purpose::Update, lostDetail_);
    failure.status = lostStatus_;
    failure.traceId = lostTraceId_;
    Fail(std::move(failure));
}

// ---- Confirmation --------------------------------------------------------------------------

void UpdateFlow::StartConfirm(Seconds asked) {
    // The last look falls on the deadline, not past it.
    const Seconds seconds = std::clamp<Seconds>(asked, 1, rules_.retry.longestWait);
    const Seconds until = std::min(now_ + seconds, deadline_);
    Start(UpdateStage::Confirm, Get(operation_, Purpose::Update),
          Wait{until, until - now_, asked, WaitReason::Processing});
}

void UpdateFlow::OnConfirm(const Final& answer) {
    const auto* response = std::get_if<HttpResponse>(&answer);
    if (response == nullptr) {
        return Fail(Described(answer, Purpose::Update));  // sent, not confirmed
    }
    if (response->status == 303 || response->status == 200) {
        result_.reached.update = UpdateSent::Confirmed;
        const std::string location = response->Header("Location");
        return StartReadBack(location.empty() ? OfferUrl() : Resolve(location));
    }
    if (response->status == 202) {
        if (now_ >= deadline_) {
            // How long was waited, as the seller reads it after "w ciągu": "1 minuty", "10 minut".
            const Seconds minutes = std::max<Seconds>(rules_.confirmWithin / 60, 1);
            return Fail(
                Made(FailureKind::Unconfirmed, Outcome::Network, Purpose::Update,
                     CountedNoun(static_cast<std::size_t>(minutes), "minuty", "minut", "minut")));
        }
        return StartConfirm(AskedRetryAfter(response->Header("Retry-After"), rules_.pollWait));
    }
    if (response->status < 500) {
        result_.reached.update = UpdateSent::No;  // Allegro refused the change after all
    }
    Fail(Described(answer, Purpose::Update));
}

void UpdateFlow::StartReadBack(const std::string& url, std::optional<Wait> first) {
    Start(UpdateStage::ReadBack, Get(url, Purpose::ReadOffer), first);
}

void UpdateFlow::OnReadBack(const Final& answer) {
    auto offer = OfferFrom(answer);
    if (auto* failure = std::get_if<Failure>(&offer)) {
        if (result_.reached.update == UpdateSent::Confirmed) {
            return Finish(UpdateResult::End::Updated, UpdateResult::ReadBack::NotRead);
        }
        return Fail(std::move(*failure));
    }
    if (SameDescription(sentDescription_, std::get<OfferState>(offer).descriptionJson)) {
        result_.reached.update = UpdateSent::Confirmed;
        return Finish(UpdateResult::End::Updated, UpdateResult::ReadBack::Same);
    }
    Finish(UpdateResult::End::Updated, UpdateResult::ReadBack::Differs);
}

}  // namespace licytek::publish
