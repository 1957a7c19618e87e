#include "batch/OffersSheet.h"

#include <filesystem>

#include "model/FileIo.h"

namespace licytek::batch {
namespace {

std::string CsvCell(const std::string& cell) {
    const bool quoted = cell.find_first_of(";\"\r\n") != std::string::npos ||
                        (!cell.empty() && (cell.front() == ' ' || cell.back() == ' '));
    if (!quoted) {
        return cell;
    }
    std::string out = "\"";
    for (const char c : cell) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

void AppendLine(std::string& out, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
        out += (i == 0 ? "" : ";") + CsvCell(cells[i]);
    }
    out += "\n";
}

}  // namespace

std::string OffersSheetPath(const std::string& inputPath) {
    std::filesystem::path path(inputPath);
    path.replace_extension();
    return path.string() + ".oferty.csv";
}

void OffersSheet::Header(std::vector<std::string> cells, std::optional<std::size_t> offerColumn) {
    header_ = std::move(cells);
    if (offerColumn) {
        offerColumn_ = *offerColumn;
    } else {
        offerColumn_ = header_.size();
        header_.push_back("oferta");
    }
}

void OffersSheet::Row(std::size_t row, std::vector<std::string> cells) {
    rows_.emplace_back(row, std::move(cells));
}

std::string OffersSheet::Csv() const {
    std::string out = "\xEF\xBB\xBF";
    AppendLine(out, header_);
    for (const auto& [row, original] : rows_) {
        std::vector<std::string> cells = original;
        if (const auto offer = offers_.find(row); offer != offers_.end()) {
            if (cells.size() <= offerColumn_) {
                cells.resize(offerColumn_ + 1);
            }
            cells[offerColumn_] = offer->second;
        }
        AppendLine(out, cells);
    }
    return out;
}

std::optional<std::string> SaveOffersSheet(const std::string& inputPath, const OffersSheet& sheet) {
    const std::string path = OffersSheetPath(inputPath);
    std::error_code error;
    if (std::filesystem::equivalent(path, inputPath, error)) {
        return path + ": to plik wejściowy; kopia z numerami ofert nie została zapisana";
    }
    if (auto failed = WriteFileAtomically(path, sheet.Csv())) {
        return path + ": kopia arkusza z numerami ofert nie została zapisana: " + failed->message;
    }
    return std::nullopt;
}

}  // namespace licytek::batch
