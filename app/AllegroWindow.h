// The window "Opis dla Allegro": the structured description that today's Allegro takes, made from
// the form as it stands, with its title, size and findings, and on a second tab what today's
// Allegro and eBay would refuse in the classic page. It follows the form while open.
#pragma once

#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "structured/AllegroExport.h"
#include "structured/PageCheck.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;
class QHBoxLayout;
class QTabWidget;
class QTextBrowser;

namespace licytek {

class Desktop;
class FormBinding;
class NewOfferDialog;
class SendToAllegroDialog;

class AllegroWindow final : public QWidget {
    Q_OBJECT

  public:
    // How long the window waits after the last edit before it exports again.
    static constexpr int kRefreshDelayMs = 300;

    // `sellerId` tells the seller's ID (Windows-1250) for the classic page at each refresh;
    // `hasUnsavedChanges` whether the form changed since its project was saved or loaded.
    AllegroWindow(const FormBinding& form, std::function<std::string()> sellerId,
                  std::function<bool()> hasUnsavedChanges, Desktop& desktop, QWidget* parent);
    ~AllegroWindow() override;

    // Exports the form as it stands now and shows the result.
    void Refresh();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QWidget* BuildDescriptionTab();
    QWidget* BuildPageTab();
    QLayout* BuildButtons();
    void WatchInputs(const FormBinding& form);
    void ScheduleRefresh();

    void ShowOffer(const structured::AllegroOffer& offer);
    void ShowFindings(std::vector<structured::Finding> findings);
    void ShowPageFindings(const std::vector<structured::PageFinding>& findings);
    void ShowUnreadableForm(const QString& message);
    // One small "Kopiuj sekcję N" button a section.
    void ShowSectionButtons(std::size_t count);
    // The preview's context menu, with "Kopiuj sekcję N" for the section under `position`.
    void ShowPreviewMenu(const QPoint& position);
    std::optional<std::size_t> SectionAt(const QPoint& position) const;

    // "Kopiuj opis", "Kopiuj sekcję N" and "Zapisz JSON…"; all refuse a description Allegro
    // would refuse.
    void CopyDescription();
    void CopySection(std::size_t index);
    void SaveJson();
    // "Wyślij do Allegro…": one dialog, made on first use.
    void OpenSendDialog();
    // "Nowa oferta na Allegro…": one dialog, made on first use, with the project's offer data.
    void OpenNewOfferDialog();
    // The offer of the form as it stands, or nothing when it cannot be used (the seller has then
    // been told why).
    const structured::AllegroOffer* UsableOffer();

    const FormBinding& form_;
    std::function<std::string()> sellerId_;
    std::function<bool()> hasUnsavedChanges_;
    Desktop& desktop_;
    QTimer refreshTimer_;
    bool stale_ = true;  // an edit came while the window was hidden
    std::optional<structured::AllegroOffer> offer_;
    QString unreadable_;  // why the form could not be read, when it could not

    QTabWidget* tabs_ = nullptr;
    QLabel* title_ = nullptr;
    QLabel* titleCount_ = nullptr;
    QLabel* size_ = nullptr;
    QTextBrowser* preview_ = nullptr;
    QHBoxLayout* sectionButtons_ = nullptr;
    std::size_t sectionButtonCount_ = 0;
    QListWidget* findings_ = nullptr;
    QCheckBox* withTerms_ = nullptr;
    QLabel* pageSummary_ = nullptr;
    QListWidget* pageFindings_ = nullptr;
    QLabel* status_ = nullptr;
    SendToAllegroDialog* sendDialog_ = nullptr;
    NewOfferDialog* newOfferDialog_ = nullptr;
};

}  // namespace licytek
