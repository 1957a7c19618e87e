// What every window test needs: a fake desktop, a private working folder and a window in it.
#pragma once

#include <QAbstractItemView>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWidget>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "app/CodePage.h"
#include "app/Desktop.h"
#include "app/MainWindow.h"
#include "app/PlainTextField.h"

namespace licytek::test {

// Records what the window asks of the desktop and answers the colour dialog from a queue.
class FakeDesktop final : public Desktop {
  public:
    struct Message {
        QString caption;
        QString text;
    };

    void ShowMessage(const QString& caption, const QString& text) override {
        messages.push_back({caption, text});
    }
    void ShowError(const QString& text) override { errors.push_back(text); }
    // Records the question; the answer comes from a queue, "Nie" when it is empty.
    bool Confirm(const QString&, const QString& question) override {
        questions.push_back(question);
        if (confirmAnswers.empty()) {
            return false;
        }
        const bool answer = confirmAnswers.front();
        confirmAnswers.pop_front();
        return answer;
    }
    std::optional<QColor> PickColour(const QColor& start) override {
        dialogStarts.push_back(start);
        if (colourAnswers.empty()) {
            return std::nullopt;  // the seller cancels
        }
        const auto answer = colourAnswers.front();
        colourAnswers.pop_front();
        return answer;
    }
    void CopyToClipboard(const QString& text) override { clipboard.push_back(text); }
    void PutOnClipboard(std::unique_ptr<QMimeData> data) override {
        richClipboard.push_back(std::move(data));
    }
    void Open(const QUrl& url) override { opened.push_back(url); }
    // The file dialogs record their caption and take their answers from one queue, in the
    // order asked; with the queue empty the seller cancels.
    QString AskSaveFileName(const QString& caption, const QString& defaultName,
                            const QString&) override {
        fileQuestions.push_back({caption, defaultName});
        return NextFileAnswer();
    }
    QString AskOpenFileName(const QString& caption, const QString&) override {
        fileQuestions.push_back({caption, {}});
        return NextFileAnswer();
    }
    QString AskFolder(const QString& caption) override {
        fileQuestions.push_back({caption, {}});
        return NextFileAnswer();
    }

    std::vector<Message> messages;
    std::vector<QString> errors;
    std::vector<QString> questions;
    std::deque<bool> confirmAnswers;
    std::vector<QColor> dialogStarts;
    std::deque<std::optional<QColor>> colourAnswers;
    std::vector<QString> clipboard;
    std::vector<std::unique_ptr<QMimeData>> richClipboard;
    std::vector<QUrl> opened;
    struct FileQuestion {
        QString caption;
        QString defaultName;
    };
    std::vector<FileQuestion> fileQuestions;
    std::deque<QString> fileAnswers;

  private:
    QString NextFileAnswer() {
        if (fileAnswers.empty()) {
            return {};
        }
        QString answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};

// Makes a fresh temporary folder the working folder for its lifetime.
class WorkingFolder {
  public:
    WorkingFolder() : previous_(QDir::currentPath()) {
        QVERIFY2(folder_.isValid(), "cannot create a temporary folder");
        QDir::setCurrent(folder_.path());
    }
    ~WorkingFolder() { QDir::setCurrent(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

    QString Path(const QString& name) const { return folder_.filePath(name); }

    void Write(const QString& name, const QByteArray& bytes) const {
        QFile file(Path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    QByteArray Read(const QString& name) const {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

  private:
    QString previous_;
    QTemporaryDir folder_;
};

// A window started in its own working folder, with or without a seller ID file.
struct Session {
    explicit Session(std::optional<QByteArray> sellerIdFile = QByteArray("seller", 6)) {
        if (sellerIdFile) {
            folder.Write(QStringLiteral("id.ltk"), *sellerIdFile);
        }
        window = std::make_unique<MainWindow>(desktop);
    }

    template <typename T>
    T* Get(const char* name) const {
        auto* control = window->findChild<T*>(QString::fromLatin1(name));
        if (control == nullptr) {
            qFatal("the window has no %s", name);
        }
        return control;
    }

    WorkingFolder folder;
    FakeDesktop desktop;
    std::unique_ptr<MainWindow> window;
};

// Shows the window so that clicks reach its controls the way the seller's do.
inline void ShowWindow(Session& session) {
    session.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(session.window.get()));
}

// Clicks a visible button, check box or radio button with the mouse.
inline void Click(Session& session, const char* name) {
    auto* button = session.Get<QAbstractButton>(name);
    QVERIFY2(button->isVisibleTo(session.window.get()), name);
    // a check box or radio button takes clicks on its box and caption, which start at its left
    const bool boxed = qobject_cast<QCheckBox*>(button) || qobject_cast<QRadioButton*>(button);
    const QPoint where = boxed ? QPoint(qMin(8, button->width() / 2), button->height() / 2)
                               : button->rect().center();
    QTest::mouseClick(button, Qt::LeftButton, {}, where);
}

// The seller opens the style list and clicks the item at `position`.
inline void ChooseStyle(Session& session, int position) {
    auto* list = session.Get<QComboBox>("colourStyle");
    list->showPopup();
    QAbstractItemView* view = list->view();
    QTRY_VERIFY(view->isVisible());
    const QModelIndex item = view->model()->index(position, 0);
    view->scrollTo(item);
    const QPoint where = view->visualRect(item).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, where);
    QTRY_VERIFY(!view->isVisible());
}

// A text input's value as the core reads it: Windows-1250 bytes, CR LF between lines.
inline QByteArray InputBytes(const Session& session, std::string_view name) {
    const std::string_view names[] = {name};
    const auto snapshot = session.window->Form().Snapshot(names);
    if (!std::holds_alternative<AuctionForm>(snapshot)) {
        return QByteArray("<not Windows-1250>");
    }
    return QByteArray::fromStdString(std::get<AuctionForm>(snapshot).*
                                     FindFormFieldByMember(name)->text);
}

// Types `text` into `widget` key by key, as a keyboard would, any character included (QtTest's
// own keyClicks takes ASCII only).
inline void TypeText(QWidget* widget, const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString character(text[i]);
        if (text[i].isHighSurrogate() && i + 1 < text.size()) {
            character += text[++i];
        }
        if (character == QLatin1String("\n")) {
            QTest::keyClick(widget, Qt::Key_Return);
        } else if (character.size() == 1 && character[0].unicode() < 128) {
            QTest::keyClick(widget, character[0].toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, character, Qt::NoModifier);
        }
    }
}

// The child `name` of a dialog or side window; a test that cannot find it stops at once.
template <typename T>
T* Part(QWidget& parent, const char* name) {
    auto* part = parent.findChild<T*>(QString::fromLatin1(name));
    if (part == nullptr) {
        qFatal("%s has no %s", qPrintable(parent.objectName()), name);
    }
    return part;
}

// The test classes of the window, run one by one by the test program.
using TestFactory = std::function<std::unique_ptr<QObject>()>;
std::map<std::string, TestFactory>& TestClasses();

template <typename T>
struct TestRegistration {
    explicit TestRegistration(const char* name) {
        TestClasses()[name] = [] { return std::make_unique<T>(); };
    }
};

}  // namespace licytek::test

#define LICYTEK_WINDOW_TEST(Class) \
    static const licytek::test::TestRegistration<Class> registration##Class(#Class)
