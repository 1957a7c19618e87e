// "Podsumowanie": what will be sent, the export's findings, the pictures and every fault found
// before sending, each under its key; then "Zapisz szkic" (the default) or "Wystaw od razu", and
// the result: Allegro's validation errors, a link to the offer, "Dokończ w Allegro" for a draft.
#pragma once

#include <QUrl>

#include <string>
#include <vector>

#include "app/NewOfferStep.h"
#include "publish/OfferCreation.h"

class QListWidget;
class QPushButton;

namespace licytek {

// An error as the summary lists it; `target` (when not negative) leads to its field, on the
// step named `step`.
struct SummaryError {
    QString line;
    QString step;
    int target = -1;
};

class OfferSummaryStep final : public NewOfferStep {
    Q_OBJECT

  public:
    explicit OfferSummaryStep(QWidget* parent);

    // A new start: nothing prepared, no result of before.
    void Load(const offer::OfferData&) override { ShowWorking(QString()); }
    void Store(offer::OfferData&) const override {}
    QWidget* FirstField() const override;

    // While the offer is being checked or created, and when it cannot be sent.
    void ShowWorking(const QString& what);
    void ShowPrepared(const publish::PreparedOffer& offer);
    void ShowProblem(const QString& sentence, const std::vector<SummaryError>& errors,
                     const std::vector<publish::CategorySuggestion>& suggestions,
                     const std::vector<structured::Finding>& findings);
    // `gaps`: what Allegro finds missing in the draft.
    void ShowCreated(const publish::CreateResult& result, const std::vector<SummaryError>& gaps);
    // `retry` is false when the offer may exist although no answer said so.
    void ShowFailure(const QString& text, const std::vector<SummaryError>& errors, bool retry);

    QPushButton* draftButton() const { return draft_; }

  signals:
    void createWanted(bool activate);
    void openWanted(const QUrl& page);
    // The seller clicked an error that has a field.
    void errorChosen(int target);

  private:
    void AddSection(const QString& title);
    void AddLine(const QString& line);
    void AddErrors(const QString& title, const std::vector<SummaryError>& errors);
    void AddFindings(const std::vector<structured::Finding>& findings);
    void SetReady(bool ready);

    QLabel* headline_ = nullptr;
    QListWidget* lines_ = nullptr;
    QPushButton* draft_ = nullptr;
    QPushButton* activate_ = nullptr;
    QPushButton* open_ = nullptr;
    QUrl page_;
};

}  // namespace licytek
