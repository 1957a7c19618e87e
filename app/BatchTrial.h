// The trial run of a bulk send: before anything reaches Allegro, the batch reads every row's
// offer and prepares its update. The recorder keeps what each row would change, and the view
// lets the seller look through it before "Wyślij N zmian" sends only the rows that change.
#pragma once

#include <QString>
#include <QWidget>

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "batch/OfferSender.h"
#include "model/AuctionForm.h"
#include "publish/AllegroSession.h"

class QLabel;
class QListWidget;
class QPlainTextEdit;

namespace licytek {

// One row of the trial run that reached its offer.
struct TrialEntry {
    enum class Verdict { Change, Unchanged, Failed };
    Verdict verdict = Verdict::Failed;
    std::string offerId;
    std::string where;  // "FILE:ROW: " once the batch told the row (UTF-8)
    AuctionForm form;   // what the confirmation sends
    std::vector<std::string> diskPictures;
    std::optional<publish::PublishPlan> plan;
    std::string message;  // why it failed (UTF-8)
    // The batch wrote the row's update: only such a change is sent.
    bool prepared = false;
};

// Stands between the batch and the dry-run sender and keeps every answer. Used on the batch's
// thread only; read once the batch has ended.
class TrialRecorder final : public batch::OfferSender {
  public:
    explicit TrialRecorder(batch::OfferSender& dryRun) : dryRun_(dryRun) {}

    batch::SendAnswer Send(const std::string& offerId, const AuctionForm& form,
                           const std::vector<std::string>& diskPictures,
                           const std::atomic<bool>* cancel) override;
    // Given to the dry-run sender's observer: the plan of the row being read.
    void Planned(const publish::PublishPlan& plan) { plan_ = plan; }
    // A line the batch told of a row whose update it wrote ("…: oferta ID: próba, …").
    void Prepared(const std::string& line);

    std::vector<TrialEntry> TakeEntries() { return std::move(entries_); }

  private:
    batch::OfferSender& dryRun_;
    std::optional<publish::PublishPlan> plan_;
    std::vector<TrialEntry> entries_;
};

// The changes the seller confirms: the rows whose update the batch wrote.
std::vector<TrialEntry> ChangesToSend(const std::vector<TrialEntry>& entries);

// "Wyślij 1 zmianę", "Wyślij 3 zmiany", "Wyślij 5 zmian".
QString SendChangesLabel(std::size_t changes);

// The trial run's counts and its rows; selecting a row shows its change in words.
class BatchTrialView final : public QWidget {
    Q_OBJECT

  public:
    explicit BatchTrialView(QWidget* parent);
    // `errors` are the batch's row errors: rows that failed before reaching their offer. Lines
    // that start with `sheet` (the spreadsheet's path) name their rows without it.
    void Show(const std::vector<TrialEntry>& entries, const std::vector<std::string>& errors,
              const QString& sheet);

  private:
    void ShowDetail(int row);

    QLabel* counts_ = nullptr;
    QListWidget* rows_ = nullptr;
    QPlainTextEdit* detail_ = nullptr;
    std::vector<QString> details_;  // one per row of the list
};

}  // namespace licytek
