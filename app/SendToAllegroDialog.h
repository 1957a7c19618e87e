// "Wyślij do Allegro…": the form's description sent to one of the seller's offers, in four
// steps: sign-in, the offer, what changes, sending. Every request runs on a worker thread,
// so the windows answer throughout; each step can be cancelled where it waits.
#pragma once

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "publish/AllegroSession.h"
#include "structured/Description.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTextBrowser;
class QTreeWidget;

namespace licytek {

class AllegroWorker;
class Desktop;
class FormBinding;

class SendToAllegroDialog final : public QDialog {
    Q_OBJECT

  public:
    // How many offers one page of the list brings.
    static constexpr std::size_t kOffersPerPage = 50;

    struct Hooks {
        std::function<bool()> withTerms;          // the terms go along as two more sections
        std::function<bool()> hasUnsavedChanges;  // the form changed since its last save/load
    };

    // `clock` (the system's when null) paces the waits of the sign-in and of Allegro.
    SendToAllegroDialog(const FormBinding& form, Hooks hooks, Desktop& desktop, QWidget* parent,
                        publish::Clock* clock = nullptr);
    ~SendToAllegroDialog() override;

    // Why sending is not possible in this build (no keys, a bad address), or nothing.
    static std::optional<QString> WhyUnavailable();

  protected:
    // A dialog opened again starts clean at its first step, unless its work still runs.
    void showEvent(QShowEvent* event) override;

  private:
    enum Page { SignInPage, OfferPage, ChangesPage, SendingPage };

    QWidget* BuildSignInPage();
    QWidget* BuildOfferPage();
    QWidget* BuildChangesPage();
    QWidget* BuildSendingPage();
    QLayout* BuildButtons();
    void ShowPage(Page page);
    void UpdateButtons();
    void SetBusy(bool busy);
    void StartClean();
    // The keyboard to the page's first input, unless it is on the page already.
    void FocusPage();

    // Sign-in.
    void CheckAccount();
    void SignIn();
    void SignOut();
    void ShowCode(const QString& code, const QString& address, long long secondsLeft);
    void ShowSignedIn(const QString& login);
    void ShowSignedOut(const QString& why);
    void TickTimeLeft();

    // The offer.
    void LoadOffers(bool fromStart);
    void AddOffers(int generation, const publish::OfferPage& page);
    void LoadMoreWhenScrolledDown();
    std::string ChosenOffer() const;
    void LoadIntoForm();
    void PutOfferIntoForm(const publish::OfferState& offer);

    // What changes, and sending.
    void ShowChanges();
    // Both descriptions, each changed paragraph and picture marked. `afterOnAllegro` is the
    // new description with the pictures already in the offer named by their addresses there.
    void ShowDescriptions(const std::string& currentJson, const structured::Description& after,
                          const structured::Description& afterOnAllegro);
    // "Tytuł: „…” → „…”", only while the title is to change.
    void ShowTitleChange();
    // The question asked before sending when the offer looks like another item's, or empty.
    QString WrongOfferQuestion(const QString& offerTitle, const QString& formTitle,
                               const std::optional<publish::PublishPlan>& plan) const;
    void Send();
    void AddProgressLine(const QString& line);
    void ShowResult(const publish::PublishResult& result);

    // The offer last sent from the project in the working folder, and its title after that.
    QString ProjectKey() const;
    // The title the form gives the offer, or nothing when the form cannot be read.
    std::optional<QString> FormTitle() const;
    void RememberOffer(const std::string& id, const QString& title);
    std::optional<std::pair<QString, QString>> RememberedOffer() const;

    const FormBinding& form_;
    Hooks hooks_;
    Desktop& desktop_;
    std::unique_ptr<AllegroWorker> worker_;
    bool busy_ = false;
    bool signedIn_ = false;
    bool shownBefore_ = false;

    QStackedWidget* pages_ = nullptr;
    QLabel* status_ = nullptr;  // what went wrong or what was done, under the pages
    QPushButton* back_ = nullptr;
    QPushButton* next_ = nullptr;
    QPushButton* send_ = nullptr;

    QCheckBox* sandbox_ = nullptr;
    QLabel* account_ = nullptr;
    QPushButton* signIn_ = nullptr;
    QPushButton* signOut_ = nullptr;
    QWidget* codeBox_ = nullptr;
    QLabel* code_ = nullptr;
    QLabel* timeLeft_ = nullptr;
    QString verificationAddress_;
    QTimer countdown_;
    QElapsedTimer codeShownAt_;
    long long codeSeconds_ = 0;

    QLineEdit* search_ = nullptr;
    QTreeWidget* offers_ = nullptr;
    QLabel* offersStatus_ = nullptr;
    QPushButton* loadIntoForm_ = nullptr;
    QTimer searchDelay_;
    int listGeneration_ = 0;
    std::size_t offersLoaded_ = 0;
    std::size_t offersTotal_ = 0;
    bool loadingOffers_ = false;

    QLabel* titleChange_ = nullptr;
    QCheckBox* changeTitle_ = nullptr;
    QString offerTitle_;  // the chosen offer's title now, and the form's
    QString formTitle_;
    QLabel* differences_ = nullptr;
    QString wrongOfferQuestion_;
    QTextBrowser* before_ = nullptr;
    QTextBrowser* after_ = nullptr;
    QLabel* counts_ = nullptr;
    QListWidget* problems_ = nullptr;
    bool changesReady_ = false;

    QListWidget* progress_ = nullptr;
    QLabel* result_ = nullptr;
    QPushButton* openOffer_ = nullptr;
    QPushButton* copyDetails_ = nullptr;
    QPushButton* cancelSending_ = nullptr;
    QString offerAddress_;
    QString details_;
};

}  // namespace licytek
