// "Nowa oferta na Allegro…": a new offer made from the form and the seller's choices, in steps
// (product, sale, terms, product safety, summary), created as a draft or at once. Every request
// runs on a worker thread, one at a time. The choices are kept in the project's offer data
// file (zapis.ltk: zapis.oferta.json), the same file and keys as the command line's.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/AllegroWorker.h"
#include "app/OfferSummaryStep.h"
#include "model/AuctionForm.h"
#include "offer/OfferData.h"
#include "publish/OfferCatalogue.h"
#include "publish/OfferCreation.h"

class QLabel;
class QListWidget;
class QPushButton;
class QStackedWidget;

namespace licytek {

class Desktop;
class FormBinding;
class NewOfferStep;
class OfferProductStep;
class OfferSafetyStep;
class OfferSaleStep;
class OfferSummaryStep;
class OfferTermsStep;

class NewOfferDialog final : public QDialog {
    Q_OBJECT

  public:
    // `offerFile` is the offer data's file; relative picture paths start in `projectFolder`.
    // `clock` (the system's when null) paces Allegro's waits.
    NewOfferDialog(const FormBinding& form, QString offerFile, QString projectFolder,
                   Desktop& desktop, QWidget* parent, publish::Clock* clock = nullptr);
    ~NewOfferDialog() override;

    // Reads the offer data's file again and the seller's lists from Allegro.
    void Start();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    enum Step { ProductStep, SaleStep, TermsStep, SafetyStep, SummaryStep };
    using Reply = AllegroWorker::Reply;
    using Job = std::function<Reply(publish::OfferCatalogue&, const std::atomic<bool>*)>;
    // A job that also shows what it has so far, through `post`, before its final reply.
    using Post = std::function<void(Reply)>;
    using PostingJob =
        std::function<Reply(publish::OfferCatalogue&, const std::atomic<bool>*, const Post&)>;

    void ShowStep(int step);
    void UpdateButtons();
    void LoadOfferFile();
    void SaveOfferFile();
    offer::OfferData Collected() const;

    // Runs `job` on the worker with the catalogue of the signed-in session; while another job
    // runs, it waits (false), and a later wish takes its place.
    bool Run(const QString& what, Job job);
    bool Run(const QString& what, PostingJob job);
    void RunPending();
    void SetBusy(bool busy, const QString& what);
    void ReadSettings();
    void SearchProducts(const QString& ean);
    // The matches' pictures, on the worker; each shown as it comes.
    static void FetchPictures(publish::OfferCatalogue& catalogue,
                              const std::vector<publish::CatalogueProduct>& products,
                              const std::atomic<bool>* cancel,
                              const std::function<void(QString, QImage)>& show);
    void SuggestCategories();
    void ReadParameters(const QString& categoryId);
    void Prepare();
    void Create(bool activate);
    std::optional<AuctionForm> FormNow();
    std::optional<offer::OfferData> CheckedData();
    void ShowProblem(const publish::PrepareProblem& problem);
    void ShowCreated(const publish::CreateResult& result);
    // Marks each error's fields on their steps and gives the summary's lines, each leading to
    // its first field; errors that fit no field are listed only.
    std::vector<SummaryError> PlaceErrors(const std::vector<publish::PlacedError>& errors);
    std::vector<SummaryError> PlaceErrors(const std::vector<offer::OfferError>& errors);
    void ClearErrors();
    void GoToError(int target);

    const FormBinding& form_;
    QString offerFile_;
    QString projectFolder_;
    Desktop& desktop_;
    bool busy_ = false;
    PostingJob pending_;  // asked for while another ran: runs next
    QString pendingWhat_;
    bool offerFileFaulty_ = false;  // the file had bad values: not written over unasked
    std::unique_ptr<publish::OfferCatalogue> catalogue_;  // touched by the worker thread alone
    std::unique_ptr<AllegroWorker> worker_;

    QListWidget* stepList_ = nullptr;
    QStackedWidget* steps_ = nullptr;
    std::vector<NewOfferStep*> stepWidgets_;
    struct ErrorTarget {
        int step = 0;
        QPointer<QWidget> field;
    };
    std::vector<ErrorTarget> errorTargets_;
    OfferProductStep* product_ = nullptr;
    OfferSaleStep* sale_ = nullptr;
    OfferTermsStep* terms_ = nullptr;
    OfferSafetyStep* safety_ = nullptr;
    OfferSummaryStep* summary_ = nullptr;
    QLabel* status_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

}  // namespace licytek
