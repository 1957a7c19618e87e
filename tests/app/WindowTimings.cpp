// Times what the seller waits for, run by hand (not a test):
//   app_timings [repetitions]
// 1. start: from the program's first line to the window's first paint, the seller ID file
//    present (run it in a folder holding id.ltk, or it shows the seller ID panel as well);
// 2. generate: one click on "AUKCJA" with a 1 MB description, clipboard included;
// 3. preview: one click on the preview button with the same description, file included;
// 4. editing: a new line, a link and a text editor snippet with the same description, and a
//    whole-form snapshot beside them for comparison (the commands read only what they need).
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/PlainTextField.h"

namespace {

// The real clipboard, but no message box to wait for and no browser.
class QuietDesktop final : public licytek::Desktop {
  public:
    void ShowMessage(const QString&, const QString&) override {}
    void ShowError(const QString& text) override {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
    }
    bool Confirm(const QString&, const QString&) override { return false; }
    std::optional<QColor> PickColour(const QColor&) override { return std::nullopt; }
    void CopyToClipboard(const QString& text) override {
        QGuiApplication::clipboard()->setText(text);
    }
    void PutOnClipboard(std::unique_ptr<QMimeData> data) override {
        QGuiApplication::clipboard()->setMimeData(data.release());
    }
    void Open(const QUrl&) override {}
    QString AskSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString AskOpenFileName(const QString&, const QString&) override { return {}; }
    QString AskFolder(const QString&) override { return {}; }
};

// Records the time of the window's first paint and ends the event loop.
class FirstPaint final : public QObject {
  public:
    explicit FirstPaint(const QElapsedTimer& clock) : clock_(clock) {}
    qint64 milliseconds = -1;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && milliseconds < 0) {
            milliseconds = clock_.elapsed();
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    const QElapsedTimer& clock_;
};

// About 1 MB of Polish description in lines of markup.
QString LargeDescription() {
    const QString line = QStringLiteral(
        "<p>Zażółć gęślą jaźń – rower w bardzo dobrym stanie, prawie nowy, z dzwonkiem.</p>\n");
    QString text;
    while (text.size() < 1024 * 1024) {
        text += line;
    }
    return text;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Milliseconds of one run of `action`.
template <typename Action>
double Milliseconds(Action&& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

void TimeEditing(licytek::MainWindow& window, int repetitions) {
    auto* description =
        window.findChild<licytek::PlainTextField*>(QStringLiteral("itemDescription"));
    auto button = [&window](const char* name) {
        return window.findChild<QPushButton*>(QString::fromLatin1(name));
    };
    std::vector<double> newLine;
    std::vector<double> link;
    std::vector<double> snippet;
    std::vector<double> snapshot;
    std::vector<double> wholeText;
    const QString large = LargeDescription();
    for (int i = 0; i < repetitions; ++i) {
        wholeText.push_back(Milliseconds([&] { description->setPlainText(large); }));
        newLine.push_back(Milliseconds([&] { button("newLineButton")->click(); }));
        link.push_back(Milliseconds([&] { button("linkInsertButton")->click(); }));
        snippet.push_back(Milliseconds([&] { button("editorInsertButton")->click(); }));
        snapshot.push_back(Milliseconds([&] { (void)window.Form().Snapshot(); }));
    }
    std::printf(
        "with a 1 MB description, median: new line %.1f ms, link %.1f ms, snippet %.1f ms; "
        "whole-form snapshot %.1f ms, setting the whole description %.1f ms\n",
        Median(newLine), Median(link), Median(snippet), Median(snapshot), Median(wholeText));
}

}  // namespace

int main(int argc, char* argv[]) {
    QElapsedTimer clock;
    clock.start();
    QApplication application(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, std::stoi(argv[1])) : 10;

    QuietDesktop desktop;
    licytek::MainWindow window(desktop);
    FirstPaint firstPaint(clock);
    window.installEventFilter(&firstPaint);
    window.show();
    QApplication::exec();
    window.removeEventFilter(&firstPaint);
    std::printf("start to first paint: %lld ms\n", static_cast<long long>(firstPaint.milliseconds));

    window.findChild<licytek::PlainTextField*>(QStringLiteral("itemDescription"))
        ->setPlainText(LargeDescription());
    auto* generate = window.findChild<QPushButton*>(QStringLiteral("generateButton"));
    auto* preview = window.findChild<QToolButton*>(QStringLiteral("previewButton"));
    std::vector<double> generateTimes;
    std::vector<double> previewTimes;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer timer;
        timer.start();
        generate->click();
        generateTimes.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        preview->click();
        previewTimes.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    const auto copied = QGuiApplication::clipboard()->text().size();
    std::printf(
        "generate with a 1 MB description: median %.1f ms, slowest %.1f ms (%lld "
        "characters on the clipboard)\n",
        Median(generateTimes), *std::max_element(generateTimes.begin(), generateTimes.end()),
        static_cast<long long>(copied));
    std::printf("preview with a 1 MB description: median %.1f ms, slowest %.1f ms\n",
                Median(previewTimes), *std::max_element(previewTimes.begin(), previewTimes.end()));

    TimeEditing(window, repetitions);
    return 0;
}
