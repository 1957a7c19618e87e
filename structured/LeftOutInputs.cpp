#include "structured/LeftOutInputs.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <string>
#include <string_view>

#include "model/CaseFold.h"
#include "model/FormFields.h"

namespace licytek::structured {
namespace {

constexpr std::string_view kAboutSeller = "zakładce „O sprzedającym”";
constexpr std::string_view kDelivery = "zakładce „Dostawa i płatność”";

// Whether the input differs from its value in a fresh form: a text filled or changed, a
// switch turned, a list position chosen.
bool IsChanged(const AuctionForm& form, std::string_view control) {
    static const AuctionForm kFresh;
    const FormField* field = FindFormField(control);
    if (field == nullptr) {
        return false;
    }
    if (IsTextKind(field->kind)) {
        const std::string& value = form.*field->text;
        const std::string& fresh = kFresh.*field->text;
        // A colour written in small letters is the same colour.
        return value.size() != fresh.size() ||
               !std::equal(value.begin(), value.end(), fresh.begin(),
                           [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
    }
    if (field->kind == FieldKind::Switch) {
        return form.*field->flag != kFresh.*field->flag;
    }
    return form.*field->position != kFresh.*field->position;
}

// A message that names its input itself, so that no label is put before it.
struct NamingMessage {
    std::string text;
};

class LeftOutList {
  public:
    explicit LeftOutList(const AuctionForm& form) : form_(form) {}

    // One warning, on the first changed input of `controls`, when any of them is changed.
    void Add(std::initializer_list<std::string_view> controls, std::string message) {
        Add(controls, std::move(message), false);
    }

    // The same for a message that begins with its inputs' name.
    void Add(std::initializer_list<std::string_view> controls, NamingMessage message) {
        Add(controls, std::move(message.text), true);
    }

    // One warning on `control`, unless it is empty.
    void AddOn(std::string_view control, std::string message) {
        if (!control.empty()) {
            findings_.push_back({Severity::Warning, std::string(control), std::move(message)});
        }
    }

    std::vector<Finding> Take() { return std::move(findings_); }

  private:
    void Add(std::initializer_list<std::string_view> controls, std::string message,
             bool namesInput) {
        for (const std::string_view control : controls) {
            if (IsChanged(form_, control)) {
                findings_.push_back(
                    {Severity::Warning, std::string(control), std::move(message), namesInput});
                return;
            }
        }
    }

    const AuctionForm& form_;
    std::vector<Finding> findings_;
};

// The layout switch that is on, when it is not the first layout.
std::string_view ChosenLayout(const AuctionForm& form) {
    constexpr std::string_view kLayouts[] = {"RadioButton2", "RadioButton3", "RadioButton4",
                                             "RadioButton5", "RadioButton6", "RadioButton7",
                                             "RadioButton8"};
    for (const std::string_view layout : kLayouts) {
        if (IsChanged(form, layout)) {
            return layout;
        }
    }
    return {};
}

// The first effect list with an effect chosen. Its first item, "Brak efektu", is no effect,
// just as no choice at all.
std::string_view ChosenEffect(const AuctionForm& form) {
    constexpr int kNoEffectItem = 0;
    for (const std::string_view list : {"ComboBox1", "ComboBox2", "ComboBox3", "ComboBox4"}) {
        if (form.*FindFormField(list)->position > kNoEffectItem) {
            return list;
        }
    }
    return {};
}

NamingMessage Belongs(std::string_view what, std::string_view where) {
    return {std::string(what) + " nie trafia do opisu: " + std::string(where)};
}

}  // namespace

std::vector<Finding> LeftOutInputs(const AuctionForm& form, const ExportOptions& options) {
    LeftOutList list(form);
    const std::string contact =
        "Allegro nie pozwala na dane kontaktowe w opisie; kupujący "
        "kontaktuje się przez Allegro, w " +
        std::string(kAboutSeller) + ".";
    list.Add({"CheckBox1"}, Belongs("Link „Zadaj pytanie sprzedającemu”",
                                    "Allegro samo daje kupującym pytanie do sprzedającego, w " +
                                        std::string(kAboutSeller) + "."));
    list.Add({"Edit3"}, Belongs("Telefon", contact));
    list.Add({"Edit4"}, Belongs("Numer Gadu-Gadu", contact));
    list.Add({"Edit5"}, Belongs("Numer konta",
                                "Allegro usuwa numery kont z ofert; płatności "
                                "ustawiasz w " +
                                    std::string(kDelivery) + "."));
    list.Add({"CheckBox6", "CheckBox7", "CheckBox8", "CheckBox9"},
             "Linki do strony „o mnie”, innych aukcji, komentarzy i ulubionych nie trafiają do "
             "opisu: Allegro nie pozwala na linki w opisie i pokazuje je samo, w " +
                 std::string(kAboutSeller) + ".");
    if (!options.withTerms) {
        list.Add({"Memo2"}, Belongs("Regulamin aukcji",
                                    "warunki zwrotów i reklamacji ustawiasz w zakładce „Zwroty” "
                                    "(albo dołącz regulamin i koszty przesyłki do opisu)."));
        list.Add({"Edit6", "Edit7", "Edit8", "Edit9"},
                 NamingMessage{"Koszty przesyłki nie trafiają do opisu: Allegro pokazuje je z "
                               "cennika dostaw, w " +
                               std::string(kDelivery) + "."});
    }
    list.Add({"ComboBox5", "Edit14", "Edit15", "Edit16", "Edit18", "Edit19", "Edit20", "Edit21",
              "CheckBox2", "CheckBox4"},
             "Kolory i styl strony (tło, gradient, podświetlanie linków) nie trafiają do opisu: "
             "Allegro pokazuje każdą ofertę we własnym wyglądzie.");
    list.AddOn(ChosenEffect(form),
               "Efekty wejścia i wyjścia nie trafiają do opisu: Allegro nie pozwala na efekty ani "
               "skrypty w opisie.");
    list.Add({"CheckBox3", "CheckBox5"},
             "Blokady prawego przycisku myszy i opisu nie trafiają do opisu: Allegro nie pozwala "
             "na skrypty w opisie.");
    list.Add({"CheckBox22"}, Belongs("Banner",
                                     "Allegro przyjmuje w opisie tylko tekst i zdjęcia "
                                     "w sekcjach; zdjęcie przedmiotu wstaw do opisu."));
    list.Add({"CheckBox21"}, Belongs("Grafika na tło", "Allegro nie pozwala zmieniać tła oferty."));
    list.Add({"Edit34", "Memo5", "Memo8"},
             "Tytuł strony, słowa kluczowe i krótki opis z panelu „Słowa kluczowe” nie trafiają "
             "do opisu: Allegro szuka po tytule oferty i parametrach z formularza oferty.");
    std::vector<Finding> findings = list.Take();
    if (const std::string_view layout = ChosenLayout(form); !layout.empty()) {
        findings.push_back({Severity::Warning, std::string(layout),
                            "Układ strony nie trafia do opisu: Allegro układa opis w sekcjach, "
                            "jedną pod drugą.",
                            true});
    }
    return findings;
}

}  // namespace licytek::structured
