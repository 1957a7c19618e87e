#include "app/OfferSummaryStep.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "structured/Description.h"

namespace licytek {

namespace {

constexpr int kTargetRole = Qt::UserRole;

// The input by its label, unless the message names it already.
QString FindingLine(const structured::Finding& finding) {
    return QStringLiteral("• ") + FromUtf8(structured::FindingText(finding));
}

}  // namespace

OfferSummaryStep::OfferSummaryStep(QWidget* parent) : NewOfferStep(parent) {
    headline_ = WrappedLabel(QString(), this);
    headline_->setObjectName(QStringLiteral("summaryHeadline"));
    lines_ = new QListWidget(this);
    lines_->setObjectName(QStringLiteral("summaryLines"));
    lines_->setWordWrap(true);
    draft_ = new QPushButton(QStringLiteral("&Zapisz szkic"), this);
    draft_->setObjectName(QStringLiteral("saveDraftButton"));
    draft_->setToolTip(
        QStringLiteral("Tworzy szkic oferty, który dokończysz lub wystawisz w Allegro"));
    activate_ = new QPushButton(QStringLiteral("Wystaw &od razu"), this);
    activate_->setObjectName(QStringLiteral("activateButton"));
    open_ = new QPushButton(this);
    open_->setObjectName(QStringLiteral("openOfferButton"));
    open_->hide();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(open_);
    buttons->addStretch(1);
    buttons->addWidget(draft_);
    buttons->addWidget(activate_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(headline_);
    layout->addWidget(lines_, 1);
    layout->addLayout(buttons);
    connect(draft_, &QPushButton::clicked, this, [this] { emit createWanted(false); });
    connect(activate_, &QPushButton::clicked, this, [this] { emit createWanted(true); });
    connect(open_, &QPushButton::clicked, this, [this] { emit openWanted(page_); });
    const auto choose = [this](const QListWidgetItem* item) {
        const QVariant target = item->data(kTargetRole);
        if (target.isValid()) {
            emit errorChosen(target.toInt());
        }
    };
    connect(lines_, &QListWidget::itemClicked, this, choose);
    connect(lines_, &QListWidget::itemActivated, this, choose);
    SetReady(false);
}

QWidget* OfferSummaryStep::FirstField() const {
    return draft_->isEnabled() ? static_cast<QWidget*>(draft_) : lines_;
}

void OfferSummaryStep::SetReady(bool ready) {
    draft_->setEnabled(ready);
    activate_->setEnabled(ready);
    draft_->setDefault(ready);
}

void OfferSummaryStep::AddSection(const QString& title) {
    auto* item = new QListWidgetItem(title, lines_);
    QFont bold = lines_->font();
    bold.setBold(true);
    item->setFont(bold);
}

void OfferSummaryStep::AddLine(const QString& line) {
    new QListWidgetItem(line, lines_);
}

void OfferSummaryStep::AddErrors(const QString& title, const std::vector<SummaryError>& errors) {
    if (errors.empty()) {
        return;
    }
    AddSection(title);
    bool leads = false;
    for (const SummaryError& error : errors) {
        auto* item = new QListWidgetItem(QStringLiteral("• ") + error.line, lines_);
        if (error.target < 0) {
            continue;
        }
        item->setText(item->text() + QStringLiteral(" → krok „%1”").arg(error.step));
        item->setData(kTargetRole, error.target);
        leads = true;
        item->setForeground(lines_->palette().color(QPalette::Link));
        item->setToolTip(
            QStringLiteral("Kliknij, by przejść do pola w kroku „%1”").arg(error.step));
    }
    if (leads) {
        AddLine(
            QStringLiteral("Kliknij błąd ze strzałką, by przejść do jego pola; pole jest "
                           "zaznaczone, a opis błędu stoi pod nim."));
    }
}

void OfferSummaryStep::AddFindings(const std::vector<structured::Finding>& findings) {
    if (findings.empty()) {
        return;
    }
    AddSection(QStringLiteral("Uwagi do opisu"));
    for (const auto& finding : findings) {
        AddLine(FindingLine(finding));
    }
}

void OfferSummaryStep::ShowWorking(const QString& what) {
    SetReady(false);
    open_->hide();
    headline_->setText(what);
    lines_->clear();
}

void OfferSummaryStep::ShowPrepared(const publish::PreparedOffer& offer) {
    lines_->clear();
    headline_->setText(
        QStringLiteral("Tak wyślemy ofertę. Sprawdź i wybierz „Zapisz szkic” albo "
                       "„Wystaw od razu”."));
    AddSection(QStringLiteral("Co zostanie wysłane"));
    for (const std::string& line : offer.summary) {
        AddLine(FromUtf8(line));
    }
    if (!offer.notes.empty()) {
        AddSection(QStringLiteral("Do wiadomości"));
        for (const std::string& note : offer.notes) {
            AddLine(FromUtf8(note));
        }
    }
    AddFindings(offer.findings);
    AddSection(QStringLiteral("Zdjęcia (%1)").arg(offer.request.images.size()));
    for (const std::string& image : offer.request.images) {
        AddLine(FromUtf8(offer::ShownText(image, 200)));
    }
    SetReady(true);
    open_->hide();
}

void OfferSummaryStep::ShowProblem(const QString& sentence, const std::vector<SummaryError>& errors,
                                   const std::vector<publish::CategorySuggestion>& suggestions,
                                   const std::vector<structured::Finding>& findings) {
    lines_->clear();
    headline_->setText(sentence);
    AddErrors(QStringLiteral("Do poprawienia"), errors);
    if (!suggestions.empty()) {
        AddSection(QStringLiteral("Kategorie proponowane dla tytułu (wybierz w kroku „Produkt”)"));
        for (const auto& category : suggestions) {
            AddLine(FromUtf8(category.path) + QStringLiteral(" (") + FromUtf8(category.id) +
                    QStringLiteral(")"));
        }
    }
    AddFindings(findings);
    SetReady(false);
}

void OfferSummaryStep::ShowCreated(const publish::CreateResult& result,
                                   const std::vector<SummaryError>& gaps) {
    lines_->clear();
    headline_->setText(FromUtf8(result.message));
    AddErrors(QStringLiteral("Allegro wskazuje braki w szkicu"), gaps);
    page_ = QUrl(FromUtf8(result.offerPage));
    const bool draft = result.status == "INACTIVE" || result.status.empty();
    AddLine(draft ? QStringLiteral("Szkic czeka w Allegro: uzupełnij go i wystaw tam "
                                   "(„Dokończ w Allegro”).")
                  : QStringLiteral("Oferta jest w Allegro („Otwórz ofertę”)."));
    open_->setText(draft ? QStringLiteral("&Dokończ w Allegro") : QStringLiteral("&Otwórz ofertę"));
    open_->setVisible(page_.isValid() && !page_.isEmpty());
    SetReady(false);
}

void OfferSummaryStep::ShowFailure(const QString& text, const std::vector<SummaryError>& errors,
                                   bool retry) {
    lines_->clear();
    headline_->setText(text);
    AddErrors(QStringLiteral("Allegro nie przyjęło oferty"), errors);
    SetReady(retry);  // after a refusal the seller may correct the data and try again
    open_->hide();
}

}  // namespace licytek
