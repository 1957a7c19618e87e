// Exports arbitrary bytes as the item description (and, with the terms, as the terms) and
// checks what every export must give: no crash, a description that passes the validator
// unless an error was reported, the same verdict on its JSON, and the same reading of the
// markup whether long texts went through the parser as stand-ins or as they are.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "model/AuctionForm.h"
#include "model/Text.h"
#include "structured/AllegroExport.h"
#include "structured/MarkupReader.h"

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
    form.Edit2 = "Rower";
    form.Memo1 = std::string(bytes);
    const ExportOptions options{.withTerms = bytes.size() % 2 == 1};
    if (options.withTerms) {
        form.Memo2 = form.Memo1;
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

}  // namespace
}  // namespace licytek::structured

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    licytek::structured::FuzzExport(bytes);
    licytek::structured::FuzzStandIns(bytes);
    return 0;
}
