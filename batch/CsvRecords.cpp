#include "batch/CsvRecords.h"

#include <new>
#include <utility>

namespace licytek::batch {
namespace {

// A cell keeps the blanks around it: a text input holds exactly what the seller typed.
int NoSpaces(unsigned char) {
    return 0;
}

}  // namespace

CsvRecords::CsvRecords(char separator, RecordHandler onRecord) : onRecord_(std::move(onRecord)) {
    // Lenient mode: a stray quote is taken as text, as spreadsheet programs read it.
    if (csv_init(&parser_, 0) != 0) {
        throw std::bad_alloc();
    }
    csv_set_delim(&parser_, static_cast<unsigned char>(separator));
    csv_set_space_func(&parser_, NoSpaces);
}

CsvRecords::~CsvRecords() {
    csv_free(&parser_);
}

bool CsvRecords::Feed(std::string_view bytes) {
    const std::size_t parsed =
        csv_parse(&parser_, bytes.data(), bytes.size(), OnField, OnRecordEnd, this);
    Rethrow();
    return parsed == bytes.size();
}

CsvRecords::End CsvRecords::Finish() {
    // Strict only now: a stray quote inside a cell stays text, but libcsv's strict end
    // refuses a quoted cell that never closed.
    csv_set_opts(&parser_, CSV_STRICT | CSV_STRICT_FINI);
    const int result = csv_fini(&parser_, OnField, OnRecordEnd, this);
    Rethrow();
    if (result == 0) {
        return End::Complete;
    }
    return csv_error(&parser_) == CSV_EPARSE ? End::OpenQuote : End::OutOfMemory;
}

void CsvRecords::OnField(void* data, std::size_t size, void* self) {
    auto& records = *static_cast<CsvRecords*>(self);
    if (records.stopped_) {
        return;
    }
    // Exceptions must not cross libcsv's C frames: keep it until csv_parse returns.
    try {
        if (records.used_ == records.cells_.size()) {
            records.cells_.emplace_back();
        }
        records.cells_[records.used_++].assign(static_cast<const char*>(data), size);
    } catch (...) {
        records.failure_ = std::current_exception();
        records.stopped_ = true;
    }
}

void CsvRecords::OnRecordEnd(int, void* self) {
    auto& records = *static_cast<CsvRecords*>(self);
    if (records.stopped_) {
        return;
    }
    try {
        records.onRecord_(std::span<const std::string>(records.cells_.data(), records.used_));
    } catch (...) {
        records.failure_ = std::current_exception();
        records.stopped_ = true;
    }
    records.used_ = 0;
}

void CsvRecords::Rethrow() {
    if (failure_) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
}

}  // namespace licytek::batch
