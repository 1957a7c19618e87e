// "Wyślij do Allegro…" against a fake Allegro on 127.0.0.1: sign-in, the offer list, what
// changes, sending with its waits and refusals, cancelling, and the form filled from an offer.
// The session's waits go through a test clock, so nothing here sleeps for Allegro's seconds.
#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeWidget>

#include <atomic>
#include <chrono>
#include <ctime>
#include <nlohmann/json.hpp>
#include <thread>
#include <utility>
#include <vector>

#include "FakeAllegro.h"
#include "TestSupport.h"
#include "app/AllegroWindow.h"
#include "app/AllegroWorker.h"
#include "app/SendToAllegroDialog.h"
#include "publish/TokenStore.h"

namespace licytek::test {
namespace {

using licytek::testing::FakeAllegro;
using licytek::testing::FakeAnswer;

constexpr const char* kOfferPath = "/sale/product-offers/1002";
constexpr const char* kOldDescription =
    R"({"sections":[{"items":[{"type":"TEXT","content":"<p>Stary opis</p>"}]}]})";

// Two of Allegro's errors, each with its place.
constexpr const char* kRefusedUpdate =
    R"({"errors":[{"userMessage":"Niedozwolony znacznik.","path":)"
    R"("description.sections[1].items[0].content"},{"userMessage":"Za długi.",)"
    R"("path":"description.sections[0].items[0].content"}]})";

// Waits take no time; while `hold` is set, a wait lasts until the work is cancelled (a seller
// who has not confirmed the code yet), at most a few seconds.
class TestClock final : public publish::Clock {
  public:
    publish::Seconds Now() override { return now.load(); }
    bool Wait(publish::Seconds seconds, const std::atomic<bool>* cancel) override {
        for (int i = 0; hold.load() && i < 5000 && !(cancel != nullptr && cancel->load()); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        now += seconds;
        return cancel == nullptr || !cancel->load();
    }
    std::atomic<long long> now{1'700'000'000};
    std::atomic<bool> hold{false};
};

// The program's environment pointed at the fake, with the keys, the token file and the
// remembered offers in a temporary home; put back as it was afterwards.
class FakeEnvironment {
  public:
    explicit FakeEnvironment(bool withKeys = true) {
        Set("LICYTEK_ALLEGRO_URL", fake.Base().c_str());
        Set("LICYTEK_ALLEGRO_CLIENT_ID", withKeys ? "test-client" : nullptr);
        Set("LICYTEK_ALLEGRO_CLIENT_SECRET", withKeys ? "test-secret" : nullptr);
        Set("XDG_CONFIG_HOME", qPrintable(home.filePath(QStringLiteral("config"))));
        Set("XDG_DATA_HOME", qPrintable(home.filePath(QStringLiteral("data"))));
        Set("DBUS_SESSION_BUS_ADDRESS", "");  // the token file, never a real keyring
    }
    ~FakeEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                qputenv(name.c_str(), *value);
            } else {
                qunsetenv(name.c_str());
            }
        }
    }

    // Tokens as after a sign-in, valid for half a day from `now`.
    void SignedIn(long long now) {
        auto tokens = publish::MakeFileTokenStore(publish::ConfigFolder());
        tokens->Save("custom " + fake.Base(),
                     publish::Tokens{"access-1", "refresh-1", now + 43200});
        fake.Script("GET", "/me", {200, R"({"id":"7","login":"sprzedawca"})", {}, false});
    }
    bool HasTokens() {
        return publish::MakeFileTokenStore(publish::ConfigFolder())
            ->Load("custom " + fake.Base())
            .has_value();
    }

    FakeAllegro fake;
    QTemporaryDir home;

