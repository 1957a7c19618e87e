#include "batch/Batch.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <unordered_map>
#include <utility>
#include <vector>

#include "batch/Columns.h"
#include "batch/ErrorCollapse.h"
#include "batch/InputReading.h"
#include "batch/InputText.h"
#include "batch/OffersSheet.h"
#include "batch/OutputWriter.h"
#include "batch/ResultOrder.h"
#include "batch/RowPictures.h"
#include "batch/TemplateWarnings.h"
#include "formjson/FormJson.h"
#include "generator/Document.h"
#include "model/FileIo.h"
#include "model/FormFields.h"
#include "model/PolishNumbers.h"
#include "model/TerminalText.h"
#include "model/Text.h"
#include "structured/AllegroExport.h"

namespace licytek::batch {
namespace {

constexpr std::string_view kZeroByte =
    "komórka zawiera bajt zerowy (NUL), a tekst oferty nie może go mieć";
// A row whose offer is still busy with an earlier change is tried again after the other rows,
// this many times at most.
constexpr int kConflictRounds = 3;

// A row whose files are on their way, waiting to be sent to its offer once they are written.
struct PendingSend {
    std::size_t row = 0;
    std::string offerId;
    AuctionForm form;                       // not kept in a dry run, whose body is written already
    std::string preparedFile;               // a dry run's body file
    std::vector<std::string> diskPictures;  // the only files it may upload: the row's own
    bool unchanged = false;                 // a dry run found that the offer shows it already
};

// A row whose files are on their way, waiting to have its new offer created once they are
// written.
struct PendingCreate {
    offer::OfferData data;
    AuctionForm form;
    std::string sheetFile;      // the row's "plik", part of the signature made for it
    std::string existingOffer;  // the "oferta" the row names: nothing is created
    std::string preparedFile;   // a dry run's body file
    // A dry run found the offer by its signature: the real run would create nothing.
    std::string foundOffer = {};
    std::string foundLine = {};
};

// A dry run's row whose offer is being read: its files wait for the answer, to be written
// with its update body, whole or not at all.
struct HeldRow {
    std::size_t sequence = 0;
    RowOutput output;
    std::string name;  // its files' name
    std::string nameKey;
    std::string offerId;
};

// A row the offer refused for now (409): sent again after the other rows.
struct PutOff {
    std::size_t row = 0;
    PendingSend send;
    std::string message;
};

class BatchRun : private RecordSink {
  public:
    BatchRun(const std::string& path, const AuctionForm& templateForm, const std::string& sellerId,
             const BatchOptions& options, const BatchObserver& observer)
        : path_(path),
          template_(templateForm),
          sellerId_(sellerId),
          options_(options),
          observer_(observer),
          input_(path, options.encoding, observer.cancel, *this),
          order_(
              [this](std::size_t sequence, const RowOutcome& outcome) { Tell(sequence, outcome); }),
          writer_(options.writerThreads, options.overwrite) {}

    BatchSummary Run();

  private:
    BatchSummary Fatal(std::string message) {
        summary_.fatal = std::move(message);
        return summary_;
    }
    std::optional<std::string> PrepareFolder() const;
    void TellTemplateWarnings();
    // Tells what is left once every row is read: the rows put off, those not sent, the
    // errors told only in part.
    void Finish();

    // What the input gives.
    void OnRecord(std::size_t number, std::span<const std::string> cells) override;
    void OnJsonLine(std::size_t number, std::string_view line) override;
    void OnBadRow(std::size_t number, std::string message) override {
        if (!listing_) {
            Fail(number, {{"", std::move(message)}});
        }
    }
    bool CheckCancel() override;
    bool Stopped() const override { return stop_; }
    void Stop() override { stop_ = true; }

    // No later row is written or sent (a cancel, or the sender stopped).
    void StopRows();
    // After StopRows while sending: a row read only to be named among those not sent.
    void ListUnsent(std::size_t row, bool namesOffer);
    bool TakeHeader(std::span<const std::string> cells);
    void OnCsvRow(std::size_t row, std::span<const std::string> cells);
    // Tells the count of rows before the first row, which may wait long on Allegro.
    void TellTotalOnce();
    void Emit(std::size_t row, const AuctionForm& form, const std::string& sellerId,
              const std::string& name, const std::string& nameColumn,
              const std::string& offerId = {});
    std::optional<std::string> OfferIdOf(std::span<const std::string> cells,
                                         std::vector<RowProblem>& problems) const;
    // Hands a dry run's row to the sender to read its offer; its files wait for the answer.
    void PrepareUpdate(std::size_t row, const AuctionForm& form, HeldRow held);
    // The answers of a dry run's reads: each row's files are written with its update body.
    void TakePrepared(const std::vector<SentRow>& answers);
    void WriteHeld(HeldRow held, const SendAnswer& answer);
    void SendRow(std::size_t row, PendingSend send);
    void TellAnswers(const std::vector<SentRow>& answers);
    void TellAnswer(std::size_t row, PendingSend send, const SendAnswer& answer);
    // The offer data of a row that is to create its offer, or nothing when a cell is bad.
    std::optional<PendingCreate> RowToCreate(std::span<const std::string> cells,
                                             const AuctionForm& form, const std::string& sheetFile,
                                             std::vector<RowProblem>& problems) const;
    void KeepForOffersSheet(std::size_t row, std::span<const std::string> cells);
    void PrepareCreate(std::size_t row, PendingCreate& create, const std::string& name,
                       RowOutput& output, std::vector<RowProblem>& problems);
    void TellTrialRow(std::size_t row, const std::string& offerId, const std::string& file) const;
    // The column a creator's error names: the column of an input the sheet sets, or else the
    // input's label (the template's); a key of the offer data is its column already.
    std::string ColumnOfKey(const std::string& key) const;
    void CreateRow(std::size_t row, const PendingCreate& create);
    void TellCreated(const std::string& line);
    void CreateFailed(std::size_t row, const CreateAnswer& answer);
    void WriteOffersSheet();
    void RetryPutOff();
    void TellNotSent();
    void SendFailed(std::size_t row, const std::string& offerId, const std::string& message);
    void TellUnchanged(std::size_t row, const std::string& offer);
    bool Cancelled() const { return observer_.cancel != nullptr && observer_.cancel->load(); }
    void AddClassicPage(const AuctionForm& form, const std::string& sellerId,
                        const std::string& name, RowOutput& output) const;
    void AddAllegroFile(const AuctionForm& form, const std::string& name, RowOutput& output,
                        std::vector<RowProblem>& problems) const;
    void Fail(std::size_t row, std::vector<RowProblem> problems);
    // Takes the rows written so far; Drain waits for the last one (or a cancel).
    void Collect(std::vector<RowWritten> finished);
    void Drain();
    void Tell(std::size_t sequence, const RowOutcome& outcome);
    std::string Where(std::size_t row, std::string_view column) const;
    std::string PathFor(const std::string& name, std::string_view extension) const;

