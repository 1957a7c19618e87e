// The dialog of "Wiele ofert…": the seller chooses the spreadsheet, the folder and what to write,
// the batch runs on a worker thread while the dialog shows how far it is and can stop it, and at
// the end the counts and every row error stay on screen, ready to copy. The offers on Allegro can
// be pulled into a new spreadsheet from here too, before any spreadsheet is chosen. Sending to
// the offers starts as a trial run that sends nothing; only "Wyślij N zmian" sends, and only the
// rows that change.
#pragma once

#include <QDialog>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/BatchTrial.h"
#include "model/AuctionForm.h"

class QCheckBox;
class QGroupBox;
class QLayout;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QThread;
class QVBoxLayout;

namespace licytek {

class Desktop;

class BatchDialog final : public QDialog {
    Q_OBJECT

  public:
    // Each row of the chosen spreadsheet starts from `templateForm` and `sellerId`
    // (Windows-1250) and gets its files in the chosen folder.
    BatchDialog(AuctionForm templateForm, std::string sellerId, Desktop& desktop, QWidget* parent);
    // Stops a running batch and waits for it: the files written so far stay whole.
    ~BatchDialog() override;

    bool IsRunning() const;

  signals:
    // The batch ended (done, stopped or failed) and its report is shown.
    void batchFinished();
    // A trial run ended: its rows and "Wyślij N zmian" are shown, nothing was sent.
    void trialShown();

  protected:
    // Escape and the window's close button stop a running batch instead of hiding it.
    void reject() override;

  private:
    struct Run;
    // What a run prepares for the seller to confirm.
    enum class Trial { None, Send, Create };

    QLayout* BuildPaths();
    QGroupBox* BuildOptions();
    void AddSendingOptions(QGroupBox& group, QVBoxLayout& layout);
    // Each asks through the desktop; false when the seller cancels.
    bool ChooseSheet();
    bool ChooseFolder();
    // Asks for the spreadsheet and the folder not chosen yet, then runs the batch.
    void Start();
    // Asks where, then writes every offer on Allegro into a sheet that this dialog reads back.
    void PullOffers();
    // Shows the progress in place of the options and runs `work` on the worker thread.
    void RunOnWorker(std::function<void()> work);
    void ShowProgress();
    void ShowReport();
    // After a trial run: its rows and the confirmation, in place of the report.
    void ShowTrial();
    // Sends the changes the trial run found, or creates the offers it prepared, on the worker
    // thread.
    void SendChanges();
    void CopyReport();

    QString offersPath_;
    QString outFolder_;
    const AuctionForm templateForm_;
    const std::string sellerId_;
    Desktop& desktop_;
    std::shared_ptr<Run> run_;
    std::unique_ptr<QThread> worker_;
    QTimer progressTimer_;
    bool sending_ = false;  // the run sends to Allegro: the progress counts what was sent
    // Which account the trial run read, so that the confirmation sends to the same one.
    std::optional<bool> sendToSandbox_;
    Trial trialKind_ = Trial::None;
    std::vector<TrialEntry> changes_;          // what "Wyślij N zmian" sends
    std::vector<CreateEntry> offersToCreate_;  // what "Utwórz nowe oferty" creates

    QLabel* offersPathLabel_ = nullptr;
    QLabel* outFolderLabel_ = nullptr;
    QPushButton* chooseSheet_ = nullptr;
    QPushButton* chooseFolder_ = nullptr;
    QGroupBox* options_ = nullptr;
    QRadioButton* classic_ = nullptr;
    QRadioButton* allegro_ = nullptr;
    QRadioButton* both_ = nullptr;
    QCheckBox* overwrite_ = nullptr;
    QCheckBox* publish_ = nullptr;  // send each row's description to its offer
    QCheckBox* create_ = nullptr;   // create the rows' new offers
    QCheckBox* sandbox_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* progressText_ = nullptr;
    QLabel* summary_ = nullptr;
    QPlainTextEdit* report_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* pull_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* copy_ = nullptr;
    QPushButton* confirm_ = nullptr;  // "Wyślij N zmian" or "Utwórz nowe oferty"
    BatchTrialView* trial_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace licytek