  private:
    void Set(const char* name, const char* value) {
        saved_.emplace_back(name, qEnvironmentVariableIsSet(name)
                                      ? std::optional<QByteArray>(qgetenv(name))
                                      : std::nullopt);
        if (value != nullptr) {
            qputenv(name, value);
        } else {
            qunsetenv(name);
        }
    }
    std::vector<std::pair<std::string, std::optional<QByteArray>>> saved_;
};

// A page of the seller's offers: ids from `first`, with the three states in turn.
std::string OffersPage(int first, int count, int total) {
    static const char* const states[] = {"ACTIVE", "INACTIVE", "ENDED"};
    nlohmann::json offers = nlohmann::json::array();
    for (int i = 0; i < count; ++i) {
        offers.push_back({{"id", std::to_string(first + i)},
                          {"name", "Oferta " + std::to_string(first + i)},
                          {"publication", {{"status", states[(first + i) % 3]}}}});
    }
    return nlohmann::json{{"offers", offers}, {"totalCount", total}}.dump();
}

std::string Offer(const std::string& name, const std::string& description,
                  const std::string& validation = "[]") {
    return R"({"id":"1002","name":)" + nlohmann::json(name).dump() +
           R"(,"images":[],"description":)" + description + R"(,"validation":{"errors":)" +
           validation + "}}";
}

std::string OfferWithId(const std::string& id, const std::string& name) {
    return R"({"id":)" + nlohmann::json(id).dump() + R"(,"name":)" + nlohmann::json(name).dump() +
           R"(,"images":[],"description":)" + kOldDescription + R"(,"validation":{"errors":[]}})";
}

std::unique_ptr<SendToAllegroDialog> OpenDialog(Session& session, TestClock& clock) {
    auto dialog = std::make_unique<SendToAllegroDialog>(
        session.window->Form(),
        SendToAllegroDialog::Hooks{[] { return false; },
                                   [&session] { return session.window->HasUnsavedChanges(); }},
        session.desktop, session.window.get(), &clock);
    dialog->show();
    return dialog;
}

QString Text(QWidget& dialog, const char* label) {
    return Part<QLabel>(dialog, label)->text();
}

void Press(QWidget& dialog, const char* button) {
    auto* part = Part<QPushButton>(dialog, button);
    QVERIFY2(part->isEnabled() && part->isVisible(), button);
    part->click();
}

void Grab(QWidget& dialog, const char* name) {
    const QString folder = qEnvironmentVariable("LICYTEK_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        dialog.grab().save(folder + QStringLiteral("/%1.png").arg(QString::fromLatin1(name)));
    }
}

void ChooseOffer(QWidget& dialog, const QString& id) {
    auto* list = Part<QTreeWidget>(dialog, "offers");
    QTRY_VERIFY(!list->findItems(id, Qt::MatchExactly, 0).isEmpty());
    list->setCurrentItem(list->findItems(id, Qt::MatchExactly, 0).front());
}

QByteArray PngBytes() {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

}  // namespace

class SendToAllegroTest : public QObject {
    Q_OBJECT

  private slots:
    void signInShowsTheCodeAndCanBeCancelled() {
        FakeEnvironment allegro;  // outlives the window, whose connection it would wait for
        Session session;
        TestClock clock;
        allegro.fake.Script(
            "POST", "/auth/oauth/device",
            {200,
             R"({"device_code":"dev-1","user_code":"cbt3zdu4g","expires_in":600,)"
             "\"interval\":5,\"verification_uri_complete\":\"http://allegro/k?c=1\"}",
             {},
             false});
        allegro.fake.Script("POST", "/auth/oauth/token",
                            {400, R"({"error":"authorization_pending"})", {}, false});
        auto dialog = OpenDialog(session, clock);
        QTRY_COMPARE(Text(*dialog, "account"), QStringLiteral("Nie jesteś zalogowany do Allegro."));
        Grab(*dialog, "send-1-signed-out");

        // The seller has not confirmed yet: the code shows, the page opens, cancel stops it.
        clock.hold = true;
        Press(*dialog, "signIn");
        QTRY_COMPARE(Text(*dialog, "code"), QStringLiteral("cbt 3zd u4g"));
        QVERIFY(
            Text(*dialog, "timeLeft").startsWith(QStringLiteral("Kod jest ważny jeszcze 10:00")));
        Grab(*dialog, "send-2-code");
        Press(*dialog, "openAllegroPage");
        QCOMPARE(session.desktop.opened, std::vector<QUrl>{QUrl("http://allegro/k?c=1")});
        Press(*dialog, "cancelSignIn");
        QTRY_COMPARE(Text(*dialog, "status"), QStringLiteral("Logowanie przerwane."));
        QVERIFY(!Part<QWidget>(*dialog, "code")->isVisible());
        QVERIFY(!allegro.HasTokens());

        // Confirmed after one more poll: signed in, the login shown, the tokens kept.
        clock.hold = false;
        allegro.fake.Script(
            "POST", "/auth/oauth/token",
            {200, R"({"access_token":"a","refresh_token":"r","expires_in":43199})", {}, false});
        allegro.fake.Script("GET", "/me", {200, R"({"id":"7","login":"sprzedawca"})", {}, false});
        Press(*dialog, "signIn");
        QTRY_COMPARE(Text(*dialog, "account"), QStringLiteral("Zalogowano: sprzedawca"));
        QVERIFY(allegro.HasTokens());
        QVERIFY(Part<QPushButton>(*dialog, "next")->isEnabled());
        Grab(*dialog, "send-3-signed-in");

        Press(*dialog, "signOut");
        QTRY_COMPARE(Text(*dialog, "account"), QStringLiteral("Nie jesteś zalogowany do Allegro."));
        QVERIFY(!allegro.HasTokens());
    }