    const std::string& path_;
    const AuctionForm& template_;
    const std::string& sellerId_;
    const BatchOptions& options_;
    const BatchObserver& observer_;
    InputReader input_;

    BatchSummary summary_;
    BatchProgress progress_;
    bool totalTold_ = false;
    bool stop_ = false;
    std::optional<TemplateWarnings> templateWarnings_;
    std::vector<Column> columns_;
    std::optional<std::size_t> fileColumn_;
    std::optional<std::size_t> offerColumn_;
    std::unordered_map<std::size_t, PendingSend> pendingSends_;  // by sequence
    std::vector<PutOff> putOff_;
    std::unordered_map<std::size_t, PendingSend> sentForms_;  // handed to the sender, by row
    std::unordered_map<std::size_t, HeldRow> heldRows_;       // a dry run's rows being read, by row
    std::optional<PendingCreate> rowCreate_;                  // the row being emitted
    std::unordered_map<std::size_t, PendingCreate> pendingCreates_;  // by sequence
    bool creatingStopped_ = false;
    OffersSheet offersSheet_;
    bool sendingStopped_ = false;
    bool cancelSeen_ = false;
    bool rowsBegun_ = false;  // a row was applied (not only the header read)
    // The rest of the input is read only to name the rows that would have been sent.
    bool listing_ = false;
    std::unordered_map<std::string, std::string> columnOfControl_;
    // The name of every row sent to be written (in lower case), with its row: only names grow
    // with the rows.
    std::unordered_map<std::string, std::size_t> names_;
    ResultOrder order_;
    ErrorCollapse errorCollapse_;
    OutputWriter writer_;
};

BatchSummary BatchRun::Run() {
    if (auto problem = input_.Open()) {
        return Fatal(*problem);
    }
    const InputKind kind = input_.Kind();
    if (kind == InputKind::Unreadable || (kind == InputKind::Archive && !input_.CountSheetRows())) {
        summary_.unreadableInput = true;
        return Fatal(UnreadableInputMessage(path_));
    }
    if (auto problem = PrepareFolder()) {
        return Fatal(*problem);
    }
    if (options_.creator != nullptr && input_.IsJsonLines()) {
        return Fatal(path_ +
                     ": nowe oferty powstają z kolumn arkusza (CSV, .xlsx, .ods) z danymi "
                     "oferty; plik JSON lines ich nie ma");
    }
    if (input_.IsJsonLines() && kind == InputKind::Text) {
        TellTemplateWarnings();  // a sheet tells them after its header
    }
    auto problem = input_.Read();
    if (options_.sender != nullptr && options_.dryRun) {
        TakePrepared(options_.sender->TakeAll());
    }
    summary_.unreadableInput = input_.Unreadable();
    if (!problem) {
        problem = summary_.fatal;  // a header the batch cannot use
    }
    Drain();
    // The files were written without a flush each, which would cost more than the rest of
    // the batch; they all reach the disk here, before the summary counts them as written.
    const std::string folder = options_.outFolder.empty() ? "." : options_.outFolder;
    if (auto error = FlushFolder(folder); error && !problem) {
        problem = folder + ": " + PolishMessage(*error);
    }
    Finish();
    WriteOffersSheet();
    if (problem) {
        summary_.fatal = std::move(problem);
    }
    return summary_;
}

void BatchRun::Finish() {
    order_.TellRest();
    // Rows a cancel dropped before their files were written, and so before their sending.
    for (const auto& [sequence, send] : pendingSends_) {
        summary_.notReached.push_back(send.row);
    }
    pendingSends_.clear();
    if (options_.sender != nullptr) {
        TellAnswers(options_.sender->TakeAll());
    }
    RetryPutOff();
    TellNotSent();
    for (const auto& line : errorCollapse_.Hidden()) {
        if (observer_.rowError) {
            observer_.rowError(VisibleText(path_ + ": " + line));
        }
    }
}

// Only the structured export warns; what the template alone gives is told once, here, before
// the rows, but for the inputs that a column sets.
void BatchRun::TellTemplateWarnings() {
    if (options_.format == OutputFormat::Classic) {
        return;
    }
    templateWarnings_.emplace(template_);
    templateWarnings_->LeaveOut(
        [this](const std::string& control) { return columnOfControl_.contains(control); });
    for (const auto& line : templateWarnings_->Lines()) {
        ++summary_.warnings;
        if (observer_.warning) {
            observer_.warning("szablon: " + line);
        }
    }
}

std::optional<std::string> BatchRun::PrepareFolder() const {
    std::error_code error;
    const std::filesystem::path folder(options_.outFolder.empty() ? "." : options_.outFolder);
    std::filesystem::create_directories(folder, error);
    std::error_code ignored;
    if (std::filesystem::is_directory(folder, ignored)) {
        return std::nullopt;
    }
    const std::string name = folder.string() + ": nie można utworzyć folderu: ";
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted) {
        return name + "brak uprawnień";
    }
    if (error == std::errc::read_only_file_system) {
        return name + "dysk jest tylko do odczytu";
    }
    if (error == std::errc::no_space_on_device) {
        return name + "brak miejsca na dysku";
    }
    return folder.string() + ": to nie jest folder i nie można go utworzyć";
}

void BatchRun::OnRecord(std::size_t number, std::span<const std::string> cells) {
    if (number == 1) {
        if (!TakeHeader(cells)) {
            stop_ = true;
        }
        return;
    }
    const bool blank = std::all_of(cells.begin(), cells.end(),
                                   [](const std::string& cell) { return cell.empty(); });
    if (blank) {
        return;  // a spreadsheet's empty row
    }
    if (CheckCancel()) {
        return;
    }
    if (listing_) {
        ListUnsent(number, offerColumn_ && *offerColumn_ < cells.size() &&
                               !Trim(cells[*offerColumn_]).empty());
        return;
    }
    OnCsvRow(number, cells);
}

bool BatchRun::TakeHeader(std::span<const std::string> cells) {
    std::vector<std::string> names;
    names.reserve(cells.size());
    for (const auto& cell : cells) {
        if (cell.find('\0') != std::string::npos) {
            summary_.fatal =
                Where(1, "kolumna " + std::to_string(names.size() + 1)) + std::string(kZeroByte);
            return false;
        }
        CellValue utf8 = CellToUtf8(cell, input_.Utf8());
        if (utf8.ok()) {
            names.push_back(std::move(utf8.text));
        } else {
            names.push_back(cell);
        }
    }
    auto mapped = MapHeader(names);
    if (auto* problem = std::get_if<HeaderProblem>(&mapped)) {
        summary_.fatal = Where(1, Trim(names[problem->column])) + problem->message;
        return false;
    }
    columns_ = std::get<std::vector<Column>>(std::move(mapped));
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const Column& column = columns_[i];
        if (column.role == ColumnRole::FileName) {
            fileColumn_ = i;
        } else if (column.role == ColumnRole::OfferId) {
            offerColumn_ = i;
        } else if (column.role == ColumnRole::Input) {
            columnOfControl_.emplace(column.field->name, column.header);
        } else if (column.role == ColumnRole::Layout) {
            for (int layout = 1; layout <= 8; ++layout) {
                columnOfControl_.emplace("RadioButton" + std::to_string(layout), column.header);
            }
        }
    }
    if (options_.sender != nullptr && !offerColumn_) {
        summary_.fatal = Where(1, "") +
                         "brak kolumny „oferta” (albo „numer oferty”) z numerami ofert, do "
                         "których wysłać opisy";
        return false;
    }
    if (options_.creator != nullptr && (!options_.dryRun || options_.offersSheet != nullptr)) {
        offersSheet_.Header(std::move(names), offerColumn_);
    }
    TellTemplateWarnings();
    return true;
}

