#include "model/FormFields.h"

#include <algorithm>
#include <array>

#include "model/Lists.h"

namespace licytek {
namespace {

using F = AuctionForm;

constexpr FormField Text(std::string_view name, std::string_view label, std::string F::*member) {
    return {name, FieldKind::Text, label, member};
}
constexpr FormField Memo(std::string_view name, std::string_view label, std::string F::*member) {
    return {name, FieldKind::MultiLineText, label, member};
}
constexpr FormField ListText(std::string_view name, std::string_view label,
                             std::string F::*member) {
    return {name, FieldKind::ListText, label, member};
}
constexpr FormField Switch(std::string_view name, std::string_view label, bool F::*member,
                           SwitchGroup group = SwitchGroup::None) {
    return {name, FieldKind::Switch, label, nullptr, member, nullptr, group};
}
constexpr FormField List(std::string_view name, std::string_view label, int F::*member,
                         std::span<const std::string_view> items) {
    return {name,
            FieldKind::ListPosition,
            label,
            nullptr,
            nullptr,
            member,
            SwitchGroup::None,
            static_cast<int>(items.size()),
            items};
}

constexpr auto kLayout = SwitchGroup::Layout;
constexpr auto kAlign = SwitchGroup::Alignment;

const std::array kFields = {
    // Informacje niezbędne
    Text("Edit2", "Nagłówek aukcji", &F::Edit2),
    Switch("CheckBox1", "Zadaj pytanie sprzedającemu", &F::CheckBox1),
    Text("Edit3", "Telefon", &F::Edit3),
    Text("Edit4", "Gadu-Gadu", &F::Edit4),
    Memo("Memo2", "Regulamin aukcji", &F::Memo2),
    Text("Edit5", "Numer konta", &F::Edit5),
    Text("Edit6", "Koszty przesyłki 1", &F::Edit6),
    Text("Edit7", "Koszty przesyłki 2", &F::Edit7),
    Text("Edit8", "Koszty przesyłki 3", &F::Edit8),
    Text("Edit9", "Koszty przesyłki 4", &F::Edit9),
    Switch("CheckBox6", "Strona \"o mnie\"", &F::CheckBox6),
    Switch("CheckBox7", "Inne moje aukcje", &F::CheckBox7),
    Switch("CheckBox8", "Moje komentarze", &F::CheckBox8),
    Switch("CheckBox9", "Dodaj do ulubionych", &F::CheckBox9),
    // Opis przedmiotu
    Text("Edit1", "Nagłówek opisu", &F::Edit1),
    Memo("Memo1", "Opis przedmiotu", &F::Memo1),
    // Kolory
    Text("Edit14", "Kolor tła", &F::Edit14),
    Text("Edit15", "Obramowanie", &F::Edit15),
    Text("Edit16", "Wnętrze tabel", &F::Edit16),
    Text("Edit18", "Tekst nagłówków", &F::Edit18),
    Text("Edit19", "Tekst w tabelach", &F::Edit19),
    Text("Edit20", "Link aktywny", &F::Edit20),
    Text("Edit21", "Link odwiedzony", &F::Edit21),
    List("ComboBox5", "Styl kolorów", &F::ComboBox5, kStyleItems),
    // Dodatkowe opcje
    List("ComboBox1", "Wejście na strone", &F::ComboBox1, kEffectItems),
    Text("Edit10", "Czas wejścia na stronę", &F::Edit10),
    List("ComboBox2", "Wejście do witryny", &F::ComboBox2, kEffectItems),
    Text("Edit11", "Czas wejścia do witryny", &F::Edit11),
    List("ComboBox3", "Wyjście ze strony", &F::ComboBox3, kEffectItems),
    Text("Edit12", "Czas wyjścia ze strony", &F::Edit12),
    List("ComboBox4", "Wyjście z witryny", &F::ComboBox4, kEffectItems),
    Text("Edit13", "Czas wyjścia z witryny", &F::Edit13),
    Switch("CheckBox2", "Dodaj gradient", &F::CheckBox2),
    Switch("CheckBox3", "Blokada pp myszki", &F::CheckBox3),
    Switch("CheckBox5", "Blokada opisu", &F::CheckBox5),
    Switch("CheckBox4", "Podświetlaj linki", &F::CheckBox4),
    // Aukcja
    Switch("RadioButton1", "Układ 1", &F::RadioButton1, kLayout),
    Switch("RadioButton2", "Układ 2", &F::RadioButton2, kLayout),
    Switch("RadioButton3", "Układ 3", &F::RadioButton3, kLayout),
    Switch("RadioButton4", "Układ 4", &F::RadioButton4, kLayout),
    Switch("RadioButton5", "Układ 5", &F::RadioButton5, kLayout),
    Switch("RadioButton6", "Układ 6", &F::RadioButton6, kLayout),
    Switch("RadioButton7", "Układ 7", &F::RadioButton7, kLayout),
    Switch("RadioButton8", "Układ 8", &F::RadioButton8, kLayout),
    // Picture panel
    Switch("RadioButton9", "Wstaw zdjęcie z serwera www", &F::RadioButton9,
           SwitchGroup::PictureSource),
    Switch("RadioButton10", "Wstaw zdjęcie używając galerii allegro", &F::RadioButton10,
           SwitchGroup::PictureSource),
    Text("Edit17", "URL do zdjęcia", &F::Edit17),
    Switch("CheckBox18", "Po kliknięciu otwórz:", &F::CheckBox18),
    Text("Edit22", "Adres otwierany po kliknięciu", &F::Edit22),
    Switch("CheckBox19", "Zmień rozmiar obrazka:", &F::CheckBox19),
    Text("Edit23", "Szerokość", &F::Edit23),
    Text("Edit24", "Wysokość", &F::Edit24),
    // Link panel
    Text("Edit25", "Tekst linku:", &F::Edit25),
    Text("Edit26", "Adres linku:", &F::Edit26),
    // Font panel
    ListText("ComboBox9", "Czcionka", &F::ComboBox9),
    ListText("ComboBox8", "Rozmiar", &F::ComboBox8),
    Text("Edit31", "Kolor czcionki", &F::Edit31),
    // Text editor panel
    ListText("ComboBox6", "Czcionka edytora", &F::ComboBox6),
    ListText("ComboBox7", "Rozmiar czcionki edytora", &F::ComboBox7),
    Text("Edit27", "Kolor czcionki edytora", &F::Edit27),
    Memo("Memo3", "Tekst do sformatowania", &F::Memo3),
    Switch("Panel6", "Pogrubienie", &F::Panel6),
    Switch("Panel7", "Kursywa", &F::Panel7),
    Switch("Panel8", "Podkreślenie", &F::Panel8),
    Switch("Panel9", "Do lewej", &F::Panel9, kAlign),
    Switch("Panel10", "Wyśrodkuj", &F::Panel10, kAlign),
    Switch("Panel11", "Do prawej", &F::Panel11, kAlign),
    Switch("Panel12", "Wyjustuj", &F::Panel12, kAlign),
    Switch("CheckBox20", "Animuj obecnie wpisany tekst", &F::CheckBox20),
    Switch("RadioButton13", "Przewijanie", &F::RadioButton13, SwitchGroup::Animation),
    Switch("RadioButton14", "Wysuwanie", &F::RadioButton14, SwitchGroup::Animation),
    Switch("RadioButton15", "Zmiennie", &F::RadioButton15, SwitchGroup::Animation),
    Switch("RadioButton11", "W lewo", &F::RadioButton11, SwitchGroup::Direction),
    Switch("RadioButton12", "prawo", &F::RadioButton12, SwitchGroup::Direction),
    Text("Edit28", "Opóźnienie", &F::Edit28),
    Text("Edit29", "Wielkość", &F::Edit29),
    Text("Edit30", "Kolor tła ruchomego tekstu", &F::Edit30),
    Memo("Memo4", "Gotowy kod", &F::Memo4),
    // Banner panel
    Switch("CheckBox22", "Link do bannera", &F::CheckBox22),
    Text("Edit32", "Adres bannera", &F::Edit32),
    Switch("CheckBox21", "Link do grafiki na tło", &F::CheckBox21),
    Text("Edit33", "Adres grafiki na tło", &F::Edit33),
    // Keywords panel
    Text("Edit34", "Tytuł aukcji", &F::Edit34),
    Memo("Memo5", "Słowa kluczowe", &F::Memo5),
    Memo("Memo8", "Krótki opis", &F::Memo8),
    // Right-click message panel
    Text("Edit35", "Tekst blokady prawego przycisku myszy", &F::Edit35),
    // Arrangement panel (layout 8)
    Switch("CheckBox23", "O sprzedającym po lewej", &F::CheckBox23),
    Switch("CheckBox24", "Kontakt po lewej", &F::CheckBox24),
    Switch("CheckBox25", "Regulamin aukcji po lewej", &F::CheckBox25),
    Switch("CheckBox26", "Rachunek bankowy po lewej", &F::CheckBox26),
    Switch("CheckBox27", "Koszty przesyłki po lewej", &F::CheckBox27),
    Switch("CheckBox32", "O sprzedającym po prawej", &F::CheckBox32),
    Switch("CheckBox31", "Kontakt po prawej", &F::CheckBox31),
    Switch("CheckBox30", "Regulamin aukcji po prawej", &F::CheckBox30),
    Switch("CheckBox29", "Rachunek bankowy po prawej", &F::CheckBox29),
    Switch("CheckBox28", "Koszty przesyłki po prawej", &F::CheckBox28),
    // Seller ID panel
    Text("Edit37", "Numer ID z allegro", &F::Edit37),
};

}  // namespace

std::span<const FormField> FormFields() {
    return kFields;
}

const FormField* FindFormField(std::string_view name) {
    const auto it = std::find_if(kFields.begin(), kFields.end(),
                                 [name](const FormField& field) { return field.name == name; });
    return it == kFields.end() ? nullptr : &*it;
}

}  // namespace licytek
