#include "app/BatchTrial.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <algorithm>
#include <iterator>
#include <utility>

#include "app/CodePage.h"
#include "model/PolishNumbers.h"

namespace licytek {
namespace {

// The rows whose body the batch wrote: only they are sent or created on confirmation.
template <typename Entry>
std::vector<Entry> PreparedOnly(const std::vector<Entry>& entries) {
    std::vector<Entry> prepared;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(prepared),
                 [](const Entry& entry) { return entry.prepared; });
    return prepared;
}

QString PlanInWords(const publish::PublishPlan& plan) {
    QStringList lines;
    if (plan.newTitle != plan.oldTitle) {
        lines << QStringLiteral("Tytuł: „%1” → „%2”")
                     .arg(FromUtf8(plan.oldTitle), FromUtf8(plan.newTitle));
    }
    lines
        << QStringLiteral("Sekcje opisu: %1 → %2").arg(plan.sectionsBefore).arg(plan.sectionsAfter);
    lines << QStringLiteral("Zdjęcia w ofercie: %1 → %2")
                 .arg(plan.picturesBefore)
                 .arg(plan.picturesAfter);
    lines
        << QStringLiteral("Rozmiar zmiany: %1 bajtów").arg(FromUtf8(GroupedNumber(plan.bodyBytes)));
    return lines.join(QLatin1Char('\n'));
}

// "wiersz 5: …" for "/path/oferty.csv:5: …": every row comes from the same sheet, and a long
// path would hide what the row is.
// "wiersz 5, cena: …" for "/path/oferty.csv:5:cena: …".
QString WithoutSheet(const QString& line, const QString& sheet) {
    const QString prefix = sheet + QLatin1Char(':');
    if (sheet.isEmpty() || !line.startsWith(prefix)) {
        return line;
    }
    QString rest = line.mid(prefix.size());
    const qsizetype colon = rest.indexOf(QLatin1Char(':'));
    if (colon > 0 && colon + 1 < rest.size() && rest.at(colon + 1) != QLatin1Char(' ')) {
        rest.replace(colon, 1, QStringLiteral(", "));  // a column follows the row
    }
    return QStringLiteral("wiersz ") + rest;
}

QString RowName(std::size_t row) {
    return QStringLiteral("wiersz %1: ").arg(row);
}

QString Name(const TrialEntry& entry) {
    return RowName(entry.row) + QStringLiteral("oferta ") + FromUtf8(entry.offerId) +
           QStringLiteral(" „") + FromCp1250(entry.form.auctionHeader) + QStringLiteral("”");
}

QString Title(const CreateEntry& entry) {
    return QStringLiteral("„") + FromCp1250(entry.form.auctionHeader) + QStringLiteral("”");
}

// What the confirmation will create from the row, in words.
QString NewOffer(const CreateEntry& entry) {
    QStringList lines{QStringLiteral("Powstanie szkic nowej oferty ") + Title(entry) +
                      QLatin1Char('.')};
    const std::string& price =
        entry.data.price.empty() ? entry.data.startingPrice : entry.data.price;
    if (!price.empty()) {
        lines << QStringLiteral("Cena: %1 zł")
                     .arg(FromUtf8(price).replace(QLatin1Char('.'), QLatin1Char(',')));
    }
    if (!entry.data.condition.empty()) {
        lines << QStringLiteral("Stan: ") + FromUtf8(entry.data.condition);
    }
    return lines.join(QLatin1Char('\n'));
}

}  // namespace

TrialRecorder::TrialRecorder(batch::AllegroSender& dryRun) : dryRun_(dryRun) {
    dryRun_.KeepPlans();
}

void TrialRecorder::Hand(std::size_t row, const std::string& offerId, const AuctionForm& form,
                         const std::vector<std::string>& diskPictures,
                         const std::atomic<bool>* cancel) {
    TrialEntry entry;
    entry.row = row;
    entry.offerId = offerId;
    entry.form = form;
    entry.diskPictures = diskPictures;
    handed_.insert_or_assign(row, std::move(entry));
    dryRun_.Hand(row, offerId, form, diskPictures, cancel);
}

std::vector<batch::SentRow> TrialRecorder::Take() {
    return Record(dryRun_.Take());
}