void BatchRun::TellTotalOnce() {
    if (totalTold_) {
        return;
    }
    totalTold_ = true;
    progress_.rowsTotal = input_.RowsTotal();
    if (observer_.progress) {
        observer_.progress(progress_);
    }
}

void BatchRun::OnCsvRow(std::size_t row, std::span<const std::string> cells) {
    rowsBegun_ = true;
    TellTotalOnce();
    rowCreate_.reset();
    KeepForOffersSheet(row, cells);
    AuctionForm form = template_;
    RowApplier applier(form, input_.Utf8());
    std::vector<RowProblem> problems;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i].empty()) {
            continue;
        }
        if (cells[i].find('\0') != std::string::npos) {
            problems.push_back({ColumnName(columns_, i), std::string(kZeroByte)});
        } else if (i >= columns_.size()) {
            problems.push_back({ColumnName(columns_, i), "komórka poza kolumnami nagłówka"});
        } else if (auto message = applier.Apply(columns_[i], cells[i])) {
            problems.push_back({ColumnName(columns_, i), std::move(*message)});
        }
    }
    std::string name = std::to_string(row);
    std::string nameColumn;
    if (fileColumn_) {
        nameColumn = columns_[*fileColumn_].header;
        const std::string_view cell =
            *fileColumn_ < cells.size() ? std::string_view(cells[*fileColumn_]) : "";
        const CellValue utf8 = CellToUtf8(cell, input_.Utf8());
        const CellValue checked = utf8.ok() ? OutputName(utf8.text) : utf8;
        if (checked.ok()) {
            name = checked.text;
        } else {
            problems.push_back({nameColumn, checked.problem});
        }
    }
    const auto offerId = OfferIdOf(cells, problems);
    if (options_.creator != nullptr) {
        rowCreate_ = RowToCreate(cells, form, fileColumn_ ? name : std::string(), problems);
    }
    if (!problems.empty()) {
        Fail(row, std::move(problems));
        return;
    }
    Emit(row, form, sellerId_, name, nameColumn, offerId.value_or(""));
}

