#include "batch/InputReading.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <utility>
#include <vector>

#include "batch/CsvRecords.h"
#include "batch/EncodingGuess.h"
#include "batch/InputText.h"
#include "model/FileIo.h"
#include "model/Utf8.h"

namespace licytek::batch {
namespace {

constexpr std::size_t kChunkBytes = std::size_t{1} << 18;
// A form is a few hundred kilobytes at most; a longer line is a mistake, not a form.
constexpr std::size_t kMaxJsonLineBytes = std::size_t{64} << 20;
constexpr std::string_view kOpenQuote =
    "cudzysłów otwarty w tym wierszu nie zamyka się do końca pliku; wiersz pominięto";

// What is wrong with a cell of a UTF-8 file whose byte at `at` is broken.
std::string BrokenUtf8Message(std::string_view cell, std::size_t at) {
    std::string where = "plik jest w UTF-8, ale ma bajty, które nim nie są";
    if (at < cell.size()) {
        const std::size_t character = 1 + Utf8CharacterCount(cell.substr(0, at));
        static constexpr char kHex[] = "0123456789ABCDEF";
        const auto byte = static_cast<unsigned char>(cell[at]);
        where = "plik jest w UTF-8, ale bajt 0x" + std::string{kHex[byte >> 4], kHex[byte & 15]} +
                " (znak " + std::to_string(character) + ". komórki) nim nie jest";
    }
    return where +
           ": popraw go albo wskaż kodowanie pliku opcją --encoding utf-8 (wiersze z takimi "
           "bajtami będą błędne) lub --encoding windows-1250";
}

bool EndsWithFolded(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           FoldCase(text.substr(text.size() - suffix.size())) == suffix;
}

// The start of the input: at least its first line, unless that is longer than a chunk.
bool ReadStart(InputFile& input, std::string& start) {
    while (start.size() < kChunkBytes && start.find('\n') == std::string::npos) {
        const std::size_t before = start.size();
        if (!input.ReadMore(start, kChunkBytes - before)) {
            return false;
        }
        if (start.size() == before) {
            break;
        }
    }
    return true;
}

// Whether a line of a JSON-lines file holds anything.
bool IsBlank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

// Counts the lines of a JSON-lines file that hold anything, chunk by chunk.
class LineCount {
  public:
    void Feed(std::string_view chunk) {
        for (const char c : chunk) {
            if (c == '\n') {
                rows_ += lineBlank_ ? 0 : 1;
                lineBlank_ = true;
            } else if (c != ' ' && c != '\t' && c != '\r') {
                lineBlank_ = false;
            }
        }
    }
    std::size_t Finish() const { return rows_ + (lineBlank_ ? 0 : 1); }

  private:
    std::size_t rows_ = 0;
    bool lineBlank_ = true;
};

}  // namespace

std::string PlaceOfRow(std::string_view path, std::size_t row, std::string_view column) {
    std::string where = std::string(path) + ":" + std::to_string(row) + ":";
    if (!column.empty()) {
        where.append(column).append(":");
    }
    return where + " ";
}

// Read as Windows-1250, every Polish letter of such a file would turn into two wrong ones.
std::string BrokenUtf8Refusal(std::string_view path, char separator,
                              const std::function<bool(std::string&)>& readMore) {
    std::string found;
    std::vector<std::string> header;
    std::size_t record = 0;
    CsvRecords records(separator, [&](std::span<const std::string> cells) {
        if (++record == 1) {
            header.assign(cells.begin(), cells.end());
        }
        for (std::size_t i = 0; i < cells.size() && found.empty(); ++i) {
            if (const auto at = FirstBrokenUtf8(cells[i])) {
                const std::string_view name = i < header.size() ? Trim(header[i]) : "";
                const bool named = !name.empty() && !FirstBrokenUtf8(name);
                found =
                    PlaceOfRow(path, record, named ? name : "kolumna " + std::to_string(i + 1)) +
                    BrokenUtf8Message(cells[i], *at);
            }
        }
        if (!found.empty()) {
            records.Stop();
        }
    });
    std::string chunk;
    while (found.empty() && readMore(chunk)) {
        records.Feed(chunk);
        chunk.clear();
    }
    records.Finish();
    return found.empty() ? std::string(path) + ": " + BrokenUtf8Message({}, 0) : found;
}

InputFile::InputFile(const std::string& path)
    : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)), error_(fd_.IsOpen() ? 0 : errno) {}

bool InputFile::IsRegular() const {
    struct stat info {};
    return fd_.IsOpen() && ::fstat(fd_.get(), &info) == 0 && S_ISREG(info.st_mode);
}

