#include "batch/RowPictures.h"

#include "model/FormFields.h"
#include "structured/AllegroExport.h"

namespace licytek::batch {

std::vector<std::string> DiskPicturesOfRow(const AuctionForm& row,
                                           const AuctionForm& templateForm) {
    // The row's own texts alone, its switches as they are: what the export finds in them.
    AuctionForm own = row;
    for (const FormField& field : FormFields()) {
        if (IsTextKind(field.kind) && row.*field.text == templateForm.*field.text) {
            (own.*field.text).clear();
        }
    }
    const structured::AllegroOffer offer =
        structured::ExportAllegro(own, {.withTerms = true, .acceptLocalPictures = true});
    std::vector<std::string> pictures;
    for (const std::string& image : offer.images) {
        if (structured::IsLocalPictureSource(image)) {
            pictures.push_back(image);
        }
    }
    return pictures;
}

std::string FilesSentNote(const std::vector<std::string>& files) {
    std::string note;
    for (const std::string& file : files) {
        note += (note.empty() ? "wysłano pliki: " : ", ") + file;
    }
    return note;
}

}  // namespace licytek::batch
