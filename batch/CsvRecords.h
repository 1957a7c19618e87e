// The records of a CSV text, read with libcsv as the bytes arrive: bytes go in chunk by chunk
// and every complete record comes out at once, so nothing but the current record is held.
#pragma once

#include <csv.h>

#include <cstddef>
#include <exception>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace licytek::batch {

class CsvRecords {
  public:
    // Called with the cells of each record as the file holds them: quotes removed, doubled
    // quotes halved, line breaks inside quotes kept, blanks around cells kept. Blank lines
    // give no record.
    using RecordHandler = std::function<void(std::span<const std::string> cells)>;

    CsvRecords(char separator, RecordHandler onRecord);
    ~CsvRecords();
    CsvRecords(const CsvRecords&) = delete;
    CsvRecords& operator=(const CsvRecords&) = delete;

    // Parses the next chunk; false when libcsv ran out of memory. A record handler's exception
    // comes out of here, after libcsv has returned.
    bool Feed(std::string_view bytes);
    // Ends the text: a last record without a line break comes out now. A quote still open
    // at the end would have taken every later line into one cell: that record is dropped.
    enum class End { Complete, OutOfMemory, OpenQuote };
    End Finish();
    // No more records come out, whatever is fed.
    void Stop() { stopped_ = true; }
    bool Stopped() const { return stopped_; }

  private:
    static void OnField(void* data, std::size_t size, void* self);
    static void OnRecordEnd(int terminator, void* self);
    void Rethrow();

    csv_parser parser_{};
    RecordHandler onRecord_;
    // The cells of the record being read; the strings keep their capacity from row to row.
    std::vector<std::string> cells_;
    std::size_t used_ = 0;
    bool stopped_ = false;
    std::exception_ptr failure_;
};

}  // namespace licytek::batch
