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

class OfferSummaryStep final : public NewOfferStep {
    Q_OBJECT

  public:
    explicit OfferSummaryStep(QWidget* parent);

    void Load(const offer::OfferData&) override {}
    void Store(offer::OfferData&) const override {}
    QWidget* FirstField() const override;

    // While the offer is being checked or created, and when it cannot be sent.
    void ShowWorking(const QString& what);
    void ShowPrepared(const publish::PreparedOffer& offer);
    void ShowProblem(const QString& sentence, const std::vector<offer::OfferError>& errors,
                     const std::vector<publish::CategorySuggestion>& suggestions,
                     const std::vector<structured::Finding>& findings);
    void ShowCreated(const publish::CreateResult& result);
    // `retry` is false when the offer may exist although no answer said so.
    void ShowFailure(const QString& text, const std::vector<std::string>& errors, bool retry);

    QPushButton* draftButton() const { return draft_; }

  signals:
    void createWanted(bool activate);
    void openWanted(const QUrl& page);

  private:
    void AddSection(const QString& title);
    void AddLine(const QString& line);
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
