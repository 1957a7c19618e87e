// The trial run of a bulk send or of bulk new offers: before anything reaches Allegro, the
// batch reads every row's offer and prepares its update (or looks up what each new offer needs
// and prepares its body). The recorders keep each row as data, by its row, and the view lets
// the seller look through it before "Wyślij N zmian" sends only the rows that change, or
// "Utwórz nowe oferty" creates only the offers that are not there yet.
#pragma once

#include <QString>
#include <QWidget>

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "batch/AllegroSender.h"
#include "batch/Batch.h"
#include "batch/OfferCreator.h"
#include "model/AuctionForm.h"
#include "offer/OfferData.h"
#include "publish/AllegroSession.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;

namespace licytek {

// One row of a send's trial run that reached its offer.
struct TrialEntry {
    enum class Verdict { Change, Unchanged, Failed };
    Verdict verdict = Verdict::Failed;
    std::size_t row = 0;  // as the spreadsheet numbers it
    std::string offerId;
    AuctionForm form;  // what the confirmation sends
    std::vector<std::string> diskPictures;
    std::optional<publish::PublishPlan> plan;
    std::string message;  // why it failed (UTF-8)
    // The batch wrote the row's update: only such a change is sent.
    bool prepared = false;
};

// Stands between the batch and the dry-run sender and keeps every row's answer and plan. Used
// on the batch's thread only; read once the batch has ended.
class TrialRecorder final : public batch::OfferSender {
  public:
    // Keeps the plans of `dryRun`'s rows.
    explicit TrialRecorder(batch::AllegroSender& dryRun);

    void Hand(std::size_t row, const std::string& offerId, const AuctionForm& form,
              const std::vector<std::string>& diskPictures,
              const std::atomic<bool>* cancel) override;
    std::vector<batch::SentRow> Take() override;
    std::vector<batch::SentRow> TakeAll() override;
    batch::SendAnswer Send(const std::string& offerId, const AuctionForm& form,
                           const std::vector<std::string>& diskPictures,
                           const std::atomic<bool>* cancel) override;
    // The batch told what became of a row (BatchObserver::trialRow).
    void Told(const batch::TrialRow& row);

    // In row order.
    std::vector<TrialEntry> TakeEntries();

  private:
    std::vector<batch::SentRow> Record(std::vector<batch::SentRow> answers);

    batch::AllegroSender& dryRun_;
    std::map<std::size_t, TrialEntry> handed_;   // by row, until its answer comes
    std::map<std::size_t, TrialEntry> entries_;  // by row
};

// The changes the seller confirms: the rows whose update the batch wrote.
std::vector<TrialEntry> ChangesToSend(const std::vector<TrialEntry>& entries);

// "Wyślij 1 zmianę", "Wyślij 3 zmiany", "Wyślij 5 zmian".
QString SendChangesLabel(std::size_t changes);

// One row of the trial run of new offers that got as far as Allegro's look-ups.
struct CreateEntry {
    std::size_t row = 0;
    offer::OfferData data;
    AuctionForm form;
    std::string sheetFile;  // the row's "plik", part of the offer's signature
    // The offer there already (named in "oferta", or found by its signature): none is created.
    std::string existingOffer;
    // The batch wrote the row's create body: only such an offer is created.
    bool prepared = false;
};

// Stands between the batch and the dry-run creator, as TrialRecorder does for a send.
class CreateRecorder final : public batch::OfferCreator {
  public:
    explicit CreateRecorder(batch::OfferCreator& dryRun) : dryRun_(dryRun) {}

    batch::CreateAnswer Create(std::size_t row, const offer::OfferData& data,
                               const AuctionForm& form, const std::string& sheetFile,
                               const std::atomic<bool>* cancel) override;
    void Told(const batch::TrialRow& row);

    // In row order: the offers to create and those there already.
    std::vector<CreateEntry> TakeEntries();

  private:
    batch::OfferCreator& dryRun_;
    std::map<std::size_t, CreateEntry> entries_;  // by row
};

// The offers the seller confirms: those the trial prepared.
std::vector<CreateEntry> OffersToCreate(const std::vector<CreateEntry>& entries);

// The trial run's counts and its rows; selecting a row shows its change in words.
class BatchTrialView final : public QWidget {
    Q_OBJECT

  public:
    explicit BatchTrialView(QWidget* parent);
    // `errors` are the batch's row errors and `failedRows` the rows they concern: rows that
    // failed before reaching their offer. Lines that start with `sheet` (the spreadsheet's
    // path) name their rows without it.
    void Show(const std::vector<TrialEntry>& entries, const std::vector<std::string>& errors,
              std::size_t failedRows, const QString& sheet);
    void Show(const std::vector<CreateEntry>& entries, const std::vector<std::string>& errors,
              std::size_t failedRows, const QString& sheet);

  private:
    void Clear();
    void Add(const QString& line, QString detail);
    void AddErrors(const std::vector<std::string>& errors, const QString& sheet,
                   const QString& consequence);
    void Finish(const QString& counts);
    void ShowDetail(int row);

    QLabel* counts_ = nullptr;
    QListWidget* rows_ = nullptr;
    QPlainTextEdit* detail_ = nullptr;
    std::vector<QString> details_;  // one per row of the list
};

}  // namespace licytek
