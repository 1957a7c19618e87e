// The pictures from the disk that a row itself names. A batch uploads only these: a file is
// sent to Allegro because a row of the seller's sheet asks for it, never because the template
// or anything else happens to name it.
#pragma once

#include <string>
#include <vector>

#include "model/AuctionForm.h"

namespace licytek::batch {

// The disk pictures (as IsLocalPictureSource tells them) of the inputs in which `row` differs
// from `templateForm`: those its cells set. An input the row keeps as the template has it
// names none.
std::vector<std::string> DiskPicturesOfRow(const AuctionForm& row, const AuctionForm& templateForm);

// "wysłano pliki: a.jpg, b.jpg" for a row's line, or nothing when no file was sent.
std::string FilesSentNote(const std::vector<std::string>& files);

}  // namespace licytek::batch