// The row's offer number, when the batch sends and the row names one.
std::optional<std::string> BatchRun::OfferIdOf(std::span<const std::string> cells,
                                               std::vector<RowProblem>& problems) const {
    if (options_.sender == nullptr || !offerColumn_ || *offerColumn_ >= cells.size() ||
        Trim(cells[*offerColumn_]).empty()) {
        return std::nullopt;
    }
    const CellValue utf8 = CellToUtf8(cells[*offerColumn_], input_.Utf8());
    const CellValue number = utf8.ok() ? OfferNumber(utf8.text) : utf8;
    if (!number.ok()) {
        problems.push_back({columns_[*offerColumn_].header, number.problem});
        return std::nullopt;
    }
    return number.text;
}

void BatchRun::OnJsonLine(std::size_t row, std::string_view line) {
    if (CheckCancel()) {
        return;
    }
    TellTotalOnce();
    AuctionForm form = template_;
    std::optional<std::string> rowSellerId;
    // A line may name its files and its offer as a sheet's columns do.
    static constexpr std::string_view kRowKeys[] = {"plik", "oferta", "numer oferty"};
    ExtraKeys rowKeys{kRowKeys, {}};
    const auto error = ApplyFormJson(line, form, rowSellerId, rowKeys);
    if (listing_) {
        ListUnsent(row,
                   std::any_of(rowKeys.values.begin(), rowKeys.values.end(), [](const auto& entry) {
                       return entry.first != "plik" && !Trim(entry.second).empty();
                   }));
        return;
    }
    rowsBegun_ = true;
    if (error) {
        Fail(row, {{"", error->polish}});
        return;
    }
    std::vector<RowProblem> problems;
    std::string name = std::to_string(row);
    if (const auto file = rowKeys.values.find("plik"); file != rowKeys.values.end()) {
        const CellValue checked = OutputName(file->second);
        if (checked.ok()) {
            name = checked.text;
        } else {
            problems.push_back({"plik", checked.problem});
        }
    }
    std::string offerId;
    for (const std::string_view key : {"oferta", "numer oferty"}) {
        const auto offer = rowKeys.values.find(key);
        if (options_.sender == nullptr || offer == rowKeys.values.end() ||
            Trim(offer->second).empty()) {
            continue;
        }
        const CellValue number = OfferNumber(offer->second);
        if (number.ok()) {
            offerId = number.text;
        } else {
            problems.push_back({std::string(key), number.problem});
        }
    }
    if (!problems.empty()) {
        Fail(row, std::move(problems));
        return;
    }
    Emit(row, form, rowSellerId.value_or(sellerId_), name,
         rowKeys.values.contains("plik") ? "plik" : "", offerId);
}

bool BatchRun::CheckCancel() {
    if (Cancelled() && !cancelSeen_) {
        cancelSeen_ = summary_.cancelled = true;
        // Rows no thread has begun wrote nothing; the ones being written are finished whole.
        writer_.DropWaiting();
        StopRows();
    }
    return stop_;
}

void BatchRun::StopRows() {
    // While sending, every row not sent is named: the rest of the input is still read, only
    // for that. Until a row has begun nothing was sent, and the batch simply ends.
    if (options_.sender != nullptr && !options_.dryRun && rowsBegun_) {
        listing_ = true;
    } else {
        stop_ = true;
    }
}

void BatchRun::ListUnsent(std::size_t row, bool namesOffer) {
    if (namesOffer) {
        summary_.notReached.push_back(row);
    }
}

void BatchRun::Emit(std::size_t row, const AuctionForm& form, const std::string& sellerId,
                    const std::string& name, const std::string& nameColumn,
                    const std::string& offerId) {
    RowOutput output{0, row, nameColumn, {}, {}};
    std::vector<RowProblem> problems;
    // Compared regardless of letter case: on the FAT and exFAT sticks sellers carry files
    // between computers on, "Dup" and "dup" are one file.
    std::string sameNameKey = FoldCase(name);
    const auto same = names_.find(sameNameKey);
    if (same != names_.end()) {
        problems.push_back({nameColumn, "plik „" + name + "” zapisuje już wiersz " +
                                            std::to_string(same->second)});
    }
    if (options_.format != OutputFormat::Allegro) {
        AddClassicPage(form, sellerId, name, output);
    }
    if (options_.format != OutputFormat::Classic) {
        AddAllegroFile(form, name, output, problems);
    }
    // A duplicate's files are those of the earlier row: whether a writer thread has put them
    // in place yet is a matter of timing, so it is not told.
    if (same == names_.end()) {
        for (const auto& file : output.files) {
            if (auto blocked = OutputBlocked(file.path, options_.overwrite)) {
                problems.push_back(
                    {nameColumn, std::move(blocked->message), std::string(blocked->kind)});
            }
        }
    }
    if (problems.empty() && rowCreate_ && options_.dryRun) {
        PrepareCreate(row, *rowCreate_, name, output, problems);
    }
    if (!problems.empty()) {
        Fail(row, std::move(problems));
        return;
    }
    names_.emplace(sameNameKey, row);
    output.sequence = order_.Begin();
    if (!offerId.empty() && options_.dryRun) {
        PrepareUpdate(row, form,
                      {output.sequence, std::move(output), name, std::move(sameNameKey), offerId});
        return;
    }
    if (rowCreate_) {
        pendingCreates_.emplace(output.sequence, std::move(*rowCreate_));
        rowCreate_.reset();
    }
    if (!offerId.empty()) {
        pendingSends_.emplace(
            output.sequence,
            PendingSend{row, offerId, form, {}, DiskPicturesOfRow(form, template_)});
    }
    writer_.Submit(std::move(output));
    Collect(writer_.TakeFinished(false));
}

void BatchRun::AddClassicPage(const AuctionForm& form, const std::string& sellerId,
                              const std::string& name, RowOutput& output) const {
    std::string html = BuildDocument(form, sellerId);
    if (options_.utf8) {
        html = Cp1250ToUtf8(html);
    }
    output.files.push_back({PathFor(name, ".html"), std::move(html)});
}

