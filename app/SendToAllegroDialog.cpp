#include "app/SendToAllegroDialog.h"

#include <QCheckBox>
#include <QDir>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QSettings>
#include <QShowEvent>
#include <QSplitter>
#include <QStackedWidget>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <utility>
#include <variant>

#include "app/AllegroWorker.h"
#include "app/CodePage.h"
#include "app/Desktop.h"
#include "app/FormBinding.h"
#include "app/PanelPlacement.h"
#include "app/PictureThumbnails.h"
#include "model/PolishNumbers.h"
#include "model/ProjectFile.h"
#include "publish/Wording.h"
#include "structured/AllegroExport.h"
#include "structured/DescriptionComparison.h"
#include "structured/OfferToForm.h"
#include "structured/Preview.h"
#include "structured/Validation.h"

namespace licytek {
namespace {

using publish::Failure;
using Reply = AllegroWorker::Reply;

const QString kCaption = QStringLiteral("Wyślij do Allegro");
const QString kRememberedStatus = QStringLiteral("Ostatnio wysłana");
constexpr std::array<std::string_view, 3> kPulledInputs = {"auctionHeader", "descriptionHeader",
                                                           "itemDescription"};

// The window's words for a failure: signing in is the first step of this dialog, not a command
// to type, and Allegro's errors and what reached Allegro each stand on a line of their own.
constexpr publish::FrontEnd kDialogFront{"Zaloguj się ponownie w pierwszym kroku tego okna.", true};

QString FailureText(const Failure& failure) {
    return FromUtf8(publish::FailureText(failure, kDialogFront));
}

// A result's failure without its Trace-Id, which the dialog shows on a line of its own; the
// result's own line when it carries no failure.
QString ResultText(const publish::PublishResult& result) {
    if (!result.failure) {
        return FromUtf8(result.message);
    }
    Failure words = *result.failure;
    words.traceId.clear();
    return FailureText(words);
}

// "Aktywna", "Szkic", "Zakończona": the offer's state as the seller's pages name it.
QString StatusWord(const std::string& status) {
    if (status == "ACTIVE") {
        return QStringLiteral("Aktywna");
    }
    if (status == "INACTIVE") {
        return QStringLiteral("Szkic");
    }
    if (status == "ENDED") {
        return QStringLiteral("Zakończona");
    }
    if (status == "ACTIVATING") {
        return QStringLiteral("Wystawiana");
    }
    return FromUtf8(status);
}

QString Count(std::size_t number) {
    return QLocale(QLocale::Polish, QLocale::Poland).toString(static_cast<qulonglong>(number));
}

QLabel* WrappedLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    return label;
}

QPushButton* Button(const char* name, const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

// The words of three letters or more in a title, in small letters.
QSet<QString> LongWords(const QString& title) {
    static const QRegularExpression kWord(QStringLiteral("\\p{L}{3,}"));
    QSet<QString> words;
    for (const QRegularExpressionMatch& word : kWord.globalMatch(title.toLower())) {
        words.insert(word.captured());
    }
    return words;
}

bool ShareAWord(const QString& one, const QString& other) {
    return LongWords(one).intersects(LongWords(other));
}

// The description the update sends, from its body, with the pictures already in the offer
// named by their addresses on Allegro; nothing when there is no body to read.
std::optional<structured::Description> PlannedDescription(const std::string& body) {
    const QJsonObject update = QJsonDocument::fromJson(QByteArray::fromStdString(body)).object();
    if (!update.value(QStringLiteral("description")).isObject()) {
        return std::nullopt;
    }
    const QByteArray json = QJsonDocument(update.value(QStringLiteral("description")).toObject())
                                .toJson(QJsonDocument::Compact);
    auto description = structured::DescriptionFromJson(json.toStdString());
    if (auto* read = std::get_if<structured::Description>(&description)) {
        return std::move(*read);
    }
    return std::nullopt;
}

// "Zmiany w opisie: akapity – nowe: 1, zmienione: 2 · zdjęcia – usunięte: 1 …", or that
// nothing changes.
QString DifferencesLine(const structured::ComparisonCounts& counts) {
    const auto part = [](const QString& what, const structured::ChangeCounts& changes) {
        QStringList said;
        for (const auto& [count, word] :
             {std::pair{changes.added, QStringLiteral("nowe")},
              std::pair{changes.removed, QStringLiteral("usunięte")},
              std::pair{changes.changed, QStringLiteral("zmienione")}}) {
            if (count > 0) {
                said << QStringLiteral("%1: %2").arg(word).arg(count);
            }
        }
        return said.isEmpty() ? QString() : what + QStringLiteral(" – ") + said.join(", ");
    };
    QStringList parts;
    for (const QString& said : {part(QStringLiteral("akapity"), counts.paragraphs),
                                part(QStringLiteral("zdjęcia"), counts.pictures)}) {
        if (!said.isEmpty()) {
            parts << said;
        }
    }
    if (parts.isEmpty()) {
        return QStringLiteral("Akapity i zdjęcia opisu zostaną bez zmian.");
    }
    return QStringLiteral("Zmiany w opisie: ") + parts.join(QStringLiteral(" · ")) +
           QStringLiteral(" (zaznaczone w obu opisach)");
}

QString RememberedOffersFile() {
    return QString::fromStdString(publish::ConfigFolder()) + QStringLiteral("/wyslane-oferty.ini");
}

}  // namespace

std::optional<QString> SendToAllegroDialog::WhyUnavailable() {
    for (const bool sandbox : {false, true}) {
        auto endpoints = publish::ChooseEndpoints(sandbox);
        if (const auto* message = std::get_if<std::string>(&endpoints)) {
            return FromUtf8(*message);
        }
        if (publish::ChooseKeys(std::get<publish::Endpoints>(endpoints))) {
            return std::nullopt;
        }
    }
    return FromUtf8(publish::kNoKeysMessage) +
           QStringLiteral(" Opis można skopiować („Kopiuj opis”) i wkleić w edytorze Allegro.");
}

SendToAllegroDialog::SendToAllegroDialog(const FormBinding& form, Hooks hooks, Desktop& desktop,
                                         QWidget* parent, publish::Clock* clock)
    : QDialog(parent), form_(form), hooks_(std::move(hooks)), desktop_(desktop) {
    setObjectName(QStringLiteral("SendToAllegroDialog"));
    setWindowTitle(kCaption);
    setModal(false);
    pages_ = new QStackedWidget(this);
    pages_->addWidget(BuildSignInPage());
    pages_->addWidget(BuildOfferPage());
    pages_->addWidget(BuildChangesPage());
    pages_->addWidget(BuildSendingPage());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addLayout(BuildButtons());
    // The two descriptions side by side need room: never narrower than this, even beside a
    // form on a small screen.
    setMinimumSize(640, 460);
    resize(820, 600);

    worker_ = std::make_unique<AllegroWorker>(*this, clock);
    countdown_.setInterval(1000);
    connect(&countdown_, &QTimer::timeout, this, &SendToAllegroDialog::TickTimeLeft);
    searchDelay_.setSingleShot(true);
    searchDelay_.setInterval(300);
    connect(&searchDelay_, &QTimer::timeout, this, [this] { LoadOffers(true); });
    ShowPage(SignInPage);
    CheckAccount();
}

// The worker goes first: it cancels and ends its job before the controls it reports to go.
SendToAllegroDialog::~SendToAllegroDialog() {
    worker_.reset();
}

// ---- Building --------------------------------------------------------------------------------

QWidget* SendToAllegroDialog::BuildSignInPage() {
    auto* page = new QWidget;
    sandbox_ = new QCheckBox(QStringLiteral("Konto &testowe (sandbox)"), page);
    sandbox_->setObjectName(QStringLiteral("sandbox"));
    sandbox_->setToolTip(
        QStringLiteral("Logowanie i wysyłanie do testowej wersji Allegro, bez wpływu na "
                       "prawdziwe oferty"));
    connect(sandbox_, &QCheckBox::toggled, this, [this] { CheckAccount(); });
    account_ = WrappedLabel(QStringLiteral("Sprawdzam logowanie…"), page);
    account_->setObjectName(QStringLiteral("account"));
    signIn_ = Button("signIn", QStringLiteral("&Zaloguj"), page);
    signOut_ = Button("signOut", QStringLiteral("Wy&loguj"), page);
    connect(signIn_, &QPushButton::clicked, this, &SendToAllegroDialog::SignIn);
    connect(signOut_, &QPushButton::clicked, this, &SendToAllegroDialog::SignOut);
    auto* accountRow = new QHBoxLayout;
    accountRow->addWidget(account_, 1);
    accountRow->addWidget(signIn_);
    accountRow->addWidget(signOut_);

    codeBox_ = new QWidget(page);
    code_ = new QLabel(codeBox_);
    code_->setObjectName(QStringLiteral("code"));
    code_->setTextFormat(Qt::PlainText);
    code_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    code_->setAlignment(Qt::AlignCenter);
    QFont large = code_->font();
    large.setPointSizeF(large.pointSizeF() * 2.6);
    large.setBold(true);
    large.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    code_->setFont(large);
    auto* openPage = Button("openAllegroPage", QStringLiteral("&Otwórz stronę Allegro"), codeBox_);
    connect(openPage, &QPushButton::clicked, this,
            [this] { desktop_.Open(QUrl(verificationAddress_)); });
    timeLeft_ = new QLabel(codeBox_);
    timeLeft_->setTextFormat(Qt::PlainText);
    timeLeft_->setObjectName(QStringLiteral("timeLeft"));
    auto* cancel = Button("cancelSignIn", QStringLiteral("&Anuluj"), codeBox_);
    connect(cancel, &QPushButton::clicked, this, [this] { worker_->Cancel(); });
    auto* codeButtons = new QHBoxLayout;
    codeButtons->addStretch(1);
    codeButtons->addWidget(openPage);
    codeButtons->addWidget(cancel);
    codeButtons->addStretch(1);
    auto* codeLayout = new QVBoxLayout(codeBox_);
    codeLayout->addWidget(WrappedLabel(
        QStringLiteral("Otwórz stronę Allegro, zaloguj się tam i potwierdź ten kod, by program "
                       "mógł zmieniać opisy Twoich ofert:"),
        codeBox_));
    codeLayout->addWidget(code_);
    codeLayout->addLayout(codeButtons);
    codeLayout->addWidget(timeLeft_, 0, Qt::AlignHCenter);
    codeBox_->hide();

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(WrappedLabel(
        QStringLiteral("Opis z formularza trafi do jednej z Twoich ofert na Allegro. Najpierw "
                       "zaloguj się do Allegro."),
        page));
    layout->addWidget(sandbox_);
    layout->addLayout(accountRow);
    layout->addWidget(codeBox_);
    layout->addStretch(1);
    return page;
}

QWidget* SendToAllegroDialog::BuildOfferPage() {
    auto* page = new QWidget;
    search_ = new QLineEdit(page);
    search_->setObjectName(QStringLiteral("search"));
    search_->setPlaceholderText(QStringLiteral("część tytułu oferty"));
    search_->setClearButtonEnabled(true);
    connect(search_, &QLineEdit::textEdited, this, [this] { searchDelay_.start(); });
    auto* searchLabel = new QLabel(QStringLiteral("&Szukaj:"), page);
    searchLabel->setBuddy(search_);
    auto* searchRow = new QHBoxLayout;
    searchRow->addWidget(searchLabel);
    searchRow->addWidget(search_, 1);

    offers_ = new QTreeWidget(page);
    offers_->setObjectName(QStringLiteral("offers"));
    offers_->setAccessibleName(QStringLiteral("Twoje oferty"));
    offers_->setColumnCount(3);
    offers_->setHeaderLabels(
        {QStringLiteral("Numer"), QStringLiteral("Tytuł"), QStringLiteral("Stan")});
    offers_->setRootIsDecorated(false);
    offers_->setUniformRowHeights(true);
    offers_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    offers_->header()->setStretchLastSection(false);
    offers_->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    offers_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    offers_->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    connect(offers_, &QTreeWidget::currentItemChanged, this, [this] { UpdateButtons(); });
    connect(offers_, &QTreeWidget::itemDoubleClicked, this, [this] {
        if (next_->isEnabled()) {
            ShowChanges();
        }
    });
    connect(offers_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &SendToAllegroDialog::LoadMoreWhenScrolledDown);

    offersStatus_ = WrappedLabel({}, page);
    offersStatus_->setObjectName(QStringLiteral("offersStatus"));
    loadIntoForm_ = Button("loadIntoForm", QStringLiteral("Wczytaj do &formularza"), page);
    loadIntoForm_->setToolTip(
        QStringLiteral("Wpisuje tytuł i opis wybranej oferty do formularza, by je zmienić"));
    connect(loadIntoForm_, &QPushButton::clicked, this, &SendToAllegroDialog::LoadIntoForm);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(offersStatus_, 1);
    bottom->addWidget(loadIntoForm_);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(
        WrappedLabel(QStringLiteral("Wybierz ofertę, której opis chcesz zmienić:"), page));
    layout->addLayout(searchRow);
    layout->addWidget(offers_, 1);
    layout->addLayout(bottom);
    return page;
}

QWidget* SendToAllegroDialog::BuildChangesPage() {
    auto* page = new QWidget;
    titleChange_ = WrappedLabel({}, page);
    titleChange_->setObjectName(QStringLiteral("titleChange"));
    titleChange_->hide();
    changeTitle_ = new QCheckBox(QStringLiteral("Zmień też &tytuł"), page);
    changeTitle_->setObjectName(QStringLiteral("changeTitle"));
    connect(changeTitle_, &QCheckBox::toggled, this, &SendToAllegroDialog::ShowTitleChange);
    differences_ = WrappedLabel({}, page);
    differences_->setObjectName(QStringLiteral("differences"));
    counts_ = WrappedLabel({}, page);
    counts_->setObjectName(QStringLiteral("counts"));

    const auto previewBox = [page](const QString& caption, const char* name) {
        auto* box = new QWidget(page);
        auto* browser = new QTextBrowser(box);
        browser->setObjectName(QString::fromLatin1(name));
        browser->setAccessibleName(caption);
        browser->setOpenLinks(false);
        auto* layout = new QVBoxLayout(box);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new QLabel(caption, box));
        layout->addWidget(browser);
        return std::pair{box, browser};
    };
    auto [beforeBox, before] = previewBox(QStringLiteral("Opis w ofercie teraz"), "before");
    auto [afterBox, after] = previewBox(QStringLiteral("Opis po wysłaniu"), "after");
    before_ = before;
    after_ = after;
    auto* split = new QSplitter(Qt::Horizontal, page);
    split->addWidget(beforeBox);
    split->addWidget(afterBox);