    void choosingAndSendingUpdatesTheOfferWhileTheWindowAnswers() {
        FakeEnvironment allegro;  // outlives the window, whose connection it would wait for
        Session session;
        TestClock clock;
        allegro.SignedIn(clock.Now());
        auto& fake = allegro.fake;
        fake.Script("GET", "/sale/offers", {200, OffersPage(1000, 50, 53), {}, false});
        fake.Script("GET", "/sale/offers", {200, OffersPage(1050, 3, 53), {}, false});
        session.folder.Write(QStringLiteral("rower.png"), PngBytes());
        session.Get<QLineEdit>("auctionHeader")->setText(QStringLiteral("Rower miejski"));
        session.Get<PlainTextField>("itemDescription")
            ->setPlainText(QStringLiteral("Nowy opis\n<img src=\"rower.png\">"));

        auto dialog = OpenDialog(session, clock);
        QTRY_VERIFY(Part<QPushButton>(*dialog, "next")->isEnabled());
        Press(*dialog, "next");
        auto* list = Part<QTreeWidget>(*dialog, "offers");
        QTRY_COMPARE(list->topLevelItemCount(), 50);
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("Szkic"));  // 1000 % 3 == 1
        QCOMPARE(list->topLevelItem(1)->text(2), QStringLiteral("Zakończona"));
        QCOMPARE(list->topLevelItem(2)->text(2), QStringLiteral("Aktywna"));
        // The next page comes as the seller scrolls to the end.
        list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());
        QTRY_COMPARE(list->topLevelItemCount(), 53);
        const auto pages = fake.Requests("GET", "/sale/offers");
        QCOMPARE(pages.size(), std::size_t{2});
        QCOMPARE(pages[1].Param("offset"), std::string("50"));
        Grab(*dialog, "send-4-offers");

        // What changes: both descriptions, the title, the pictures, Allegro's own findings.
        ChooseOffer(*dialog, QStringLiteral("1002"));
        fake.Script("GET", kOfferPath,
                    {200,
                     Offer("Rower", kOldDescription,
                           "[{\"message\":\"Za krótki "
                           "opis\",\"path\":\"description.sections[0].items[0]\"}]"),
                     {},
                     false});
        Press(*dialog, "next");
        QTRY_VERIFY(Part<QPushButton>(*dialog, "send")->isVisible());
        QCOMPARE(fake.Requests("GET", kOfferPath).size(), std::size_t{1});  // read once
        // The title line shows only while the title is to change.
        auto* changeTitle = Part<QCheckBox>(*dialog, "changeTitle");
        QVERIFY(!changeTitle->isChecked() && !Part<QLabel>(*dialog, "titleChange")->isVisible());
        changeTitle->click();
        QVERIFY(Part<QLabel>(*dialog, "titleChange")->isVisible());
        QCOMPARE(Text(*dialog, "titleChange"), QStringLiteral("Tytuł: „Rower” → „Rower miejski”"));
        changeTitle->click();
        // Both descriptions mark what changes: the old paragraph became the title's heading,
        // the paragraph and the picture are new.
        QCOMPARE(Text(*dialog, "differences"),
                 QStringLiteral("Zmiany w opisie: akapity – nowe: 1, zmienione: 1 · zdjęcia – "
                                "nowe: 1 (zaznaczone w obu opisach)"));
        const QString before = Part<QTextBrowser>(*dialog, "before")->toPlainText();
        QVERIFY2(before.contains("Zmieniony akapit\nStary opis"), qPrintable(before));
        const QString after = Part<QTextBrowser>(*dialog, "after")->toPlainText();
        QVERIFY2(after.contains("Nowy akapit\nNowy opis") && after.contains("Nowe zdjęcie"),
                 qPrintable(after));
        QVERIFY(Text(*dialog, "counts").startsWith(QStringLiteral("Zdjęcia: 1/16")));
        QCOMPARE(Part<QListWidget>(*dialog, "problems")->item(0)->text(),
                 QStringLiteral("Allegro zgłasza w ofercie: sekcja 1, element 1: Za krótki opis"));
        Grab(*dialog, "send-5-changes");

