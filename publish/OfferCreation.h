// The creation of one new offer from a prepared one: the look-up of its signature, its pictures
// put on Allegro, one POST /sale/product-offers (a draft), Allegro's answer read back (201, or
// 202 and its operation polled) and, when asked, the draft's activation. A POST that got no
// answer is never sent again: the offer is looked for by its signature instead.
#pragma once

#include <atomic>
#include <optional>
#include <string>
#include <vector>

#include "publish/OfferPreparation.h"

namespace licytek::publish {

struct CreateOptions {
    bool activate = false;  // after the draft, PATCH it active unless Allegro finds gaps in it
    bool dryRun = false;    // only the look-ups: build the body, send and upload nothing
    std::string projectFolder = ".";  // relative picture paths start here
};

struct CreateResult {
    Outcome outcome = Outcome::Done;
    // Polish: the success line ("Szkic ID utworzony — ADDRESS", "Oferta ID wystawiona",
    // "Oferta ID: Allegro ją sprawdza (do 2 godzin)") or why it failed.
    std::string message;
    std::string traceId;
    std::string offerId;  // once known
    std::string offerPage;
    std::string status;                 // publication.status as last read
    std::vector<std::string> warnings;  // the draft's gaps (validation.errors), each with its key
    std::vector<std::string> errors;    // Allegro's refusal, each with its key
    // The same gaps and errors with where each belongs, for a front end that shows them at
    // their fields.
    std::vector<PlacedError> placedWarnings;
    std::vector<PlacedError> placedErrors;
    // Why it failed, as data for each front end to word; `message` is the command line's.
    std::optional<Failure> failure;
    std::string body;       // the POST body (pictures at their sources in a dry run)
    bool existing = false;  // an offer with the signature is there already: nothing created
    // A dry run found this offer with the signature (its line is among the warnings): the
    // real run would create nothing.
    std::string foundOfferId;
    bool posted = false;  // the POST went out (whatever came of it)
    bool cancelled = false;
};

CreateResult CreateOffer(OfferCatalogue& catalogue, PreparedOffer prepared,
                         const CreateOptions& options, const PublishObserver& observer = {},
                         const std::atomic<bool>* cancel = nullptr);

// The line of an offer with the signature, found before creating: "Oferta ID o sygnaturze
// „SIG” już jest w Allegro (szkic) — ADDRESS; nie utworzono drugiej."
std::string ExistingOfferLine(const SignedOffer& offer, const std::string& signature,
                              const std::string& offerPage);

}  // namespace licytek::publish
