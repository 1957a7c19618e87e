#include "batch/AllegroCreator.h"

#include "publish/Wording.h"

#include <utility>

namespace licytek::batch {
namespace {

// As for the sending: after this many rows in a row without an answer, the rest would only
// cost the same retries and timeouts.
constexpr int kUnansweredRowsToStop = 3;

std::string Joined(std::string message, const std::vector<std::string>& errors) {
    for (const std::string& error : errors) {
        message += ' ';
        message += error;
    }
    return message;
}

}  // namespace

AllegroCreator::AllegroCreator(publish::OfferCatalogue& catalogue, publish::CreateOptions options,
                               publish::PublishObserver observer)
    : catalogue_(catalogue), options_(std::move(options)), observer_(std::move(observer)) {}

CreateAnswer AllegroCreator::Failed(publish::Outcome outcome, const std::string& message,
                                    bool cancelled) {
    CreateAnswer answer{CreateAnswer::Status::Failed, {}, message};
    answer.cancelled = cancelled;
    unanswered_ = outcome == publish::Outcome::Network ? unanswered_ + 1 : 0;
    if (unanswered_ >= kUnansweredRowsToStop) {
        stoppedBy_ = outcome;
        answer.status = CreateAnswer::Status::Stop;
        answer.message += " Allegro nie odpowiada od " + std::to_string(unanswered_) +
                          " wierszy: dalsze oferty nie zostaną utworzone.";
    } else if (outcome == publish::Outcome::SignedOut || outcome == publish::Outcome::BadUse) {
        // Bad offer data is BadUse too, but it comes as errors under keys (see below).
        stoppedBy_ = outcome;
        answer.status = CreateAnswer::Status::Stop;
    }
    return answer;
}

// Allegro's refusal keeps its errors by key and the draft's gaps; any other failure is
// worded for the front end (the window signs in its own way).
std::string AllegroCreator::FailureMessage(const publish::CreateResult& result) const {
    if (front_ != &publish::kCommandLineFront && result.failure && result.errors.empty() &&
        result.warnings.empty()) {
        return publish::FailureText(*result.failure, *front_);
    }
    std::string message = Joined(result.message, result.errors);
    if (!result.warnings.empty()) {
        message = Joined(message + " Braki:", result.warnings);
    }
    return publish::FullMessage({result.outcome, std::move(message), result.traceId});
}

CreateAnswer AllegroCreator::Create(std::size_t /*row*/, const offer::OfferData& data,
                                    const AuctionForm& form, const std::string& sheetFile,
                                    const std::atomic<bool>* cancel) {
    publish::PrepareOptions prepare;
    prepare.sheetFile = sheetFile;
    prepare.activate = options_.activate;
    auto prepared = publish::PrepareNewOffer(catalogue_, data, form, prepare, &observer_, cancel);
    if (auto* problem = std::get_if<publish::PrepareProblem>(&prepared)) {
        if (!problem->errors.empty() || problem->failure.outcome == publish::Outcome::BadUse) {
            // The row's own fault: only this row fails.
            CreateAnswer answer{CreateAnswer::Status::Failed, {}, problem->failure.message};
            answer.errors = problem->errors;
            for (const auto& finding : problem->findings) {
                if (finding.severity == structured::Severity::Error) {
                    answer.errors.push_back({finding.control, finding.message});
                }
            }
            if (!problem->suggestions.empty()) {
                std::string list = "kategorie proponowane przez Allegro:";
                for (const auto& category : problem->suggestions) {
                    list += " " + offer::ShownText(category.id, 40) + " (" +
                            offer::ShownText(category.path, 300) + ");";
                }
                list.pop_back();
                answer.errors.push_back({"kategoria", list});
            }
            unanswered_ = 0;
            return answer;
        }
        // The command line keeps the message as the look-ups worded it.
        return Failed(problem->failure.outcome,
                      front_ == &publish::kCommandLineFront
                          ? publish::FullMessage(problem->failure)
                          : publish::FailureText(problem->failure, *front_),
                      problem->failure.cancelled);
    }
    auto& offer = std::get<publish::PreparedOffer>(prepared);
    std::vector<std::string> notes = std::move(offer.notes);
    const publish::CreateResult result =
        publish::CreateOffer(catalogue_, std::move(offer), options_, observer_, cancel);
    if (result.existing) {
        unanswered_ = 0;
        return {CreateAnswer::Status::Existing, result.offerId, result.message};
    }
    if (options_.dryRun && !result.foundOfferId.empty() && !result.warnings.empty() &&
        result.outcome == publish::Outcome::Done) {
        // The real run would find it and create nothing: so says the trial.
        unanswered_ = 0;
        return {CreateAnswer::Status::Existing, result.foundOfferId, result.warnings.front()};
    }
    if (result.outcome != publish::Outcome::Done) {
        return Failed(result.outcome, FailureMessage(result), result.cancelled);
    }
    unanswered_ = 0;
    const bool live = result.status == "ACTIVE" || result.status == "ACTIVATING";
    CreateAnswer answer{live ? CreateAnswer::Status::Activated : CreateAnswer::Status::Created,
                        result.offerId, result.message};
    answer.activating = result.status == "ACTIVATING";
    answer.gaps = result.warnings.size();
    answer.warnings = std::move(notes);
    answer.warnings.insert(answer.warnings.end(), result.warnings.begin(), result.warnings.end());
    answer.body = result.body;
    return answer;
}

}  // namespace licytek::batch
