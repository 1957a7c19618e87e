#include "app/BatchTrial.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <utility>

#include "app/CodePage.h"
#include "model/PolishNumbers.h"

namespace licytek {
namespace {

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
QString WithoutSheet(const QString& line, const QString& sheet) {
    const QString prefix = sheet + QLatin1Char(':');
    return !sheet.isEmpty() && line.startsWith(prefix)
               ? QStringLiteral("wiersz ") + line.mid(prefix.size())
               : line;
}

QString Name(const TrialEntry& entry, const QString& sheet) {
    return WithoutSheet(FromUtf8(entry.where), sheet) + QStringLiteral("oferta ") +
           FromUtf8(entry.offerId) + QStringLiteral(" „") + FromCp1250(entry.form.auctionHeader) +
           QStringLiteral("”");
}

}  // namespace

batch::SendAnswer TrialRecorder::Send(const std::string& offerId, const AuctionForm& form,
                                      const std::vector<std::string>& diskPictures,
                                      const std::atomic<bool>* cancel) {
    plan_.reset();
    batch::SendAnswer answer = dryRun_.Send(offerId, form, diskPictures, cancel);
    TrialEntry entry;
    entry.offerId = offerId;
    entry.form = form;
    entry.diskPictures = diskPictures;
    entry.plan = std::move(plan_);
    entry.message = answer.message;
    if (answer.status == batch::SendAnswer::Status::Sent) {
        entry.verdict =
            answer.unchanged ? TrialEntry::Verdict::Unchanged : TrialEntry::Verdict::Change;
    }
    entries_.push_back(std::move(entry));
    return answer;
}

void TrialRecorder::Prepared(const std::string& line) {
    // The batch tells the rows in the order it read them, and so their offers.
    const std::size_t offer = line.find("oferta ");
    for (TrialEntry& entry : entries_) {
        if (entry.verdict != TrialEntry::Verdict::Failed && entry.where.empty() &&
            offer != std::string::npos &&
            line.compare(offer, 7 + entry.offerId.size() + 1, "oferta " + entry.offerId + ":") ==
                0) {
            entry.where = line.substr(0, offer);
            entry.prepared = entry.verdict == TrialEntry::Verdict::Change &&
                             line.find(": próba", offer) != std::string::npos;
            return;
        }
    }
}

std::vector<TrialEntry> ChangesToSend(const std::vector<TrialEntry>& entries) {
    std::vector<TrialEntry> changes;
    for (const TrialEntry& entry : entries) {
        if (entry.prepared) {
            changes.push_back(entry);
        }
    }
    return changes;
}

QString SendChangesLabel(std::size_t changes) {
    return QStringLiteral("Wyślij ") + FromUtf8(CountedNoun(changes, "zmianę", "zmiany", "zmian"));
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

void BatchTrialView::Show(const std::vector<TrialEntry>& entries,
                          const std::vector<std::string>& errors, const QString& sheet) {
    rows_->clear();
    details_.clear();
    std::size_t changes = 0;
    std::size_t unchanged = 0;
    auto add = [this](const QString& line, QString detail) {
        rows_->addItem(line);
        details_.push_back(std::move(detail));
    };
    for (const TrialEntry& entry : entries) {
        if (entry.prepared) {
            ++changes;
            add(QStringLiteral("Zmiana — ") + Name(entry, sheet),
                entry.plan ? PlanInWords(*entry.plan) : QStringLiteral("Opis oferty się zmieni."));
        }
    }
    for (const TrialEntry& entry : entries) {
        if (entry.verdict == TrialEntry::Verdict::Unchanged) {
            ++unchanged;
            add(QStringLiteral("Bez zmian — ") + Name(entry, sheet),
                QStringLiteral("Oferta pokazuje już ten opis i te zdjęcia: nic nie zostanie "
                               "wysłane."));
        }
    }
    for (const std::string& error : errors) {
        add(QStringLiteral("Błąd — ") + WithoutSheet(FromUtf8(error), sheet),
            FromUtf8(error) + QStringLiteral("\n\nTen wiersz nie zostanie wysłany."));
    }
    counts_->setText(
        QStringLiteral("Próba zakończona, nic jeszcze nie wysłano: %1, %2 bez zmian, %3 z błędami.")
            .arg(FromUtf8(CountedNoun(changes, "oferta się zmieni", "oferty się zmienią",
                                      "ofert się zmieni")))
            .arg(unchanged)
            .arg(errors.size()));
    if (rows_->count() > 0) {
        rows_->setCurrentRow(0);
    } else {
        detail_->clear();
    }
}

void BatchTrialView::ShowDetail(int row) {
    detail_->setPlainText(row >= 0 && static_cast<std::size_t>(row) < details_.size()
                              ? details_[static_cast<std::size_t>(row)]
                              : QString());
}

}  // namespace licytek