bool InputFile::ReadMore(std::string& bytes, std::size_t limit) {
    const std::size_t old = bytes.size();
    bytes.resize(old + limit);
    ssize_t got = 0;
    do {
        got = ::read(fd_.get(), bytes.data() + old, limit);
    } while (got < 0 && errno == EINTR);
    bytes.resize(old + (got > 0 ? static_cast<std::size_t>(got) : 0));
    error_ = got < 0 ? errno : 0;
    return got >= 0;
}

InputReader::InputReader(const std::string& path, InputEncoding encoding,
                         const std::atomic<bool>* cancel, RecordSink& sink)
    : path_(path),
      encoding_(encoding),
      cancel_(cancel),
      sink_(sink),
      jsonLines_(EndsWithFolded(path, ".jsonl")) {}

std::optional<std::string> InputReader::Open() {
    input_.emplace(path_);
    if (input_->error() != 0 || !ReadStart(*input_, start_)) {
        return path_ + ": " + PolishMessage(FileErrorFromErrno(input_->error()));
    }
    kind_ = KindOfInput(start_);
    return std::nullopt;
}

bool InputReader::CountSheetRows() {
    std::size_t rows = 0;
    SheetRecords* self = nullptr;
    SheetRecords counter([&](std::span<const std::string> cells) {
        if (cancel_ != nullptr && cancel_->load()) {
            self->Stop();  // the batch itself sees the cancel at its first row
        }
        if (std::any_of(cells.begin(), cells.end(),
                        [](const std::string& cell) { return !cell.empty(); })) {
            ++rows;
        }
    });
    self = &counter;
    if (!counter.Read(path_)) {
        return false;
    }
    rowsTotal_ = rows - (rows > 0 ? 1 : 0);  // the header
    return true;
}

std::optional<std::string> InputReader::Read() {
    return kind_ == InputKind::Archive ? ReadSheet() : ReadText(std::move(start_));
}

std::optional<std::string> InputReader::ReadText(std::string start) {
    const bool bom = start.starts_with(kUtf8Bom);
    if (bom) {
        start.erase(0, kUtf8Bom.size());
    }
    const char separator = DetectSeparator(start);
    DecideEncoding(start, bom);
    if (input_->IsRegular()) {
        const bool findEncoding = !jsonLines_ && !bom && encoding_ == InputEncoding::Automatic;
        Prescan(separator, findEncoding);
    }
    if (brokenUtf8_ && !sink_.Stopped()) {
        return LocateBrokenUtf8(separator, start, input_->IsRegular());
    }
    return jsonLines_ ? ReadJsonLines(std::move(start)) : ReadCsv(std::move(start), separator);
}

std::optional<std::string> InputReader::ReadSheet() {
    utf8_ = true;  // a sheet's XML is UTF-8
    SheetRecords records([&](std::span<const std::string> cells) {
        if (!GiveRecord(cells)) {
            records.Stop();
        }
    });
    if (!records.Read(path_)) {
        unreadable_ = true;
        return UnreadableInputMessage(path_);
    }
    if (records_ == 0) {
        return path_ + ": plik jest pusty, brak wiersza nagłówka";
    }
    return std::nullopt;
}

bool InputReader::GiveRecord(std::span<const std::string> cells) {
    sink_.OnRecord(++records_, cells);
    return !sink_.Stopped();
}

// Takes the encoding as told, or guesses it from a pipe's first chunk, as a pipe is read once.
// A regular file is looked at whole by Prescan.
void InputReader::DecideEncoding(std::string_view start, bool bom) {
    utf8_ = jsonLines_ || encoding_ != InputEncoding::Cp1250;
    if (jsonLines_ || encoding_ != InputEncoding::Automatic || bom || input_->IsRegular()) {
        return;
    }
    EncodingGuess guess;
    guess.Feed(start);
    TakeGuess(guess.Verdict(false));
}

void InputReader::TakeGuess(GuessedEncoding guessed) {
    utf8_ = guessed == GuessedEncoding::Utf8;
    brokenUtf8_ = guessed == GuessedEncoding::BrokenUtf8;
}

