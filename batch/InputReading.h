// The batch's input read record by record: a CSV or a JSON-lines file, whose encoding is told
// or guessed and whose rows are counted beforehand for the progress, or the first sheet of an
// .xlsx or .ods file. What the records mean is the batch's business; this only reads them.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "batch/Batch.h"
#include "batch/EncodingGuess.h"
#include "batch/SheetRecords.h"
#include "model/FileDescriptor.h"

namespace licytek::batch {

// "FILE:ROW: " or "FILE:ROW:COLUMN: ", the start of a message about a row.
std::string PlaceOfRow(std::string_view path, std::size_t row, std::string_view column);

// The message that refuses a CSV guessed to be UTF-8 but for a few bytes: it names the row and
// column of the first of them. `readMore` appends the next chunk and is false at the end.
std::string BrokenUtf8Refusal(std::string_view path, char separator,
                              const std::function<bool(std::string&)>& readMore);

// What the batch does with what is read. Records and lines are numbered from 1, as a
// spreadsheet numbers its rows (the header is 1) or an editor its lines.
class RecordSink {
  public:
    // The cells of a CSV record or a sheet's row, empty rows too.
    virtual void OnRecord(std::size_t number, std::span<const std::string> cells) = 0;
    // A line of a JSON-lines file that holds anything.
    virtual void OnJsonLine(std::size_t number, std::string_view line) = 0;
    // A row that the reading itself finds bad, such as a line too long to be a form.
    virtual void OnBadRow(std::size_t number, std::string message) = 0;
    // Whether the batch has stopped, looking at a cancel first; the reading then ends.
    virtual bool CheckCancel() = 0;
    // Whether the batch has stopped, without looking at a cancel.
    virtual bool Stopped() const = 0;
    // Stops the batch: the input cannot be read on.
    virtual void Stop() = 0;

    virtual ~RecordSink() = default;
};

// The input, read chunk by chunk.
class InputFile {
  public:
    explicit InputFile(const std::string& path);

    int error() const { return error_; }
    bool IsRegular() const;
    // Appends up to `limit` more bytes to `bytes`; false on a read error (see error()).
    bool ReadMore(std::string& bytes, std::size_t limit);

  private:
    FileDescriptor fd_;
    int error_;
};

class InputReader {
  public:
    // A file named *.jsonl is read as JSON lines. `cancel` (may be null) ends the reading
    // passes that come before the batch.
    InputReader(const std::string& path, InputEncoding encoding, const std::atomic<bool>* cancel,
                RecordSink& sink);

    // Opens the input and reads its start; the message when it cannot be read.
    std::optional<std::string> Open();
    // What the start says the input is (after Open).
    InputKind Kind() const { return kind_; }
    bool IsJsonLines() const { return jsonLines_; }
    // Reads a sheet once before the batch: its rows are counted for the progress, and a
    // damaged archive is found before anything is written. False: no sheet this batch reads.
    bool CountSheetRows();
    // Gives every record to the sink until the end or a stop. The message when the input
    // cannot be read on, has a broken start or holds no header; see also Unreadable().
    std::optional<std::string> Read();

    // Whether the cells are UTF-8 rather than Windows-1250: known before the first record.
    bool Utf8() const { return utf8_; }
    // The rows of offers the input holds, when known: counted before the first record.
    std::optional<std::size_t> RowsTotal() const { return rowsTotal_; }
    // Whether the archive turned out no sheet this batch reads.
    bool Unreadable() const { return unreadable_; }

  private:
    void DecideEncoding(std::string_view start, bool bom);
    void TakeGuess(GuessedEncoding guessed);
    void Prescan(char separator, bool findEncoding);
    std::string LocateBrokenUtf8(char separator, std::string_view start, bool wholeFile) const;
    // Feeds `start` and then the rest of the input to `consume` until the end or a stop.
    std::optional<std::string> Stream(std::string start,
                                      const std::function<void(std::string_view)>& consume);
    std::optional<std::string> ReadText(std::string start);
    std::optional<std::string> ReadCsv(std::string start, char separator);
    std::optional<std::string> ReadJsonLines(std::string start);
    std::optional<std::string> ReadSheet();
    // Gives a record to the sink; false when the batch stopped.
    bool GiveRecord(std::span<const std::string> cells);
    void GiveJsonLine(std::string_view line);

    const std::string& path_;
    const InputEncoding encoding_;
    const std::atomic<bool>* cancel_;
    RecordSink& sink_;
    const bool jsonLines_;
    std::optional<InputFile> input_;
    std::string start_;  // the first bytes, read by Open
    InputKind kind_ = InputKind::Text;
    bool utf8_ = true;
    bool brokenUtf8_ = false;  // UTF-8 text with a few broken bytes, when the encoding was guessed
    std::optional<std::size_t> rowsTotal_;
    bool unreadable_ = false;
    std::size_t records_ = 0;  // the records or lines read so far
};

}  // namespace licytek::batch