std::vector<batch::SentRow> TrialRecorder::TakeAll() {
    return Record(dryRun_.TakeAll());
}

batch::SendAnswer TrialRecorder::Send(const std::string& offerId, const AuctionForm& form,
                                      const std::vector<std::string>& diskPictures,
                                      const std::atomic<bool>* cancel) {
    return dryRun_.Send(offerId, form, diskPictures, cancel);  // unrecorded: no row
}

std::vector<batch::SentRow> TrialRecorder::Record(std::vector<batch::SentRow> answers) {
    for (const batch::SentRow& sent : answers) {
        auto handed = handed_.extract(sent.row);
        if (sent.waiting || handed.empty()) {
            if (!handed.empty()) {
                handed_.insert(std::move(handed));
            }
            continue;
        }
        TrialEntry& entry = handed.mapped();
        entry.message = sent.answer.message;
        entry.plan = dryRun_.TakePlan(sent.row);
        if (sent.answer.status == batch::SendAnswer::Status::Sent) {
            entry.verdict = sent.answer.unchanged ? TrialEntry::Verdict::Unchanged
                                                  : TrialEntry::Verdict::Change;
        }
        entries_.insert_or_assign(sent.row, std::move(entry));
    }
    return answers;
}

void TrialRecorder::Told(const batch::TrialRow& row) {
    const auto entry = entries_.find(row.row);
    if (entry != entries_.end()) {
        entry->second.prepared =
            entry->second.verdict == TrialEntry::Verdict::Change && !row.file.empty();
    }
}

std::vector<TrialEntry> TrialRecorder::TakeEntries() {
    std::vector<TrialEntry> entries;
    entries.reserve(entries_.size());
    for (auto& [row, entry] : entries_) {
        entries.push_back(std::move(entry));
    }
    entries_.clear();
    return entries;
}

std::vector<TrialEntry> ChangesToSend(const std::vector<TrialEntry>& entries) {
    return PreparedOnly(entries);
}

QString SendChangesLabel(std::size_t changes) {
    return QStringLiteral("Wyślij ") + FromUtf8(CountedNoun(changes, "zmianę", "zmiany", "zmian"));
}

batch::CreateAnswer CreateRecorder::Create(std::size_t row, const offer::OfferData& data,
                                           const AuctionForm& form, const std::string& sheetFile,
                                           const std::atomic<bool>* cancel) {
    batch::CreateAnswer answer = dryRun_.Create(row, data, form, sheetFile, cancel);
    if (answer.status == batch::CreateAnswer::Status::Created ||
        answer.status == batch::CreateAnswer::Status::Existing) {
        entries_.insert_or_assign(row, CreateEntry{row, data, form, sheetFile, {}, false});
    }
    return answer;
}

void CreateRecorder::Told(const batch::TrialRow& row) {
    CreateEntry& entry = entries_[row.row];  // a row naming its offer was never looked up
    entry.row = row.row;
    entry.existingOffer = row.offerId;
    entry.prepared = row.offerId.empty() && !row.file.empty();
}

std::vector<CreateEntry> CreateRecorder::TakeEntries() {
    std::vector<CreateEntry> entries;
    for (auto& [row, entry] : entries_) {
        if (entry.prepared || !entry.existingOffer.empty()) {
            entries.push_back(std::move(entry));
        }
    }
    entries_.clear();
    return entries;
}

std::vector<CreateEntry> OffersToCreate(const std::vector<CreateEntry>& entries) {
    return PreparedOnly(entries);
}

BatchTrialView::BatchTrialView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("trialView"));
    counts_ = new QLabel(this);
    counts_->setObjectName(QStringLiteral("trialCounts"));
    counts_->setTextFormat(Qt::PlainText);
    counts_->setWordWrap(true);
    rows_ = new QListWidget(this);
    rows_->setObjectName(QStringLiteral("trialRows"));
    rows_->setAccessibleName(QStringLiteral("Wiersze próby"));
    // A long line ends in "…": the pane beside it shows it whole.
    rows_->setTextElideMode(Qt::ElideRight);
    rows_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    detail_ = new QPlainTextEdit(this);
    detail_->setObjectName(QStringLiteral("trialDetail"));
    detail_->setAccessibleName(QStringLiteral("Zmiana wybranego wiersza"));
    detail_->setReadOnly(true);
    detail_->setTabChangesFocus(true);
    connect(rows_, &QListWidget::currentRowChanged, this, &BatchTrialView::ShowDetail);
    auto* lists = new QHBoxLayout;
    lists->addWidget(rows_, 3);
    lists->addWidget(detail_, 2);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(counts_);
    layout->addLayout(lists, 1);
}

