// Exports arbitrary bytes as the item description (and, with the terms, as the terms) and
// checks what every export must give: no crash, a description that passes the validator
// unless an error was reported, the same verdict on its JSON, and the same reading of the
// markup whether long texts went through the parser as stand-ins or as they are. Every valid
// description (the export's own, and the bytes read as a description's JSON) pulled into the
// form comes back from the export as it was.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "model/AuctionForm.h"
#include "model/Text.h"
#include "model/Utf8.h"
#include "structured/AllegroExport.h"
#include "structured/MarkupReader.h"
#include "structured/OfferToForm.h"
#include "structured/Validation.h"

namespace licytek::structured {
namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// The stand-ins' own character in a comment makes the reader parse the markup as it is.
constexpr std::string_view kReadAsItIs = "<!--\xEE\x80\x80-->";

void FuzzExport(std::string_view bytes) {
    AuctionForm form;
    form.auctionHeader = "Rower";
    form.itemDescription = std::string(bytes);
    const ExportOptions options{.withTerms = bytes.size() % 2 == 1};
    if (options.withTerms) {
        form.auctionTerms = form.itemDescription;
    }
    const AllegroOffer offer = ExportAllegro(form, options);
    const auto findings = ValidateDescription(offer.description);
    Check(offer.HasErrors() || findings.empty(), "an export without errors fails the validator");
    Check(ValidateDescriptionJson(DescriptionToJson(offer.description)).size() == findings.size(),
          "the description and its JSON get different verdicts");
    Check(offer.descriptionBytes == DescriptionToJson(offer.description).size(),
          "the reported size is not the size of the description");
}

void FuzzStandIns(std::string_view bytes) {
    const std::string html = Cp1250ToUtf8(bytes);
    Check(ReadMarkup(html).blocks == ReadMarkup(std::string(kReadAsItIs) + html).blocks,
          "stand-ins change the reading of the markup");
}

// Markup and arrangements as Allegro takes them; `pictures`: also every picture address.
bool FollowsTheRules(const Description& description, bool pictures) {
    for (const Violation& violation : FindViolations(description)) {
        if (violation.rule == Rule::Markup || violation.rule == Rule::Arrangement ||
            (pictures && violation.rule == Rule::PictureAddress)) {
            return false;
        }
    }
    return !description.sections.empty();
}

// Whether the description holds U+0000 or a C1 control, which no character reference gives
// back, or is not UTF-8 at all: the pull refuses it.
bool HoldsUncarriedCharacter(const Description& description) {
    for (const Section& section : description.sections) {
        for (const Item& item : section.items) {
            std::string_view rest = item.content;
            while (!rest.empty()) {
                char32_t c = 0;
                const std::size_t length = ReadUtf8(rest, c);
                if (length == 0 || c == 0 || (c >= 0x80 && c <= 0x9F)) {
                    return true;
                }
                rest.remove_prefix(length);
            }
        }
    }
    return false;
}

constexpr std::string_view kName = "Rower";

// The export of the pulled form: the description itself, with no heading it lacked.
std::string PulledAndExported(const Description& description, bool& refused) {
    const auto pulled = PullOffer(kName, description);
    refused = std::holds_alternative<Finding>(pulled);
    if (refused) {
        Check(HoldsUncarriedCharacter(description), "a valid description is refused");
        return {};
    }
    AuctionForm form;
    PutIntoForm(std::get<PulledOffer>(pulled), form);
    const Description exported = ExportAllegro(form).description;
    Check(FollowsTheRules(exported, false),
          "the pulled form exports a description that breaks the rules");
    // Pulled again, the exported description gives the same form.
    const auto again = PullOffer(kName, exported);
    Check(std::holds_alternative<PulledOffer>(again) &&
              std::get<PulledOffer>(again).description == std::get<PulledOffer>(pulled).description,
          "the exported description pulls into another form");
    return DescriptionToJson(exported);
}

void FuzzPull(std::string_view bytes) {
    // The export's own description is in its spelling and begins with the title's heading:
    // it comes back byte for byte.
    AuctionForm form;
    form.auctionHeader = std::string(kName);
    form.itemDescription = std::string(bytes);
    const Description own = ExportAllegro(form).description;
    bool refused = false;
    if (FollowsTheRules(own, false)) {
        const std::string back = PulledAndExported(own, refused);
        Check(refused || back == DescriptionToJson(own), "the export's own description changes");
    }
    // Any other valid description comes back in the export's spelling.
    const auto read = DescriptionFromJson(bytes);
    if (const Description* description = std::get_if<Description>(&read);
        description != nullptr && FollowsTheRules(*description, true)) {
        PulledAndExported(*description, refused);
    }
}

}  // namespace
}  // namespace licytek::structured

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    licytek::structured::FuzzExport(bytes);
    licytek::structured::FuzzStandIns(bytes);
    licytek::structured::FuzzPull(bytes);
    return 0;
}
