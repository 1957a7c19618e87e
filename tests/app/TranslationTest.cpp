// Qt's own texts come out Polish whatever the desktop's language: the colour dialog, the
// message boxes' buttons and the text fields' context menus.
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTranslator>

#include <memory>

#include "TestSupport.h"
#include "app/Translations.h"

namespace licytek::test {
namespace {

QStringList TextsOf(const QWidget& dialog) {
    QStringList texts;
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        texts << button->text();
    }
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        texts << label->text();
    }
    return texts;
}

QStringList MenuOf(QWidget& field) {
    QStringList texts;
    std::unique_ptr<QMenu> menu;
    if (auto* line = qobject_cast<QLineEdit*>(&field)) {
        menu.reset(line->createStandardContextMenu());
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(&field)) {
        menu.reset(text->createStandardContextMenu());
    }
    if (menu != nullptr) {
        for (const QAction* action : menu->actions()) {
            if (!action->isSeparator()) {
                texts << action->text().section(QLatin1Char('\t'), 0, 0);  // without the keys
            }
        }
    }
    return texts;
}

}  // namespace

class TranslationTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        // The tests run in the C locale; a desktop in English must not matter either.
        previousLocale_ = QLocale();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        translator_ = InstallPolishTranslations(*QCoreApplication::instance());
        QVERIFY2(translator_ != nullptr, "no Polish translations of Qt on this system");
    }

    void cleanup() {
        delete translator_;  // uninstalls itself
        QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
        QLocale::setDefault(previousLocale_);
    }

    void colourDialogIsQtsOwnAndPolish() {
        // The desktop's own colour dialog would speak the desktop's language.
        QVERIFY(QCoreApplication::testAttribute(Qt::AA_DontUseNativeDialogs));
        QColorDialog dialog;
        const QStringList texts = TextsOf(dialog);
        for (const char* polish : {"Anuluj", "&Kolory podstawowe", "Wła&sne kolory",
                                   "&Dodaj do własnych kolorów", "&Czerwień:"}) {
            QVERIFY2(texts.contains(QString::fromUtf8(polish)), polish);
        }
        for (const char* english : {"Cancel", "&Basic colors", "&Red:"}) {
            QVERIFY2(!texts.contains(QString::fromUtf8(english)), english);
        }
    }

    void messageBoxButtonsArePolish() {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Licytek 3.0"),
                        QStringLiteral("File not found"),
                        QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Close);
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Anuluj"));
        QCOMPARE(box.button(QMessageBox::Close)->text(), QStringLiteral("Zamknij"));
    }

    void textFieldMenusArePolish_data() {
        QTest::addColumn<QString>("field");
        QTest::newRow("line") << "auctionHeader";
        QTest::newRow("multi-line") << "itemDescription";
        QTest::newRow("list") << "fontFace";
    }
    void textFieldMenusArePolish() {
        QFETCH(QString, field);
        Session session;
        QWidget* widget = session.Get<QWidget>(field.toLatin1());
        if (auto* list = qobject_cast<QComboBox*>(widget)) {
            widget = list->lineEdit();
        }
        QCOMPARE(MenuOf(*widget), QStringList({"&Cofnij", "&Przywróć", "W&ytnij", "S&kopiuj",
                                               "&Wklej", "Usuń", "Zaznacz wszystko"}));
    }

  private:
    QTranslator* translator_ = nullptr;
    QLocale previousLocale_;
};

LICYTEK_WINDOW_TEST(TranslationTest);

}  // namespace licytek::test

#include "TranslationTest.moc"