void BatchRun::AddAllegroFile(const AuctionForm& form, const std::string& name, RowOutput& output,
                              std::vector<RowProblem>& problems) const {
    structured::AllegroOffer offer;
    try {
        offer = structured::ExportAllegro(form);
    } catch (const std::logic_error& fault) {
        // A fault of the exporter on one form must not end the whole batch.
        problems.push_back({"", std::string("eksport do Allegro zawiódł: ") + fault.what()});
        return;
    }
    for (const auto& finding : offer.findings) {
        const auto column = columnOfControl_.find(finding.control);
        if (finding.severity == structured::Severity::Error) {
            // The cell as the sheet names its column, or the input the template gave.
            if (column != columnOfControl_.end()) {
                problems.push_back({column->second, finding.message});
            } else {
                problems.push_back({"", structured::FindingText(finding)});
            }
        } else if (finding.severity == structured::Severity::Warning &&
                   (!templateWarnings_ || !templateWarnings_->IsTemplates(form, finding))) {
            output.warnings.push_back(structured::FindingText(finding));
        }
    }
    if (!offer.HasErrors()) {
        // Ended by a line break, as export allegro prints it.
        output.files.push_back(
            {PathFor(name, ".allegro.json"), structured::OfferToJson(offer) + "\n"});
    }
}

// A dry run reads each row's offer as the row is built, several rows at once when the sender
// runs them so; the row's files wait for the answer, so that its update body is written with
// them, whole or not at all.
void BatchRun::PrepareUpdate(std::size_t row, const AuctionForm& form, HeldRow held) {
    if (sendingStopped_ || Cancelled()) {
        SendAnswer stopped{
            SendAnswer::Status::Failed, "przerwano przed odczytem oferty", {}, true, {}};
        WriteHeld(std::move(held), stopped);
        return;
    }
    const std::string offerId = held.offerId;
    heldRows_.emplace(row, std::move(held));
    options_.sender->Hand(row, offerId, form, DiskPicturesOfRow(form, template_), observer_.cancel);
    TakePrepared(options_.sender->Take());
}

void BatchRun::TakePrepared(const std::vector<SentRow>& answers) {
    for (const SentRow& sent : answers) {
        if (sent.waiting) {
            continue;  // only reads: its answer comes soon, with its files
        }
        auto held = heldRows_.extract(sent.row);
        if (!held.empty()) {
            WriteHeld(std::move(held.mapped()), sent.answer);
        }
    }
}

void BatchRun::WriteHeld(HeldRow held, const SendAnswer& answer) {
    const std::size_t row = held.output.row;
    std::vector<RowProblem> problems;
    const std::string column;  // the message names the offer
    PendingSend send{row, held.offerId, {}, {}, {}, answer.unchanged};
    if (answer.status != SendAnswer::Status::Sent) {
        problems.push_back(
            {column, "oferta " + held.offerId + ": " + answer.message, answer.message});
        if (answer.status == SendAnswer::Status::Stop) {
            sendingStopped_ = summary_.sendingStopped = true;
            StopRows();
        }
    } else if (!answer.unchanged) {
        std::string path = PathFor(held.name, ".allegro-update.json");
        if (auto blocked = OutputBlocked(path, options_.overwrite)) {
            problems.push_back({column, std::move(blocked->message), std::string(blocked->kind)});
        } else {
            send.preparedFile = path;
            held.output.files.push_back({std::move(path), answer.body + "\n"});
        }
    }
    if (!problems.empty()) {
        if (const auto same = names_.find(held.nameKey);
            same != names_.end() && same->second == row) {
            names_.erase(same);  // a row that wrote nothing leaves its name to later rows
        }
        stop_ = stop_ || options_.stopOnError;
        order_.Settle(held.sequence, {row, std::move(problems), {}});
        return;
    }
    pendingSends_.emplace(held.sequence, std::move(send));
    writer_.Submit(std::move(held.output));
    Collect(writer_.TakeFinished(false));
}

// Sends a row whose files are written; a stop or a cancel leaves it among the rows not sent.
void BatchRun::SendRow(std::size_t row, PendingSend send) {
    const std::string offer = "oferta " + send.offerId + ": ";
    if (send.unchanged) {
        TellUnchanged(row, offer);
        if (options_.dryRun) {
            TellTrialRow(row, send.offerId, {});
        }
        return;
    }
    if (!send.preparedFile.empty()) {
        ++summary_.sent;
        if (observer_.sent) {
            observer_.sent(VisibleText(Where(row, "") + offer + "próba, zmiana zapisana w " +
                                       send.preparedFile));
        }
        TellTrialRow(row, send.offerId, send.preparedFile);
        return;
    }
    if (sendingStopped_ || Cancelled()) {
        // A cancel may come after the last row was read, while the last rows are sent.
        summary_.cancelled = summary_.cancelled || Cancelled();
        summary_.notSent.push_back(row);
        return;
    }
    options_.sender->Hand(row, send.offerId, send.form, send.diskPictures, observer_.cancel);
    sentForms_.emplace(row, std::move(send));
    TellAnswers(options_.sender->Take());
}

// The sender's answers, in row order: a row waiting on Allegro gets a line now, its answer later.
void BatchRun::TellAnswers(const std::vector<SentRow>& answers) {
    for (const SentRow& sent : answers) {
        if (sent.waiting) {
            if (observer_.sent) {
                observer_.sent(VisibleText(Where(sent.row, "") + "oferta " + sent.offerId +
                                           ": czeka na Allegro"));
            }
            continue;
        }
        auto form = sentForms_.extract(sent.row);
        TellAnswer(sent.row,
                   form.empty() ? PendingSend{sent.row, sent.offerId, {}, {}, {}, false}
                                : std::move(form.mapped()),
                   sent.answer);
    }
}