        // Sending, each answer a little slow: the picture, the update Allegro applies later.
        fake.Script("POST", "/sale/images",
                    {201, "{\"location\":\"https://a.allegroimg.com/s/rower.png\"}", {}, false});
        fake.Script(
            "PATCH", kOfferPath,
            {202, "", {{"Location", "/sale/operations/op-1"}, {"Retry-After", "0"}}, false});
        fake.Script("GET", "/sale/operations/op-1", {202, "", {{"Retry-After", "0"}}, false});
        fake.Script("GET", "/sale/operations/op-1", {303, "", {{"Location", kOfferPath}}, false});
        fake.SetDelayMicroseconds(40'000);
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(5);
        QElapsedTimer sending;
        sending.start();
        Press(*dialog, "send");
        QTRY_VERIFY_WITH_TIMEOUT(Text(*dialog, "result").startsWith("Opis zaktualizowany."), 10000);
        // ~6 requests of 40 ms: the window's own timer ran throughout.
        QVERIFY2(ticks >= sending.elapsed() / 5 / 3, qPrintable(QString::number(ticks)));
        const auto uploads = fake.Requests("POST", "/sale/images");
        QCOMPARE(uploads.size(), std::size_t{1});
        QCOMPARE(uploads[0].Header("Content-Type"), std::string("image/png"));
        const auto patches = fake.Requests("PATCH", kOfferPath);
        QCOMPARE(patches.size(), std::size_t{1});
        const auto body = nlohmann::json::parse(patches[0].body);
        QVERIFY(!body.contains("name"));  // "Zmień też tytuł" was off
        QVERIFY(body["images"] == nlohmann::json::array({"https://a.allegroimg.com/s/rower.png"}));
        QCOMPARE(fake.Requests("GET", "/sale/operations/op-1").size(), std::size_t{2});
        const QStringList progress = [&] {
            QStringList lines;
            auto* widget = Part<QListWidget>(*dialog, "progress");
            for (int i = 0; i < widget->count(); ++i) {
                lines << widget->item(i)->text();
            }
            return lines;
        }();
        QVERIFY2(progress.contains(QStringLiteral("Krok 2 z 4: zdjęcie 1 z 1")),
                 qPrintable(progress.join('\n')));
        Press(*dialog, "openOffer");
        QCOMPARE(session.desktop.opened.back(),
                 QUrl(QString::fromStdString(fake.Base() + "/oferta/1002")));
        Grab(*dialog, "send-6-done");

        QVERIFY(session.desktop.questions.empty());  // the titles share a word

        // The offer sent from this project is chosen again next time, but only while it bears
        // the form's title: the title was not sent, so it is not chosen for "Rower miejski".
        fake.SetDelayMicroseconds(0);
        dialog.reset();
        dialog = OpenDialog(session, clock);
        QTRY_VERIFY(Part<QPushButton>(*dialog, "next")->isEnabled());
        Press(*dialog, "next");
        list = Part<QTreeWidget>(*dialog, "offers");
        QTRY_VERIFY(list->topLevelItemCount() > 0);
        QVERIFY(list->currentItem() == nullptr);
        dialog.reset();
        session.Get<QLineEdit>("auctionHeader")->setText(QStringLiteral("Rower"));
        dialog = OpenDialog(session, clock);
        QTRY_VERIFY(Part<QPushButton>(*dialog, "next")->isEnabled());
        Press(*dialog, "next");
        list = Part<QTreeWidget>(*dialog, "offers");
        QTRY_VERIFY(list->currentItem() != nullptr);
        QCOMPARE(list->currentItem()->text(0), QStringLiteral("1002"));

        // A search asks Allegro afresh and shows only its answer.
        QTest::keyClicks(Part<QLineEdit>(*dialog, "search"), QStringLiteral("Oferta 105"));
        QTRY_COMPARE(fake.Requests("GET", "/sale/offers").back().Param("name"),
                     std::string("Oferta 105"));
        QTRY_COMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("1050"));
    }

    void refusalsAndCancelAreShownInPlainWords() {
        FakeEnvironment allegro;  // outlives the window, whose connection it would wait for
        Session session;
        TestClock clock;
        allegro.SignedIn(clock.Now());
        auto& fake = allegro.fake;
        fake.Script("GET", "/sale/offers", {200, OffersPage(1000, 5, 5), {}, false});
        fake.Script("GET", kOfferPath, {200, Offer("Rower", kOldDescription), {}, false});
        session.folder.Write(QStringLiteral("a.png"), PngBytes());
        session.folder.Write(QStringLiteral("b.png"), PngBytes() + "x");
        session.Get<QLineEdit>("auctionHeader")->setText(QStringLiteral("Rower"));
        session.Get<PlainTextField>("itemDescription")
            ->setPlainText(QStringLiteral("Opis\n<img src=\"a.png\">\n<img src=\"b.png\">"));
        auto dialog = OpenDialog(session, clock);
        QTRY_VERIFY(Part<QPushButton>(*dialog, "next")->isEnabled());
        Press(*dialog, "next");
        ChooseOffer(*dialog, QStringLiteral("1002"));
        const auto sendOnce = [&] {
            Press(*dialog, "next");
            QTRY_VERIFY(Part<QPushButton>(*dialog, "send")->isVisible());
            QTRY_VERIFY(Part<QPushButton>(*dialog, "send")->isEnabled());
            Press(*dialog, "send");
        };

        // Cancelled during the first picture: the second is not sent, nor the update. The
        // upload is cut within a second, or its answer comes first.
        fake.Script("POST", "/sale/images",
                    {201, "{\"location\":\"https://a.allegroimg.com/s/1.png\"}", {}, false});
        fake.SetDelayMicroseconds(300'000);  // room to press "Anuluj" within the upload
        sendOnce();
        QTRY_VERIFY(Part<QPushButton>(*dialog, "cancelSending")->isVisible());
        QTRY_COMPARE(fake.Requests("POST", "/sale/images").size(), std::size_t{1});
        Press(*dialog, "cancelSending");
        QTRY_VERIFY(Text(*dialog, "result").startsWith(QStringLiteral("Przerwano: ")));
        const QString cancelled = Text(*dialog, "result");
        QVERIFY2(cancelled == QStringLiteral("Przerwano: nic nie zostało wysłane do Allegro.") ||
                     cancelled == QStringLiteral("Przerwano: wysłano 1 zdjęcie do Allegro, ale "
                                                 "opis oferty nie został zmieniony."),
                 qPrintable(cancelled));
        fake.SetDelayMicroseconds(0);
        QCOMPARE(fake.Requests("POST", "/sale/images").size(), std::size_t{1});
        QVERIFY(fake.Requests("PATCH", kOfferPath).empty());

        // 403: the reason and the Trace-Id, which "Kopiuj szczegóły" copies.
        fake.Script("PATCH", kOfferPath, {403, "{}", {}, false});
        Press(*dialog, "back");
        sendOnce();
        QTRY_VERIFY(Text(*dialog, "result").contains(QStringLiteral("konta firmowe")));
        const QString forbidden = Text(*dialog, "result");
        QVERIFY2(forbidden.contains(QRegularExpression(QStringLiteral("Trace-Id: trace-\\d+$"))),
                 qPrintable(forbidden));
        Press(*dialog, "copyDetails");
        QCOMPARE(session.desktop.clipboard.back(), forbidden);

        // 422: each of Allegro's errors on a line of its own, with its section and item.
        fake.Script("PATCH", kOfferPath, {422, kRefusedUpdate, {}, false});
        Press(*dialog, "back");
        sendOnce();
        QTRY_VERIFY(Text(*dialog, "result").contains(QStringLiteral("nie przyjęło danych")));
        const QString invalid = Text(*dialog, "result");
        QVERIFY2(invalid.contains(QStringLiteral("\n• sekcja 2, element 1: Niedozwolony znacznik."
                                                 "\n• sekcja 1, element 1: Za długi.\nStan: ")),
                 qPrintable(invalid));
        Grab(*dialog, "send-7-refused");

        // Allegro's developer words, without a userMessage, are said to be in English, and no
        // command of the command line reaches the window.
        fake.Script("PATCH", kOfferPath,
                    {422,
                     R"({"errors":[{"code":"X","message":"Too long",)"
                     R"("path":"description.sections[0].items[0].content"}]})",
                     {},
                     false});
        Press(*dialog, "back");
        sendOnce();
        QTRY_VERIFY(Text(*dialog, "result").contains(QStringLiteral("nie przyjęło danych")));
        const QString english = Text(*dialog, "result");
        QVERIFY2(english.contains(
                     QStringLiteral("\nAllegro (po angielsku):\n• sekcja 1, element 1: Too long")),
                 qPrintable(english));
        QVERIFY(!english.contains(QStringLiteral("licytek-cli")));
    }

    void anOfferFillsTheFormAfterAskingAboutUnsavedChanges() {
        FakeEnvironment allegro;  // outlives the window, whose connection it would wait for
        Session session;
        allegro.SignedIn(std::time(nullptr));
        auto& fake = allegro.fake;
        fake.Script("GET", "/sale/offers", {200, OffersPage(1000, 5, 5), {}, false});
        fake.Script("GET", kOfferPath,
                    {200,
                     Offer("Rower miejski", R"({"sections":[{"items":[{"type":"TEXT","content":)"
                                            R"("<h2>Stan</h2><p>Jak nowy ✔</p>"}]}]})"),
                     {},
                     false});
        // Through the window, with the real clock: nothing here waits.
        ShowWindow(session);
        Click(session, "allegroButton");
        auto* window = session.window->findChild<AllegroWindow*>();
        QVERIFY(window != nullptr);
        QTest::mouseClick(Part<QPushButton>(*window, "sendButton"), Qt::LeftButton);
        auto* dialog = window->findChild<SendToAllegroDialog*>();
        QVERIFY(dialog != nullptr && !dialog->isModal());
        QTRY_VERIFY(Part<QPushButton>(*dialog, "next")->isEnabled());
        Press(*dialog, "next");
        ChooseOffer(*dialog, QStringLiteral("1002"));

        // No unsaved changes: it fills the form at once.
        QVERIFY(!session.window->HasUnsavedChanges());
        Press(*dialog, "loadIntoForm");
        QTRY_COMPARE(session.Get<QLineEdit>("auctionHeader")->text(),
                     QStringLiteral("Rower miejski"));
        QCOMPARE(session.Get<PlainTextField>("itemDescription")->text(),
                 QStringLiteral("<!-- bez nagłówka -->\n<h2>Stan</h2>\n<p>Jak nowy &#10004;</p>"));
        QVERIFY(session.desktop.questions.empty());

        // The seller's own edit, unsaved: asked first; "Nie" keeps it, "Tak" replaces it.
        session.Get<PlainTextField>("itemDescription")->setPlainText(QStringLiteral("Mój opis"));
        QVERIFY(session.window->HasUnsavedChanges());
        Press(*dialog, "loadIntoForm");
        QTRY_COMPARE(session.desktop.questions.size(), std::size_t{1});
        QCOMPARE(session.desktop.questions[0],
                 QStringLiteral("Zastąpić bieżący opis opisem oferty?"));
        QCOMPARE(session.Get<PlainTextField>("itemDescription")->text(),
                 QStringLiteral("Mój opis"));
        session.desktop.confirmAnswers = {true};
        QTRY_VERIFY(Part<QPushButton>(*dialog, "loadIntoForm")->isEnabled());
        Press(*dialog, "loadIntoForm");
        QTRY_VERIFY(
            session.Get<PlainTextField>("itemDescription")->text().contains("<h2>Stan</h2>"));

        // Saving clears the mark; a description the project file cannot keep is refused whole.
        Click(session, "saveProjectButton");
        QVERIFY(!session.window->HasUnsavedChanges());
        const std::string longText(60'000, 'a');
        fake.Script("GET", kOfferPath,
                    {200,
                     Offer("Rower", R"({"sections":[{"items":[{"type":"TEXT","content":"<p>)" +
                                        longText + R"(</p>"}]}]})"),
                     {},
                     false});
        QTRY_VERIFY(Part<QPushButton>(*dialog, "loadIntoForm")->isEnabled());
        Press(*dialog, "loadIntoForm");
        QTRY_VERIFY2(
            Text(*dialog, "status").startsWith(QStringLiteral("Oferty 1002 nie wczytano: ")),
            qPrintable(Text(*dialog, "status")));
        QVERIFY(Text(*dialog, "status").contains(QStringLiteral("Opis przedmiotu")));
        QCOMPARE(session.Get<QLineEdit>("auctionHeader")->text(), QStringLiteral("Rower miejski"));
    }

    void aSendToAnotherItemsOfferAsksFirst() {
        FakeEnvironment allegro;  // outlives the window, whose connection it would wait for
        Session session;
        TestClock clock;
        allegro.SignedIn(clock.Now());
        auto& fake = allegro.fake;
        fake.Script("GET", "/sale/offers", {200, OffersPage(1000, 5, 5), {}, false});
        for (const auto& [id, name] :
             {std::pair{"1002", "Rower miejski damski"}, std::pair{"1003", "Czajnik elektryczny"},
              std::pair{"1004", "Rower górski"}}) {
            fake.Script("GET", std::string("/sale/product-offers/") + id,
                        {200, OfferWithId(id, name), {}, false});
            fake.Script("PATCH", std::string("/sale/product-offers/") + id, {200, "{}", {}, false});
        }
        fake.Script("POST", "/sale/images",
                    {201, "{\"location\":\"https://a.allegroimg.com/s/r.png\"}", {}, false});
        session.folder.Write(QStringLiteral("rower.png"), PngBytes());
        session.Get<QLineEdit>("auctionHeader")->setText(QStringLiteral("Rower miejski"));
        session.Get<PlainTextField>("itemDescription")
            ->setPlainText(QStringLiteral("Opis\n<img src=\"rower.png\">"));
        auto dialog = OpenDialog(session, clock);
        QTRY_VERIFY(Part<QPushButton>(*dialog, "next")->isEnabled());
        Press(*dialog, "next");
        const auto sendTo = [&](const QString& id) {
            if (!Part<QLineEdit>(*dialog, "search")->isVisible()) {
                Press(*dialog, "back");  // to the list of offers
            }
            ChooseOffer(*dialog, id);
            Press(*dialog, "next");
            QTRY_VERIFY(Part<QPushButton>(*dialog, "send")->isEnabled());
            Press(*dialog, "send");
        };

        // A kettle's offer and a bicycle's form share no word: asked, and "Nie" sends nothing.
        sendTo(QStringLiteral("1003"));
        QCOMPARE(session.desktop.questions,
                 std::vector<QString>{QStringLiteral(
                     "Opis oferty „Czajnik elektryczny” zostanie zastąpiony opisem „Rower "
                     "miejski”. Wysłać?")});
        QVERIFY(fake.Requests("POST", "/sale/images").empty());

        // The bicycle's offer: sent at once; the picture memory now knows the form's picture.
        sendTo(QStringLiteral("1002"));
        QTRY_VERIFY(Text(*dialog, "result").startsWith("Opis zaktualizowany."));
        QCOMPARE(session.desktop.questions.size(), std::size_t{1});

        // Another bicycle whose gallery holds none of the form's pictures sent before: asked.
        session.desktop.confirmAnswers = {true};
        sendTo(QStringLiteral("1004"));
        QTRY_VERIFY(Text(*dialog, "result").startsWith("Opis zaktualizowany."));
        QCOMPARE(session.desktop.questions.back(),
                 QStringLiteral("Opis oferty „Rower górski” zostanie zastąpiony opisem „Rower "
                                "miejski”. Wysłać?"));
        QCOMPARE(fake.Requests("PATCH", "/sale/product-offers/1004").size(), std::size_t{1});
    }

    void aReopenedDialogStartsCleanWithTheKeyboardOnEachStepsFirstInput() {
        FakeEnvironment allegro;  // outlives the window, whose connection it would wait for
        Session session;
        TestClock clock;
        allegro.SignedIn(clock.Now());
        auto& fake = allegro.fake;
        fake.Script("GET", "/sale/offers", {200, OffersPage(1000, 5, 5), {}, false});
        fake.Script("GET", kOfferPath, {404, "{}", {}, false});
        auto dialog = OpenDialog(session, clock);
        QTRY_VERIFY(Part<QPushButton>(*dialog, "next")->isEnabled());
        QCOMPARE(dialog->focusWidget(), Part<QWidget>(*dialog, "sandbox"));
        Press(*dialog, "next");
        auto* search = Part<QLineEdit>(*dialog, "search");
        QCOMPARE(dialog->focusWidget(), search);
        ChooseOffer(*dialog, QStringLiteral("1002"));
        QTest::keyClicks(search, QStringLiteral("Oferta"));
        Press(*dialog, "next");
        QTRY_VERIFY(Part<QPushButton>(*dialog, "back")->isEnabled());
        QVERIFY(!Text(*dialog, "status").isEmpty());  // the offer is gone: an error

        dialog->close();
        dialog->show();
        QVERIFY(search->text().isEmpty() && Text(*dialog, "status").isEmpty());
        QVERIFY(!Part<QPushButton>(*dialog, "back")->isVisible());  // the first step
        QTRY_VERIFY(Part<QPushButton>(*dialog, "next")->isEnabled());
        QCOMPARE(dialog->focusWidget(), Part<QWidget>(*dialog, "sandbox"));
    }

    // The dialog's worker: jobs in the order handed over, and a cancel that stays with the job it
    // was meant for when the next one is handed over meanwhile.
    void aSecondJobWaitsAndLeavesTheFirstOnesCancelAlone() {
        QObject receiver;
        std::atomic<bool> started{false};
        std::atomic<bool> proceed{false};
        std::vector<std::pair<int, bool>> replies;  // each job and whether it saw a cancel
        {
            AllegroWorker worker(receiver, nullptr);
            worker.Run([&](AllegroWorker::State& state) -> AllegroWorker::Reply {
                started = true;
                for (int i = 0; !proceed && i < 5000; ++i) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                return [&, cancelled = state.cancel.load()] { replies.emplace_back(1, cancelled); };
            });
            QTRY_VERIFY(started.load());
            // The seller cancels the first job, and something hands over the next at once.
            worker.Cancel();
            worker.Run([&](AllegroWorker::State& state) -> AllegroWorker::Reply {
                return [&, cancelled = state.cancel.load()] { replies.emplace_back(2, cancelled); };
            });
            proceed = true;
            QTRY_COMPARE(replies.size(), std::size_t{2});
        }
        QCOMPARE(replies, (std::vector<std::pair<int, bool>>{{1, true}, {2, false}}));
    }

    void aPictureFromTheDiskIsChosenShownAndNoted() {
        FakeEnvironment noKeys(false);
        Session session;
        session.folder.Write(QStringLiteral("kask.png"), PngBytes());
        ShowWindow(session);
        Click(session, "pictureButton");
        session.desktop.fileAnswers = {session.folder.Path(QStringLiteral("kask.png"))};
        Click(session, "choosePictureFile");
        QCOMPARE(session.Get<QLineEdit>("pictureAddress")->text(),
                 session.folder.Path(QStringLiteral("kask.png")));
        Click(session, "pictureInsertButton");
        Click(session, "allegroButton");
        auto* window = session.window->findChild<AllegroWindow*>();
        QVERIFY(window != nullptr);
        auto* preview = Part<QTextBrowser>(*window, "preview");
        QTRY_VERIFY(preview->toHtml().contains(QStringLiteral("licytek-thumbnail:1")));
        QVERIFY(!preview->document()
                     ->resource(QTextDocument::ImageResource, QUrl("licytek-thumbnail:1"))
                     .isNull());
        const auto* findings = Part<QListWidget>(*window, "findings");
        QVERIFY(!findings
                     ->findItems(QStringLiteral("zostanie wysłane do Allegro razem z opisem"),
                                 Qt::MatchContains)
                     .isEmpty());
        // Nor is it saved as JSON for other tools, where its path would mean nothing.
        session.desktop.fileAnswers = {session.folder.Path(QStringLiteral("oferta.json"))};
        QTest::mouseClick(Part<QPushButton>(*window, "saveButton"), Qt::LeftButton);
        QCOMPARE(session.desktop.errors.size(), std::size_t{1});
        QVERIFY(!QFile::exists(session.folder.Path(QStringLiteral("oferta.json"))));
        // A build without keys cannot send, and says why.
        const auto* send = Part<QPushButton>(*window, "sendButton");
        QVERIFY(!send->isEnabled());
        QVERIFY(send->toolTip().startsWith(QString::fromUtf8(publish::kNoKeysMessage.data())));
        Grab(*window, "send-0-local-picture");
    }
};

LICYTEK_WINDOW_TEST(SendToAllegroTest);

}  // namespace licytek::test

#include "SendToAllegroTest.moc"