// One quick pass over a regular file before the batch: how many rows it holds, for the
// progress, and (unless told) its encoding, guessed from the whole file.
void InputReader::Prescan(char separator, bool findEncoding) {
    InputFile input(path_);
    EncodingGuess guess;
    std::size_t rows = 0;
    std::optional<CsvRecords> records;
    LineCount lines;
    if (!jsonLines_) {
        records.emplace(separator, [&rows](std::span<const std::string> cells) {
            rows += std::any_of(cells.begin(), cells.end(),
                                [](const std::string& cell) { return !cell.empty(); })
                        ? 1U
                        : 0U;
        });
    }
    std::string chunk;
    while (!sink_.CheckCancel()) {
        chunk.clear();
        if (!input.ReadMore(chunk, kChunkBytes)) {
            return;  // the batch's own reading reports it
        }
        if (chunk.empty()) {
            break;
        }
        if (findEncoding) {
            guess.Feed(chunk);
        }
        if (records) {
            records->Feed(chunk);
        } else {
            lines.Feed(chunk);
        }
    }
    if (records) {
        if (records->Finish() == CsvRecords::End::OpenQuote) {
            ++rows;  // the row the open quote fails
        }
        rows -= rows > 0 ? 1 : 0;  // the header
    } else {
        rows = lines.Finish();
    }
    rowsTotal_ = rows;
    if (findEncoding) {
        TakeGuess(guess.Verdict(true));
    }
}

std::string InputReader::LocateBrokenUtf8(char separator, std::string_view start,
                                          bool wholeFile) const {
    if (!wholeFile) {
        bool given = false;
        return BrokenUtf8Refusal(path_, separator, [&](std::string& chunk) {
            chunk.append(given ? std::string_view() : start);
            given = true;
            return !chunk.empty();
        });
    }
    InputFile input(path_);
    return BrokenUtf8Refusal(path_, separator, [&](std::string& chunk) {
        const bool cancelled = cancel_ != nullptr && cancel_->load();
        return !cancelled && input.ReadMore(chunk, kChunkBytes) && !chunk.empty();
    });
}

std::optional<std::string> InputReader::Stream(
    std::string start, const std::function<void(std::string_view)>& consume) {
    std::string chunk = std::move(start);
    // Checked a chunk at a time too: one cell or line may be megabytes long.
    while (!chunk.empty() && !sink_.CheckCancel()) {
        consume(chunk);
        chunk.clear();
        if (!input_->ReadMore(chunk, kChunkBytes)) {
            return path_ + ": " + PolishMessage(FileErrorFromErrno(input_->error()));
        }
    }
    return std::nullopt;
}

std::optional<std::string> InputReader::ReadCsv(std::string start, char separator) {
    CsvRecords records(separator, [&](std::span<const std::string> cells) {
        if (!GiveRecord(cells)) {
            records.Stop();
        }
    });
    bool outOfMemory = false;
    auto problem = Stream(std::move(start), [&](std::string_view chunk) {
        if (!outOfMemory && !records.Feed(chunk)) {
            outOfMemory = true;
            sink_.Stop();
        }
    });
    const auto end = !problem && !sink_.Stopped() ? records.Finish() : CsvRecords::End::Complete;
    if (outOfMemory || end == CsvRecords::End::OutOfMemory) {
        return PlaceOfRow(path_, records_ + 1, "") + "komórka za duża, by ją wczytać";
    }
    if (end == CsvRecords::End::OpenQuote) {
        if (records_ == 0) {
            return PlaceOfRow(path_, 1, "") + std::string(kOpenQuote);
        }
        sink_.OnBadRow(records_ + 1, std::string(kOpenQuote));
    }
    // Nothing read and no stop (a cancel): no header either.
    if (!problem && records_ == 0 && !sink_.Stopped()) {
        return path_ + ": plik jest pusty, brak wiersza nagłówka";
    }
    return problem;
}

std::optional<std::string> InputReader::ReadJsonLines(std::string start) {
    std::string line;
    bool tooLong = false;
    const auto lineEnds = [&] {
        if (tooLong) {
            sink_.OnBadRow(++records_, "wiersz dłuższy niż 64 MiB");
        } else {
            GiveJsonLine(line);
        }
        line.clear();
        tooLong = false;
    };
    auto problem = Stream(std::move(start), [&](std::string_view chunk) {
        while (!chunk.empty() && !sink_.Stopped()) {
            const auto end = chunk.find('\n');
            const std::string_view piece = chunk.substr(0, end);
            tooLong = tooLong || line.size() + piece.size() > kMaxJsonLineBytes;
            if (!tooLong) {
                line.append(piece);
            }
            if (end == std::string_view::npos) {
                return;
            }
            chunk.remove_prefix(end + 1);
            lineEnds();
        }
    });
    if (!problem && !sink_.Stopped() && (tooLong || !line.empty())) {
        lineEnds();  // the last line, without a line break
    }
    return problem;
}

void InputReader::GiveJsonLine(std::string_view line) {
    ++records_;
    if (!IsBlank(line)) {
        sink_.OnJsonLine(records_, line);
    }
}

}  // namespace licytek::batch