void BatchRun::TellAnswer(std::size_t row, PendingSend send, const SendAnswer& answer) {
    const std::string offer = "oferta " + send.offerId + ": ";
    const std::string files = FilesSentNote(answer.filesSent);
    for (const auto& warning : answer.warnings) {
        ++summary_.warnings;
        if (observer_.warning) {
            observer_.warning(VisibleText(Where(row, "").append(offer).append(warning)));
        }
    }
    switch (answer.status) {
        case SendAnswer::Status::Sent:
            if (answer.unchanged) {
                TellUnchanged(row, offer);
                return;
            }
            ++summary_.sent;
            if (observer_.sent) {
                observer_.sent(VisibleText(Where(row, "") + offer + "opis zaktualizowany" +
                                           (files.empty() ? "" : ", " + files)));
            }
            return;
        case SendAnswer::Status::Conflict:
            if (observer_.sent) {
                observer_.sent(VisibleText(Where(row, "") + offer + answer.message +
                                           " Ten wiersz zostanie wysłany ponownie później."));
            }
            putOff_.push_back({row, std::move(send), answer.message});
            return;
        case SendAnswer::Status::Stop:
            sendingStopped_ = summary_.sendingStopped = true;
            StopRows();
            break;
        case SendAnswer::Status::Failed:
            if (answer.cancelled) {
                summary_.cancelled = true;
                summary_.notSent.push_back(row);
                return;
            }
            break;
    }
    SendFailed(row, send.offerId,
               files.empty() ? answer.message : answer.message + " (" + files + ")");
}

void BatchRun::TellUnchanged(std::size_t row, const std::string& offer) {
    ++summary_.unchanged;
    if (observer_.sent) {
        observer_.sent(VisibleText(Where(row, "") + offer + "bez zmian"));
    }
}

void BatchRun::SendFailed(std::size_t row, const std::string& offerId, const std::string& message) {
    ++summary_.sendFailed;
    stop_ = stop_ || options_.stopOnError;
    // Every row tells how its sending went, so these are never collapsed.
    if (observer_.rowError) {
        observer_.rowError(VisibleText(Where(row, "") + "oferta " + offerId + ": " + message));
    }
}

// The rows whose offers were busy, after all the others: a few rounds, then they fail.
void BatchRun::RetryPutOff() {
    for (int round = 0; round < kConflictRounds && !putOff_.empty(); ++round) {
        auto rows = std::move(putOff_);
        putOff_.clear();
        for (auto& entry : rows) {
            SendRow(entry.row, std::move(entry.send));
        }
    }
    for (const auto& entry : putOff_) {
        SendFailed(entry.row, entry.send.offerId, entry.message);
    }
    putOff_.clear();
}

// "3, 4, 6–9": sorted rows, with runs of three or more as ranges, so that a long batch's
// line stays readable.
std::string RowList(const std::vector<std::size_t>& rows) {
    std::string list;
    for (std::size_t i = 0; i < rows.size();) {
        std::size_t last = i;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1) {
            ++last;
        }
        list += (list.empty() ? "" : ", ") + std::to_string(rows[i]);
        if (last >= i + 2) {
            list += "–" + std::to_string(rows[last]);
            i = last + 1;
        } else {
            ++i;
        }
    }
    return list;
}

// After a cancel or a stop, in one line: every row that named an offer and was not sent,
// and which of them have their files.
void BatchRun::TellNotSent() {
    std::vector<std::size_t>& written = summary_.notSent;
    std::vector<std::size_t>& unwritten = summary_.notReached;
    std::sort(written.begin(), written.end());
    std::sort(unwritten.begin(), unwritten.end());
    std::vector<std::size_t> rows;
    std::merge(written.begin(), written.end(), unwritten.begin(), unwritten.end(),
               std::back_inserter(rows));
    if (rows.empty() || !observer_.rowError) {
        return;
    }
    std::string line = path_ + ": " +
                       CountedNoun(rows.size(), "opis nie został wysłany",
                                   "opisy nie zostały wysłane", "opisów nie zostało wysłanych");
    if (unwritten.empty()) {
        line += " (pliki są zapisane), wiersze: " + RowList(rows);
    } else if (written.empty()) {
        line += " (plików też nie zapisano), wiersze: " + RowList(rows);
    } else {
        line += ", wiersze: " + RowList(rows) + " (pliki zapisano tylko dla wierszy " +
                RowList(written) + ")";
    }
    observer_.rowError(VisibleText(line));
}

void BatchRun::Fail(std::size_t row, std::vector<RowProblem> problems) {
    stop_ = stop_ || options_.stopOnError;
    order_.Settle(order_.Begin(), {row, std::move(problems), {}});
}

void BatchRun::Drain() {
    while (true) {
        auto finished = writer_.TakeFinished(true);
        if (finished.empty()) {
            return;
        }
        Collect(std::move(finished));
        CheckCancel();
    }
}

void BatchRun::Collect(std::vector<RowWritten> finished) {
    for (auto& written : finished) {
        order_.Settle(std::move(written));
    }
}

