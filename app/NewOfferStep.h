// One step of "Nowa oferta na Allegro…": a widget that shows part of the offer data and puts the
// seller's choices back into it. Each step keeps the seller's texts as typed (a price "1 299,00"),
// and the dialog checks the whole data through the offer data's own reader, so that a bad value
// is named by its key exactly as on the command line.
#pragma once

#include <QPalette>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <string>
#include <vector>

#include "app/CodePage.h"
#include "offer/OfferData.h"
#include "publish/CreateAnswers.h"
#include "publish/OfferLookups.h"

class QComboBox;
class QFormLayout;
class QLabel;

namespace licytek {

class NewOfferStep : public QWidget {
    Q_OBJECT

  public:
    using QWidget::QWidget;

    virtual void Load(const offer::OfferData& values) = 0;
    virtual void Store(offer::OfferData& values) const = 0;
    // Where the focus goes when the step is shown.
    virtual QWidget* FirstField() const = 0;
    // The fields of this step that an error concerns; none when it belongs elsewhere.
    virtual std::vector<QWidget*> FieldsFor(const publish::ErrorPlace& place) const;

    // Marks the field and shows the words beside it, until ClearMarks.
    void MarkField(QWidget* field, const QString& words);
    void ClearMarks();
    // Shows the field (scrolled into view) with the focus on it.
    static void FocusField(QWidget* field);

  private:
    struct Mark {
        QPointer<QWidget> field;
        QPointer<QLabel> words;
        QPointer<QFormLayout> form;  // the form the words have a row in, if any
        QPalette palette;
        QString description;
    };
    std::vector<Mark> marks_;
};

// The field among `fields` whose offer data key is the place's.
struct KeyedField {
    offer::OfferKey key;
    QWidget* field;
};
std::vector<QWidget*> FieldsWithKey(std::initializer_list<KeyedField> fields,
                                    const publish::ErrorPlace& place);

// The field's text without blanks at the ends, as UTF-8.
std::string ToUtf8(const QString& text);

// A label that shows text as it is (never as markup) and wraps.
QLabel* WrappedLabel(const QString& text, QWidget* parent);

// Fills a list with the seller's own settings (their names, or their ids when nameless). The
// entry named or numbered `chosen` is selected; otherwise, when `preselect`, the only one or the
// one named "default", as Allegro itself would take; otherwise the empty entry "—" at the top.
void FillSettings(QComboBox& list, const std::vector<publish::NamedSetting>& settings,
                  const std::string& chosen, bool preselect);
// The chosen entry's name (its id when nameless), or "" for none.
std::string ChosenSetting(const QComboBox& list);

}  // namespace licytek
