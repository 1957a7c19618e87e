// The rows of a spreadsheet saved as .xlsx or .ods, read from the archive as it is: the first
// sheet, one record a row, each cell as the text the seller sees (UTF-8). The records come out
// as CsvRecords gives them, so that one piece maps the columns of every kind of sheet.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace licytek::batch {

// What the first bytes of a file of offers say it is.
enum class InputKind {
    Text,        // CSV or JSON lines
    Archive,     // a ZIP archive: an .xlsx or .ods sheet, or else nothing this batch reads
    Unreadable,  // binary: an old .xls, a picture, UTF-16 text...
};
InputKind KindOfInput(std::string_view start);

// The one line for a file that is not a sheet this batch reads, with what to do about it.
std::string UnreadableInputMessage(std::string_view path);

class SheetRecords {
  public:
    using RecordHandler = std::function<void(std::span<const std::string> cells)>;

    explicit SheetRecords(RecordHandler onRecord) : onRecord_(std::move(onRecord)) {}

    // Reads the first sheet of the .xlsx or .ods file at `path`, giving every row, empty ones
    // too, so that records count as the sheet numbers its rows. False when the file is no such
    // sheet or is damaged. A record handler's exception comes out of here.
    bool Read(const std::string& path);
    // No more records come out.
    void Stop() { stopped_ = true; }
    bool Stopped() const { return stopped_; }

  private:
    RecordHandler onRecord_;
    bool stopped_ = false;
};

}  // namespace licytek::batch