void BatchRun::Tell(std::size_t sequence, const RowOutcome& outcome) {
    auto pending = pendingSends_.extract(sequence);
    auto create = pendingCreates_.extract(sequence);
    if (outcome.problems.empty()) {
        ++summary_.written;
        summary_.warnings += outcome.warnings.size();
        for (const auto& warning : outcome.warnings) {
            if (observer_.warning) {
                observer_.warning(VisibleText(Where(outcome.row, "") + warning));
            }
        }
        if (!pending.empty()) {
            SendRow(outcome.row, std::move(pending.mapped()));
        }
        if (!create.empty()) {
            CreateRow(outcome.row, create.mapped());
        }
    } else {
        ++summary_.failed;
        stop_ = stop_ || options_.stopOnError;
        for (const auto& problem : outcome.problems) {
            if (observer_.rowError && errorCollapse_.Show(problem)) {
                observer_.rowError(
                    VisibleText(Where(outcome.row, problem.column) + problem.message));
            }
        }
    }
    ++progress_.rowsDone;
    progress_.rowsTotal = input_.RowsTotal();
    progress_.sent = summary_.sent;
    if (observer_.progress) {
        observer_.progress(progress_);
    }
}

// ---- Creating new offers ----

std::optional<PendingCreate> BatchRun::RowToCreate(std::span<const std::string> cells,
                                                   const AuctionForm& form,
                                                   const std::string& sheetFile,
                                                   std::vector<RowProblem>& problems) const {
    PendingCreate create{{}, form, sheetFile, {}, {}};
    if (offerColumn_ && *offerColumn_ < cells.size() && !Trim(cells[*offerColumn_]).empty()) {
        const CellValue utf8 = CellToUtf8(cells[*offerColumn_], input_.Utf8());
        const CellValue number = utf8.ok() ? OfferNumber(utf8.text) : utf8;
        if (!number.ok()) {
            problems.push_back({columns_[*offerColumn_].header, number.problem});
            return std::nullopt;
        }
        create.existingOffer = number.text;
        return create;
    }
    std::vector<offer::OfferCell> offerCells;
    for (std::size_t i = 0; i < cells.size() && i < columns_.size(); ++i) {
        if (columns_[i].role != ColumnRole::OfferData || cells[i].empty()) {
            continue;
        }
        CellValue utf8 = CellToUtf8(cells[i], input_.Utf8());
        if (!utf8.ok()) {
            problems.push_back({columns_[i].header, utf8.problem});
            continue;
        }
        offerCells.push_back({columns_[i].header, std::move(utf8.text)});
    }
    offer::OfferReading reading = offer::ReadOfferCells(offerCells);
    for (offer::OfferError& error : reading.errors) {
        problems.push_back({std::move(error.key), std::move(error.message)});
    }
    if (!reading.ok()) {
        return std::nullopt;
    }
    create.data = std::move(reading.data);
    return create;
}

void BatchRun::KeepForOffersSheet(std::size_t row, std::span<const std::string> cells) {
    if (!offersSheet_.HasHeader()) {
        return;
    }
    std::vector<std::string> copy;
    copy.reserve(cells.size());
    for (const std::string& cell : cells) {
        // A cell that is no text of its encoding is kept as it is: nothing of the sheet is lost.
        CellValue utf8 = CellToUtf8(cell, input_.Utf8());
        if (utf8.ok()) {
            copy.push_back(std::move(utf8.text));
        } else {
            copy.push_back(cell);
        }
    }
    offersSheet_.Row(row, std::move(copy));
}

// A dry run asks for the create body as the row is built, so that it is written with the
// row's files, whole or not at all.
void BatchRun::PrepareCreate(std::size_t row, PendingCreate& create, const std::string& name,
                             RowOutput& output, std::vector<RowProblem>& problems) {
    if (!create.existingOffer.empty()) {
        return;
    }
    if (creatingStopped_ || Cancelled()) {
        problems.push_back({"", "przerwano przed przygotowaniem oferty"});
        return;
    }
    const CreateAnswer answer =
        options_.creator->Create(row, create.data, create.form, create.sheetFile, observer_.cancel);
    if (answer.status == CreateAnswer::Status::Existing) {
        create.foundOffer = answer.offerId;
        create.foundLine = answer.message;
        return;
    }
    if (answer.status == CreateAnswer::Status::Failed ||
        answer.status == CreateAnswer::Status::Stop) {
        for (const offer::OfferError& error : answer.errors) {
            problems.push_back({ColumnOfKey(error.key), error.message});
        }
        if (answer.errors.empty() || !answer.message.empty()) {
            problems.push_back({"", answer.message});
        }
        if (answer.status == CreateAnswer::Status::Stop) {
            creatingStopped_ = summary_.creatingStopped = true;
            StopRows();
        }
        return;
    }
    std::string path = PathFor(name, ".allegro-create.json");
    if (auto blocked = OutputBlocked(path, options_.overwrite)) {
        problems.push_back({"", std::move(blocked->message), std::string(blocked->kind)});
        return;
    }
    create.preparedFile = path;
    output.files.push_back({std::move(path), answer.body + "\n"});
}

