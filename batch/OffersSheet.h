// The copy of a sheet that a batch creating offers writes after its run: every row as it was,
// with the number of the offer created (or found by its signature) in "oferta", so that a
// later batch --publish sends to those offers. A CSV in UTF-8 whatever the input was.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace licytek::batch {

// "dir/nowe.xlsx" gives "dir/nowe.oferty.csv": beside the input, never the input itself.
std::string OffersSheetPath(const std::string& inputPath);

class OffersSheet;

// Writes the copy beside `inputPath` (at OffersSheetPath), never over the input, whole or not
// at all; the message when it was not written (Polish, UTF-8).
std::optional<std::string> SaveOffersSheet(const std::string& inputPath, const OffersSheet& sheet);

class OffersSheet {
  public:
    // The header's cells (UTF-8) and which of them is "oferta", if one is: without one, the
    // copy gets an "oferta" column at the end.
    void Header(std::vector<std::string> cells, std::optional<std::size_t> offerColumn);
    void Row(std::size_t row, std::vector<std::string> cells);
    void SetOffer(std::size_t row, std::string offerId) { offers_[row] = std::move(offerId); }
    bool HasHeader() const { return !header_.empty(); }
    // Semicolon-separated, with a byte-order mark so that a spreadsheet reads it as UTF-8.
    std::string Csv() const;

  private:
    std::vector<std::string> header_;
    std::size_t offerColumn_ = 0;
    std::vector<std::pair<std::size_t, std::vector<std::string>>> rows_;
    std::map<std::size_t, std::string> offers_;
};

}  // namespace licytek::batch