    problems_ = new QListWidget(page);
    problems_->setObjectName(QStringLiteral("problems"));
    problems_->setAccessibleName(QStringLiteral("Uwagi do oferty"));
    problems_->setWordWrap(true);
    problems_->setMaximumHeight(110);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(changeTitle_);
    layout->addWidget(titleChange_);
    layout->addWidget(differences_);
    layout->addWidget(split, 1);
    layout->addWidget(counts_);
    layout->addWidget(problems_);
    return page;
}

QWidget* SendToAllegroDialog::BuildSendingPage() {
    auto* page = new QWidget;
    progress_ = new QListWidget(page);
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setAccessibleName(QStringLiteral("Przebieg wysyłania"));
    progress_->setWordWrap(true);  // a long wait's reason reads whole
    result_ = WrappedLabel({}, page);
    result_->setObjectName(QStringLiteral("result"));
    result_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = result_->font();
    bold.setBold(true);
    result_->setFont(bold);
    openOffer_ = Button("openOffer", {}, page);
    connect(openOffer_, &QPushButton::clicked, this,
            [this] { desktop_.Open(QUrl(offerAddress_)); });
    copyDetails_ = Button("copyDetails", QStringLiteral("&Kopiuj szczegóły"), page);
    copyDetails_->setToolTip(
        QStringLiteral("Kopiuje opis błędu z numerem Trace-Id, np. dla pomocy Allegro"));
    connect(copyDetails_, &QPushButton::clicked, this,
            [this] { desktop_.CopyToClipboard(details_); });
    cancelSending_ = Button("cancelSending", QStringLiteral("&Anuluj"), page);
    cancelSending_->setToolTip(QStringLiteral("Przerywa wysyłanie po bieżącym zapytaniu"));
    connect(cancelSending_, &QPushButton::clicked, this, [this] { worker_->Cancel(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(openOffer_);
    buttons->addWidget(copyDetails_);
    buttons->addStretch(1);
    buttons->addWidget(cancelSending_);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(new QLabel(QStringLiteral("Przebieg:"), page));
    layout->addWidget(progress_, 1);
    layout->addWidget(result_);
    layout->addLayout(buttons);
    return page;
}

QLayout* SendToAllegroDialog::BuildButtons() {
    status_ = WrappedLabel({}, this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    back_ = Button("back", QStringLiteral("< &Wstecz"), this);
    next_ = Button("next", QStringLiteral("&Dalej >"), this);
    send_ = Button("send", QStringLiteral("&Wyślij"), this);
    auto* close = Button("close", QStringLiteral("Za&mknij"), this);
    next_->setDefault(true);
    connect(back_, &QPushButton::clicked, this,
            [this] { ShowPage(pages_->currentIndex() == OfferPage ? SignInPage : OfferPage); });
    connect(next_, &QPushButton::clicked, this, [this] {
        if (pages_->currentIndex() == SignInPage) {
            ShowPage(OfferPage);
            if (offers_->topLevelItemCount() == 0) {
                LoadOffers(true);
            }
        } else {
            ShowChanges();
        }
    });
    connect(send_, &QPushButton::clicked, this, &SendToAllegroDialog::Send);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(back_);
    row->addWidget(next_);
    row->addWidget(send_);
    row->addWidget(close);
    auto* rows = new QVBoxLayout;
    rows->addWidget(status_);
    rows->addLayout(row);
    return rows;
}

void SendToAllegroDialog::ShowPage(Page page) {
    pages_->setCurrentIndex(page);
    status_->clear();
    UpdateButtons();
    FocusPage();
}

void SendToAllegroDialog::FocusPage() {
    QWidget* page = pages_->currentWidget();
    const QWidget* focused = focusWidget();
    if (focused != nullptr && page->isAncestorOf(focused) && focused->isEnabled() &&
        focused->isVisibleTo(page)) {
        return;
    }
    FocusFirstInput(*page);
}

void SendToAllegroDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) {
        return;  // shown again by the window system (restored from the task bar)
    }
    if (shownBefore_ && !busy_) {
        StartClean();
    }
    shownBefore_ = true;
    FocusPage();
}

void SendToAllegroDialog::StartClean() {
    searchDelay_.stop();
    search_->clear();
    ++listGeneration_;  // a page of the list still on its way is dropped
    loadingOffers_ = false;
    offers_->clear();
    offersLoaded_ = 0;
    offersTotal_ = 0;
    changesReady_ = false;
    wrongOfferQuestion_.clear();
    problems_->clear();
    progress_->clear();
    result_->clear();
    openOffer_->hide();
    copyDetails_->hide();
    ShowPage(SignInPage);
    CheckAccount();
}

void SendToAllegroDialog::UpdateButtons() {
    const int page = pages_->currentIndex();
    back_->setVisible(page != SignInPage);
    back_->setEnabled(!busy_);
    next_->setVisible(page == SignInPage || page == OfferPage);
    next_->setEnabled(!busy_ && (page == SignInPage ? signedIn_ : !ChosenOffer().empty()));
    send_->setVisible(page == ChangesPage);
    send_->setEnabled(!busy_ && changesReady_);
    sandbox_->setEnabled(!busy_);
    signIn_->setVisible(!signedIn_);
    signIn_->setEnabled(!busy_);
    signOut_->setVisible(signedIn_);
    signOut_->setEnabled(!busy_);
    loadIntoForm_->setEnabled(!busy_ && !ChosenOffer().empty());
    changeTitle_->setEnabled(!busy_ && changeTitle_->property("differs").toBool());
    cancelSending_->setVisible(busy_ && page == SendingPage);
}

void SendToAllegroDialog::SetBusy(bool busy) {
    busy_ = busy;
    UpdateButtons();
    if (!busy) {
        FocusPage();  // the keyboard may have fallen to "Zamknij" while the page was disabled
    }
}

// ---- Sign-in ---------------------------------------------------------------------------------

void SendToAllegroDialog::CheckAccount() {
    if (busy_) {
        return;
    }
    SetBusy(true);
    signedIn_ = false;
    account_->setText(QStringLiteral("Sprawdzam logowanie…"));
    offers_->clear();
    const bool sandbox = sandbox_->isChecked();
    worker_->Run([this, sandbox](AllegroWorker::State& state) -> Reply {
        auto opened = state.Session(sandbox);
        if (auto* failure = std::get_if<Failure>(&opened)) {
            return [this, why = FailureText(*failure)] { ShowSignedOut(why); };
        }
        publish::AllegroSession& session = *std::get<publish::AllegroSession*>(opened);
        if (!session.HasTokens()) {
            return [this] { ShowSignedOut({}); };
        }
        auto account = session.WhoAmI();
        if (auto* failure = std::get_if<Failure>(&account)) {
            return [this, why = FailureText(*failure)] { ShowSignedOut(why); };
        }
        return [this, login = FromUtf8(std::get<publish::Account>(account).login)] {
            ShowSignedIn(login);
        };
    });
}

void SendToAllegroDialog::SignIn() {
    SetBusy(true);
    status_->clear();
    const bool sandbox = sandbox_->isChecked();
    worker_->Run([this, sandbox](AllegroWorker::State& state) -> Reply {
        auto opened = state.Session(sandbox);
        if (auto* failure = std::get_if<Failure>(&opened)) {
            return [this, why = FailureText(*failure)] { ShowSignedOut(why); };
        }
        publish::AllegroSession& session = *std::get<publish::AllegroSession*>(opened);
        publish::Clock& clock = state.clock != nullptr ? *state.clock : publish::SystemClock();
        const auto shown = [&](const publish::DeviceFlow& flow) {
            state.post([this, code = FromUtf8(publish::GroupUserCode(flow.code().userCode)),
                        address = FromUtf8(flow.code().verificationAddress),
                        left = static_cast<long long>(flow.SecondsLeft(clock.Now()))] {
                ShowCode(code, address, left);
            });
        };
        auto account = session.SignIn(shown, &state.cancel);
        if (auto* failure = std::get_if<Failure>(&account)) {
            return [this, why = failure->cancelled ? QStringLiteral("Logowanie przerwane.")
                                                   : FailureText(*failure)] { ShowSignedOut(why); };
        }
        return [this, login = FromUtf8(std::get<publish::Account>(account).login)] {
            ShowSignedIn(login);
        };
    });
}

void SendToAllegroDialog::SignOut() {
    SetBusy(true);
    worker_->Run([this](AllegroWorker::State& state) -> Reply {
        std::optional<Failure> failure;
        if (state.parts) {
            failure = state.parts->session->SignOut();
        }
        return [this, why = failure ? FailureText(*failure) : QString()] { ShowSignedOut(why); };
    });
}

void SendToAllegroDialog::ShowCode(const QString& code, const QString& address,
                                   long long secondsLeft) {
    codeBox_->show();
    code_->setText(code);
    verificationAddress_ = address;
    codeSeconds_ = secondsLeft;
    codeShownAt_.restart();
    if (!countdown_.isActive()) {
        countdown_.start();
    }
    TickTimeLeft();
}

void SendToAllegroDialog::TickTimeLeft() {
    const long long left = std::max<long long>(codeSeconds_ - codeShownAt_.elapsed() / 1000, 0);
    timeLeft_->setText(left > 0 ? QStringLiteral("Kod jest ważny jeszcze %1:%2")
                                      .arg(left / 60)
                                      .arg(left % 60, 2, 10, QLatin1Char('0'))
                                : QStringLiteral("Kod wygasł."));
}

void SendToAllegroDialog::ShowSignedIn(const QString& login) {
    countdown_.stop();
    codeBox_->hide();
    signedIn_ = true;
    account_->setText(login.isEmpty() ? QStringLiteral("Zalogowano.")
                                      : QStringLiteral("Zalogowano: ") + login);
    SetBusy(false);
}

void SendToAllegroDialog::ShowSignedOut(const QString& why) {
    countdown_.stop();
    codeBox_->hide();
    signedIn_ = false;
    account_->setText(QStringLiteral("Nie jesteś zalogowany do Allegro."));
    status_->setText(why);
    offers_->clear();
    SetBusy(false);
}

// ---- The offer -------------------------------------------------------------------------------

void SendToAllegroDialog::LoadOffers(bool fromStart) {
    if (fromStart) {
        ++listGeneration_;
        offers_->clear();
        offersLoaded_ = 0;
        offersTotal_ = 0;
        // Only while it still bears the form's title: the project file's name is the same for
        // every item, so the folder alone does not tell which offer the form is for.
        const auto remembered = RememberedOffer();
        if (remembered && search_->text().isEmpty() && remembered->second == FormTitle()) {
            auto* item = new QTreeWidgetItem(
                offers_, {remembered->first, remembered->second, kRememberedStatus});
            item->setData(0, Qt::UserRole, remembered->first);
            offers_->setCurrentItem(item);
        }
    }
    loadingOffers_ = true;
    offersStatus_->setText(QStringLiteral("Wczytuję oferty…"));
    publish::OfferQuery query;
    query.name = search_->text().trimmed().toStdString();
    query.offset = offersLoaded_;
    query.limit = kOffersPerPage;
    const bool sandbox = sandbox_->isChecked();
    const int generation = listGeneration_;
    worker_->Run([this, sandbox, query, generation](AllegroWorker::State& state) -> Reply {
        auto opened = state.Session(sandbox);
        if (auto* failure = std::get_if<Failure>(&opened)) {
            return [this, why = FailureText(*failure)] { offersStatus_->setText(why); };
        }
        auto page = std::get<publish::AllegroSession*>(opened)->ListOffers(query);
        if (auto* failure = std::get_if<Failure>(&page)) {
            return [this, generation, why = FailureText(*failure)] {
                if (generation == listGeneration_) {
                    loadingOffers_ = false;
                    offersStatus_->setText(why);
                }
            };
        }
        return [this, generation, offers = std::get<publish::OfferPage>(std::move(page))] {
            AddOffers(generation, offers);
        };
    });
}

void SendToAllegroDialog::AddOffers(int generation, const publish::OfferPage& page) {
    if (generation != listGeneration_) {
        return;  // an answer to a search the seller has since changed
    }
    loadingOffers_ = false;
    for (const publish::OfferSummary& offer : page.offers) {
        const QString id = FromUtf8(offer.id);
        const auto same = offers_->findItems(id, Qt::MatchExactly, 0);
        if (!same.isEmpty()) {
            same.front()->setText(2, StatusWord(offer.status));  // the remembered one
            continue;
        }
        auto* item =
            new QTreeWidgetItem(offers_, {id, FromUtf8(offer.name), StatusWord(offer.status)});
        item->setData(0, Qt::UserRole, id);
        item->setToolTip(1, item->text(1));
    }
    offersLoaded_ += page.offers.size();
    offersTotal_ = page.offers.empty() ? offersLoaded_ : page.totalCount;
    offersStatus_->setText(
        offersTotal_ == 0
            ? QStringLiteral("Nie znaleziono ofert.")
            : QStringLiteral("Wczytano %1.")
                  .arg(FromUtf8(CountOutOf(offersLoaded_, offersTotal_, "oferty", "ofert"))));
    UpdateButtons();
    LoadMoreWhenScrolledDown();
}

// The next page comes when the seller nears the end of the list, or while the list does not
// fill its view yet (the scroll bar may not know the new rows yet, the row heights do).
void SendToAllegroDialog::LoadMoreWhenScrolledDown() {
    if (loadingOffers_ || offersLoaded_ >= offersTotal_) {
        return;
    }
    const QScrollBar* bar = offers_->verticalScrollBar();
    const bool fillsView =
        offers_->topLevelItemCount() * offers_->sizeHintForRow(0) > offers_->viewport()->height();
    const bool nearEnd = bar->maximum() > 0 && bar->value() >= bar->maximum() - 5;
    if (!fillsView || nearEnd) {
        LoadOffers(false);
    }
}

std::string SendToAllegroDialog::ChosenOffer() const {
    const QTreeWidgetItem* item = offers_->currentItem();
    return item != nullptr ? item->data(0, Qt::UserRole).toString().toStdString() : std::string();
}

void SendToAllegroDialog::LoadIntoForm() {
    const std::string id = ChosenOffer();
    if (id.empty()) {
        return;
    }
    SetBusy(true);
    status_->setText(QStringLiteral("Wczytuję ofertę %1…").arg(FromUtf8(id)));
    const bool sandbox = sandbox_->isChecked();
    worker_->Run([this, sandbox, id](AllegroWorker::State& state) -> Reply {
        auto opened = state.Session(sandbox);
        if (auto* failure = std::get_if<Failure>(&opened)) {
            return [this, why = FailureText(*failure)] {
                SetBusy(false);
                status_->setText(why);
            };
        }
        auto offer = std::get<publish::AllegroSession*>(opened)->GetOffer(id);
        if (auto* failure = std::get_if<Failure>(&offer)) {
            return [this, why = FailureText(*failure)] {
                SetBusy(false);
                status_->setText(why);
            };
        }
        return [this, got = std::get<publish::OfferState>(std::move(offer))] {
            SetBusy(false);
            PutOfferIntoForm(got);
        };
    });
}

// The offer's title and description replace the form's, whole or not at all.
void SendToAllegroDialog::PutOfferIntoForm(const publish::OfferState& offer) {
    const QString id = FromUtf8(offer.id);
    const QString refused = QStringLiteral("Oferty %1 nie wczytano: ").arg(id);
    const auto description = structured::DescriptionFromJson(offer.descriptionJson);
    if (const auto* finding = std::get_if<structured::Finding>(&description)) {
        status_->setText(refused + FromUtf8(finding->message));
        return;
    }
    const auto pulled =
        structured::PullOffer(offer.name, std::get<structured::Description>(description));
    if (const auto* finding = std::get_if<structured::Finding>(&pulled)) {
        status_->setText(refused + FromUtf8(finding->message));
        return;
    }
    auto snapshot = form_.Snapshot();
    if (const auto* unheld = std::get_if<UnheldText>(&snapshot)) {
        status_->setText(UnheldTextMessage(*unheld));
        return;
    }
    AuctionForm form = std::get<AuctionForm>(std::move(snapshot));
    structured::PutIntoForm(std::get<structured::PulledOffer>(pulled), form);
    // The project file must be able to keep what comes in: nothing is cut on the way.
    const auto encoded = EncodeProject(form);
    if (const auto* overflow = std::get_if<SlotOverflow>(&encoded);
        overflow != nullptr &&
        std::find(kPulledInputs.begin(), kPulledInputs.end(),
                  FindFormField(overflow->control)->member) != kPulledInputs.end()) {
        status_->setText(refused + FromUtf8(overflow->Message()));
        return;
    }
    if (hooks_.hasUnsavedChanges() &&
        !desktop_.Confirm(kCaption, QStringLiteral("Zastąpić bieżący opis opisem oferty?"))) {
        return;
    }
    form_.Restore(form, kPulledInputs);
    status_->setText(
        QStringLiteral("Tytuł i opis oferty %1 są w formularzu. Zapisz projekt, by je zachować.")
            .arg(id));
}

// ---- What changes ----------------------------------------------------------------------------

void SendToAllegroDialog::ShowChanges() {
    const std::string id = ChosenOffer();
    auto snapshot = form_.Snapshot();
    if (const auto* unheld = std::get_if<UnheldText>(&snapshot)) {
        status_->setText(UnheldTextMessage(*unheld));
        return;
    }
    const AuctionForm form = std::get<AuctionForm>(std::move(snapshot));
    const bool withTerms = hooks_.withTerms && hooks_.withTerms();
    SetBusy(true);
    status_->setText(QStringLiteral("Odczytuję ofertę %1…").arg(FromUtf8(id)));
    const bool sandbox = sandbox_->isChecked();
    publish::PublishOptions options;
    options.withTerms = withTerms;
    options.dryRun = true;
    options.projectFolder = QDir::currentPath().toStdString();
    worker_->Run([this, sandbox, id, form, options](AllegroWorker::State& state) -> Reply {
        auto opened = state.Session(sandbox);
        if (auto* failure = std::get_if<Failure>(&opened)) {
            return [this, why = FailureText(*failure)] {
                SetBusy(false);
                status_->setText(why);
            };
        }
        publish::AllegroSession& session = *std::get<publish::AllegroSession*>(opened);
        // One reading of the offer: the same reading and checks as the sending, with nothing
        // sent, say what it would do and show the offer as it is.
        publish::PublishResult plan = session.Publish(id, form, options, {}, &state.cancel);
        const bool refusedHere =
            plan.failure && plan.failure->kind == publish::FailureKind::BadInput;
        if (!plan.offer && refusedHere) {  // refused before the offer was read: read it to show it
            auto offer = session.GetOffer(id, nullptr, &state.cancel);
            if (auto* read = std::get_if<publish::OfferState>(&offer)) {
                plan.offer = std::move(*read);
            }
        }
        if (!plan.offer) {
            return [this, why = ResultText(plan)] {
                SetBusy(false);
                status_->setText(why);
            };
        }
        auto exported = std::make_shared<const structured::AllegroOffer>(structured::ExportAllegro(
            form, {.withTerms = options.withTerms, .acceptLocalPictures = true}));
        return [this, exported, plan = std::move(plan)] {
            SetBusy(false);
            const publish::OfferState& current = *plan.offer;
            offerTitle_ = FromUtf8(current.name);
            formTitle_ = FromUtf8(exported->name);
            changeTitle_->setProperty("differs", offerTitle_ != formTitle_);
            changeTitle_->setChecked(false);
            ShowTitleChange();
            wrongOfferQuestion_ = WrongOfferQuestion(offerTitle_, formTitle_, plan.plan);
            ShowDescriptions(current.descriptionJson, exported->description,
                             PlannedDescription(plan.body).value_or(exported->description));

            const std::size_t pictures =
                plan.plan ? plan.plan->picturesAfter : exported->images.size();
            counts_->setText(QStringLiteral("Zdjęcia: %1/%2 · rozmiar opisu: %3 / %4 bajtów")
                                 .arg(pictures)
                                 .arg(structured::kMaxOfferImages)
                                 .arg(Count(exported->descriptionBytes),
                                      Count(structured::kMaxDescriptionBytes)));

            problems_->clear();
            for (const std::string& error : current.validationErrors) {
                problems_->addItem(QStringLiteral("Allegro zgłasza w ofercie: ") + FromUtf8(error));
            }
            for (const structured::Finding& finding : plan.findings) {
                if (finding.severity == structured::Severity::Error) {
                    problems_->addItem(QStringLiteral("Błąd: ") +
                                       FromUtf8(structured::FindingText(finding)));
                }
            }
            changesReady_ = plan.outcome == publish::Outcome::Done;
            if (!changesReady_) {
                problems_->addItem(ResultText(plan));
            }
            if (plan.unchanged) {
                problems_->addItem(
                    QStringLiteral("Bez zmian: oferta ma już ten opis i te zdjęcia."));
            } else if (problems_->count() == 0) {
                problems_->addItem(QStringLiteral("Brak uwag: opis można wysłać."));
            }
            ShowPage(ChangesPage);
        };
    });
}

void SendToAllegroDialog::ShowTitleChange() {
    const bool changes = changeTitle_->isChecked() && offerTitle_ != formTitle_;
    titleChange_->setText(QStringLiteral("Tytuł: „%1” → „%2”").arg(offerTitle_, formTitle_));
    titleChange_->setVisible(changes);
    changeTitle_->setToolTip(offerTitle_ != formTitle_
                                 ? QStringLiteral("Zmienia tytuł oferty na „%1”").arg(formTitle_)
                                 : QStringLiteral("Oferta ma już tytuł z formularza"));
}

void SendToAllegroDialog::ShowDescriptions(const std::string& currentJson,
                                           const structured::Description& after,
                                           const structured::Description& afterOnAllegro) {
    const auto description = structured::DescriptionFromJson(currentJson);
    if (const auto* finding = std::get_if<structured::Finding>(&description)) {
        before_->setPlainText(QStringLiteral("Opisu oferty nie da się pokazać: ") +
                              FromUtf8(finding->message));
        after_->setHtml(FromUtf8(structured::DescriptionPreviewHtml(after)));
        differences_->clear();
    } else {
        const auto comparison = structured::CompareDescriptions(
            std::get<structured::Description>(description), afterOnAllegro);
        before_->setHtml(FromUtf8(structured::ComparedPreviewHtml(
            std::get<structured::Description>(description), comparison.before)));
        after_->setHtml(FromUtf8(structured::ComparedPreviewHtml(after, comparison.after)));
        differences_->setText(DifferencesLine(structured::CountChanges(comparison)));
    }
    ShowLocalThumbnails(*after_->document(), after, QDir::currentPath());
}

QString SendToAllegroDialog::WrongOfferQuestion(
    const QString& offerTitle, const QString& formTitle,
    const std::optional<publish::PublishPlan>& plan) const {
    const bool otherPictures =
        plan && plan->picturesSentElsewhere > 0 && plan->sentPicturesInGallery == 0;
    const bool sameItem = offerTitle == formTitle || ShareAWord(offerTitle, formTitle);
    if (sameItem && !otherPictures) {
        return {};
    }
    return QStringLiteral("Opis oferty „%1” zostanie zastąpiony opisem „%2”. Wysłać?")
        .arg(offerTitle, formTitle);
}

// ---- Sending ---------------------------------------------------------------------------------

void SendToAllegroDialog::Send() {
    // The seller may have chosen another item's offer by mistake: "Nie" is the safe answer.
    if (!wrongOfferQuestion_.isEmpty() && !desktop_.Confirm(kCaption, wrongOfferQuestion_)) {
        return;
    }
    const std::string id = ChosenOffer();
    auto snapshot = form_.Snapshot();
    if (const auto* unheld = std::get_if<UnheldText>(&snapshot)) {
        status_->setText(UnheldTextMessage(*unheld));
        return;
    }
    progress_->clear();
    result_->clear();
    openOffer_->hide();
    copyDetails_->hide();
    ShowPage(SendingPage);
    SetBusy(true);
    const AuctionForm form = std::get<AuctionForm>(std::move(snapshot));
    publish::PublishOptions options;
    options.title = changeTitle_->isChecked();
    options.withTerms = hooks_.withTerms && hooks_.withTerms();
    options.projectFolder = QDir::currentPath().toStdString();
    const bool sandbox = sandbox_->isChecked();
    const QString title =
        offers_->currentItem() != nullptr ? offers_->currentItem()->text(1) : QString();
    worker_->Run([this, sandbox, id, form, options, title](AllegroWorker::State& state) -> Reply {
        auto opened = state.Session(sandbox);
        if (auto* failure = std::get_if<Failure>(&opened)) {
            publish::PublishResult result;
            publish::ConcludeFailure(*failure, result);
            return [this, result] { ShowResult(result); };
        }
        publish::PublishObserver observer;
        observer.progress = [&](std::size_t step, std::size_t steps, const std::string& what) {
            state.post(
                [this,
                 line =
                     QStringLiteral("Krok %1 z %2: %3").arg(step).arg(steps).arg(FromUtf8(what))] {
                    AddProgressLine(line);
                });
        };
        observer.waiting = [&](publish::Seconds seconds, const std::string& why) {
            state.post(
                [this, line = QStringLiteral("Czekam %1 s: %2").arg(seconds).arg(FromUtf8(why))] {
                    AddProgressLine(line);
                });
        };
        publish::PublishResult result = std::get<publish::AllegroSession*>(opened)->Publish(
            id, form, options, observer, &state.cancel);
        return [this, id, title, result = std::move(result)] {
            if (result.outcome == publish::Outcome::Done) {
                RememberOffer(id, result.plan ? FromUtf8(result.plan->newTitle) : title);
            }
            ShowResult(result);
        };
    });
}

void SendToAllegroDialog::AddProgressLine(const QString& line) {
    progress_->addItem(line);
    progress_->scrollToBottom();
}

void SendToAllegroDialog::ShowResult(const publish::PublishResult& result) {
    SetBusy(false);
    QStringList lines;
    if (result.outcome == publish::Outcome::Done) {
        lines << (result.unchanged
                      ? QStringLiteral("Bez zmian: oferta ma już ten opis i te zdjęcia, więc "
                                       "nic nie zostało wysłane.")
                      : QStringLiteral("Opis zaktualizowany."));
        offerAddress_ = FromUtf8(result.offerPage);
        openOffer_->setText(QStringLiteral("Otwórz ofertę: ") + offerAddress_);
        openOffer_->show();
    } else {
        lines << ResultText(result);
        for (const structured::Finding& finding : result.findings) {
            if (finding.severity == structured::Severity::Error) {
                lines << QStringLiteral("• ") + FromUtf8(structured::FindingText(finding));
            }
        }
        if (!result.traceId.empty()) {  // on its own line, for Allegro's support
            lines << QStringLiteral("Trace-Id: ") + FromUtf8(result.traceId);
        }
        copyDetails_->show();
        if (result.outcome == publish::Outcome::SignedOut) {
            signedIn_ = false;  // the first step signs in again
            account_->setText(QStringLiteral("Nie jesteś zalogowany do Allegro."));
            UpdateButtons();
        }
    }
    for (const std::string& warning : result.warnings) {
        lines << QStringLiteral("Uwaga: ") + FromUtf8(warning);
    }
    details_ = lines.join(QLatin1Char('\n'));
    result_->setText(details_);
}

// ---- The offer last sent from this project ---------------------------------------------------

QString SendToAllegroDialog::ProjectKey() const {
    return QString::fromLatin1(QUrl::toPercentEncoding(
        QDir::current().absoluteFilePath(QString::fromLatin1(kProjectFileName))));
}

void SendToAllegroDialog::RememberOffer(const std::string& id, const QString& title) {
    publish::MakeFolders(publish::ConfigFolder());
    QSettings settings(RememberedOffersFile(), QSettings::IniFormat);
    settings.beginGroup(ProjectKey());
    settings.setValue(QStringLiteral("oferta"), FromUtf8(id));
    settings.setValue(QStringLiteral("tytul"), title);
}

std::optional<QString> SendToAllegroDialog::FormTitle() const {
    auto snapshot = form_.Snapshot();
    if (!std::holds_alternative<AuctionForm>(snapshot)) {
        return std::nullopt;
    }
    // The title alone, as the export writes it: no whole export on the window's thread.
    return FromUtf8(structured::FormLineText(std::get<AuctionForm>(snapshot).auctionHeader));
}

std::optional<std::pair<QString, QString>> SendToAllegroDialog::RememberedOffer() const {
    QSettings settings(RememberedOffersFile(), QSettings::IniFormat);
    settings.beginGroup(ProjectKey());
    const QString id = settings.value(QStringLiteral("oferta")).toString();
    if (id.isEmpty()) {
        return std::nullopt;
    }
    return std::pair{id, settings.value(QStringLiteral("tytul")).toString()};
}

}  // namespace licytek