void BatchRun::CreateRow(std::size_t row, const PendingCreate& create) {
    const std::string where = Where(row, "");
    if (!create.existingOffer.empty()) {
        ++summary_.existing;
        TellCreated(where + "oferta " + create.existingOffer +
                    " jest już w kolumnie „oferta”; nie utworzono nowej");
        if (options_.dryRun) {
            TellTrialRow(row, create.existingOffer, {});
        }
        return;
    }
    if (!create.foundOffer.empty()) {
        ++summary_.existing;
        offersSheet_.SetOffer(row, create.foundOffer);
        TellCreated(where + create.foundLine);
        TellTrialRow(row, create.foundOffer, {});
        return;
    }
    if (!create.preparedFile.empty()) {
        ++summary_.created;
        TellCreated(where + "próba, oferta zapisana w " + create.preparedFile);
        TellTrialRow(row, {}, create.preparedFile);
        return;
    }
    if (creatingStopped_ || Cancelled()) {
        summary_.cancelled = summary_.cancelled || Cancelled();
        CreateFailed(row, {CreateAnswer::Status::Failed,
                           {},
                           "oferta nie została utworzona "
                           "(przerwano)"});
        return;
    }
    const CreateAnswer answer =
        options_.creator->Create(row, create.data, create.form, create.sheetFile, observer_.cancel);
    switch (answer.status) {
        case CreateAnswer::Status::Created:
            ++summary_.created;
            offersSheet_.SetOffer(row, answer.offerId);
            TellCreated(where + "szkic " + answer.offerId + " utworzony (" +
                        CountedNoun(answer.gaps, "uwaga", "uwagi", "uwag") + ")");
            return;
        case CreateAnswer::Status::Activated:
            ++summary_.activated;
            offersSheet_.SetOffer(row, answer.offerId);
            TellCreated(
                where + "oferta " + answer.offerId +
                (answer.activating ? ": Allegro ją sprawdza (do 2 godzin)" : " wystawiona"));
            return;
        case CreateAnswer::Status::Existing:
            ++summary_.existing;
            offersSheet_.SetOffer(row, answer.offerId);
            TellCreated(where + answer.message);
            return;
        case CreateAnswer::Status::Stop:
            creatingStopped_ = summary_.creatingStopped = true;
            StopRows();
            break;
        case CreateAnswer::Status::Failed:
            summary_.cancelled = summary_.cancelled || answer.cancelled;
            break;
    }
    CreateFailed(row, answer);
}

void BatchRun::TellTrialRow(std::size_t row, const std::string& offerId,
                            const std::string& file) const {
    if (observer_.trialRow) {
        observer_.trialRow({row, offerId, file});
    }
}

std::string BatchRun::ColumnOfKey(const std::string& key) const {
    if (const auto column = columnOfControl_.find(key); column != columnOfControl_.end()) {
        return column->second;
    }
    return std::string(InputLabel(key));
}

void BatchRun::TellCreated(const std::string& line) {
    if (observer_.sent) {
        observer_.sent(VisibleText(line));
    }
}

void BatchRun::CreateFailed(std::size_t row, const CreateAnswer& answer) {
    ++summary_.createFailed;
    stop_ = stop_ || options_.stopOnError;
    if (!observer_.rowError) {
        return;
    }
    for (const offer::OfferError& error : answer.errors) {
        observer_.rowError(VisibleText(Where(row, ColumnOfKey(error.key)) + error.message));
    }
    if (answer.errors.empty() || !answer.message.empty()) {
        observer_.rowError(VisibleText(Where(row, "") + answer.message));
    }
}

// Beside the input, never over it; written whole or not at all. Even a run that created
// nothing writes it, with the numbers of the offers found by their signatures.
void BatchRun::WriteOffersSheet() {
    if (!offersSheet_.HasHeader()) {
        return;
    }
    if (options_.dryRun) {
        if (options_.offersSheet != nullptr) {
            *options_.offersSheet = std::move(offersSheet_);  // for the confirmation to write
        }
        return;
    }
    if (auto failed = SaveOffersSheet(path_, offersSheet_)) {
        summary_.fatal = std::move(*failed);
        return;
    }
    summary_.offersSheet = OffersSheetPath(path_);
}

std::string BatchRun::Where(std::size_t row, std::string_view column) const {
    return PlaceOfRow(path_, row, column);
}

std::string BatchRun::PathFor(const std::string& name, std::string_view extension) const {
    std::string path = options_.outFolder.empty() ? "." : options_.outFolder;
    if (!path.ends_with('/')) {
        path += '/';
    }
    return path + name + std::string(extension);
}

}  // namespace

std::string BatchSummary::Line() const {
    std::string line =
        CountedNoun(written, "oferta zapisana", "oferty zapisane", "ofert zapisanych") + ", " +
        std::to_string(failed) + " z błędami, " +
        CountedNoun(warnings, "ostrzeżenie", "ostrzeżenia", "ostrzeżeń");
    const std::string same = unchanged > 0 ? ", " + std::to_string(unchanged) + " bez zmian" : "";
    if (sending && dryRun) {
        line += ", " +
                CountedNoun(sent, "zmiana opisu przygotowana", "zmiany opisu przygotowane",
                            "zmian opisu przygotowanych") +
                " (próba)" + same + ", " + std::to_string(sendFailed) + " z błędami";
    } else if (sending) {
        line += ", " + CountedNoun(sent, "opis wysłany", "opisy wysłane", "opisów wysłanych") +
                same + ", " + std::to_string(sendFailed) + " z błędami";
    }
    if (creating) {
        line += ", ";
        if (dryRun) {
            line += CountedNoun(created, "oferta przygotowana", "oferty przygotowane",
                                "ofert przygotowanych") +
                    " (próba)";
        } else {
            line +=
                CountedNoun(created, "szkic utworzony", "szkice utworzone", "szkiców utworzonych") +
                ", " +
                CountedNoun(activated, "oferta wystawiona", "oferty wystawione",
                            "ofert wystawionych");
        }
        line += ", " + std::to_string(existing) + " już w Allegro, " +
                std::to_string(createFailed) + " z błędami";
    }
    return cancelled ? line + " (przerwano)" : line;
}

BatchSummary RunBatch(const std::string& offersPath, const AuctionForm& templateForm,
                      const std::string& sellerId, const BatchOptions& options,
                      const BatchObserver& observer) {
    BatchSummary summary = BatchRun(offersPath, templateForm, sellerId, options, observer).Run();
    summary.sending = options.sender != nullptr;
    summary.dryRun = options.dryRun;
    summary.creating = options.creator != nullptr;
    if (summary.fatal) {
        summary.fatal = VisibleText(*summary.fatal);  // it may quote the input
    }
    return summary;
}

}  // namespace licytek::batch