void BatchTrialView::Clear() {
    rows_->clear();
    details_.clear();
}

void BatchTrialView::Add(const QString& line, QString detail) {
    rows_->addItem(line);
    details_.push_back(std::move(detail));
}

void BatchTrialView::AddErrors(const std::vector<std::string>& errors, const QString& sheet,
                               const QString& consequence) {
    for (const std::string& error : errors) {
        Add(QStringLiteral("Błąd — ") + WithoutSheet(FromUtf8(error), sheet),
            FromUtf8(error) + QStringLiteral("\n\n") + consequence);
    }
}

void BatchTrialView::Finish(const QString& counts) {
    counts_->setText(counts);
    if (rows_->count() > 0) {
        rows_->setCurrentRow(0);
    } else {
        detail_->clear();
    }
}

void BatchTrialView::Show(const std::vector<TrialEntry>& entries,
                          const std::vector<std::string>& errors, std::size_t failedRows,
                          const QString& sheet) {
    Clear();
    std::size_t changes = 0;
    std::size_t unchanged = 0;
    for (const TrialEntry& entry : entries) {
        if (entry.prepared) {
            ++changes;
            Add(QStringLiteral("Zmiana — ") + Name(entry),
                entry.plan ? PlanInWords(*entry.plan) : QStringLiteral("Opis oferty się zmieni."));
        }
    }
    for (const TrialEntry& entry : entries) {
        if (entry.verdict == TrialEntry::Verdict::Unchanged) {
            ++unchanged;
            Add(QStringLiteral("Bez zmian — ") + Name(entry),
                QStringLiteral("Oferta pokazuje już ten opis i te zdjęcia: nic nie zostanie "
                               "wysłane."));
        }
    }
    AddErrors(errors, sheet, QStringLiteral("Ten wiersz nie zostanie wysłany."));
    Finish(QStringLiteral("Próba zakończona, nic jeszcze nie wysłano: %1, %2 bez zmian, %3 z "
                          "błędami.")
               .arg(FromUtf8(CountedNoun(changes, "oferta się zmieni", "oferty się zmienią",
                                         "ofert się zmieni")))
               .arg(unchanged)
               .arg(failedRows));
}

void BatchTrialView::Show(const std::vector<CreateEntry>& entries,
                          const std::vector<std::string>& errors, std::size_t failedRows,
                          const QString& sheet) {
    Clear();
    std::size_t created = 0;
    std::size_t existing = 0;
    for (const CreateEntry& entry : entries) {
        if (entry.prepared) {
            ++created;
            Add(QStringLiteral("Nowa — ") + RowName(entry.row) + Title(entry), NewOffer(entry));
        }
    }
    for (const CreateEntry& entry : entries) {
        if (!entry.existingOffer.empty()) {
            ++existing;
            Add(QStringLiteral("Już jest — ") + RowName(entry.row) + QStringLiteral("oferta ") +
                    FromUtf8(entry.existingOffer),
                QStringLiteral("Oferta %1 już jest w Allegro: nowa nie zostanie utworzona.")
                    .arg(FromUtf8(entry.existingOffer)));
        }
    }
    AddErrors(errors, sheet, QStringLiteral("Z tego wiersza oferta nie zostanie utworzona."));
    Finish(QStringLiteral("Próba zakończona, nic jeszcze nie utworzono: %1, %2 już w Allegro, %3 "
                          "z błędami.")
               .arg(FromUtf8(
                   CountedNoun(created, "oferta powstanie", "oferty powstaną", "ofert powstanie")))
               .arg(existing)
               .arg(failedRows));
}

void BatchTrialView::ShowDetail(int row) {
    detail_->setPlainText(row >= 0 && static_cast<std::size_t>(row) < details_.size()
                              ? details_[static_cast<std::size_t>(row)]
                              : QString());
}

}  // namespace licytek
