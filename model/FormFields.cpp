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
    Text("Edit2", "Nagłówek aukcji", &F::auctionHeader),
    Switch("CheckBox1", "Zadaj pytanie sprzedającemu", &F::askSellerLink),
    Text("Edit3", "Telefon", &F::phone),
    Text("Edit4", "Gadu-Gadu", &F::messengerNumber),
    Memo("Memo2", "Regulamin aukcji", &F::auctionTerms),
    Text("Edit5", "Numer konta", &F::bankAccount),
    Text("Edit6", "Koszty przesyłki 1", &F::shippingLine1),
    Text("Edit7", "Koszty przesyłki 2", &F::shippingLine2),
    Text("Edit8", "Koszty przesyłki 3", &F::shippingLine3),
    Text("Edit9", "Koszty przesyłki 4", &F::shippingLine4),
    Switch("CheckBox6", "Strona \"o mnie\"", &F::aboutMeLink),
    Switch("CheckBox7", "Inne moje aukcje", &F::otherAuctionsLink),
    Switch("CheckBox8", "Moje komentarze", &F::commentsLink),
    Switch("CheckBox9", "Dodaj do ulubionych", &F::favouritesLink),
    // Opis przedmiotu
    Text("Edit1", "Nagłówek opisu", &F::descriptionHeader),
    Memo("Memo1", "Opis przedmiotu", &F::itemDescription),
    // Kolory
    Text("Edit14", "Kolor tła", &F::pageBackground),
    Text("Edit15", "Obramowanie", &F::borderColour),
    Text("Edit16", "Wnętrze tabel", &F::tableInteriorColour),
    Text("Edit18", "Tekst nagłówków", &F::headerTextColour),
    Text("Edit19", "Tekst w tabelach", &F::tableTextColour),
    Text("Edit20", "Link aktywny", &F::activeLinkColour),
    Text("Edit21", "Link odwiedzony", &F::visitedLinkColour),
    List("ComboBox5", "Styl kolorów", &F::colourStyle, kStyleItems),
    // Dodatkowe opcje
    List("ComboBox1", "Wejście na strone", &F::pageEnterEffect, kEffectItems),
    Text("Edit10", "Czas wejścia na stronę", &F::pageEnterDuration),
    List("ComboBox2", "Wejście do witryny", &F::siteEnterEffect, kEffectItems),
    Text("Edit11", "Czas wejścia do witryny", &F::siteEnterDuration),
    List("ComboBox3", "Wyjście ze strony", &F::pageExitEffect, kEffectItems),
    Text("Edit12", "Czas wyjścia ze strony", &F::pageExitDuration),
    List("ComboBox4", "Wyjście z witryny", &F::siteExitEffect, kEffectItems),
    Text("Edit13", "Czas wyjścia z witryny", &F::siteExitDuration),
    Switch("CheckBox2", "Dodaj gradient", &F::backgroundGradient),
    Switch("CheckBox3", "Blokada pp myszki", &F::rightClickLock),
    Switch("CheckBox5", "Blokada opisu", &F::descriptionLock),
    Switch("CheckBox4", "Podświetlaj linki", &F::linkHighlight),
    // Aukcja
    Switch("RadioButton1", "Układ 1", &F::layout1, kLayout),
    Switch("RadioButton2", "Układ 2", &F::layout2, kLayout),
    Switch("RadioButton3", "Układ 3", &F::layout3, kLayout),
    Switch("RadioButton4", "Układ 4", &F::layout4, kLayout),
    Switch("RadioButton5", "Układ 5", &F::layout5, kLayout),
    Switch("RadioButton6", "Układ 6", &F::layout6, kLayout),
    Switch("RadioButton7", "Układ 7", &F::layout7, kLayout),
    Switch("RadioButton8", "Układ 8", &F::layout8, kLayout),
    // Picture panel
    Switch("RadioButton9", "Wstaw zdjęcie z serwera www", &F::pictureFromWeb,
           SwitchGroup::PictureSource),
    Switch("RadioButton10", "Wstaw zdjęcie używając galerii allegro", &F::pictureFromGallery,
           SwitchGroup::PictureSource),
    Text("Edit17", "URL do zdjęcia", &F::pictureAddress),
    Switch("CheckBox18", "Po kliknięciu otwórz:", &F::pictureOpensAddress),
    Text("Edit22", "Adres otwierany po kliknięciu", &F::pictureLinkAddress),
    Switch("CheckBox19", "Zmień rozmiar obrazka:", &F::pictureResized),
    Text("Edit23", "Szerokość", &F::pictureWidth),
    Text("Edit24", "Wysokość", &F::pictureHeight),
    // Link panel
    Text("Edit25", "Tekst linku:", &F::linkText),
    Text("Edit26", "Adres linku:", &F::linkAddress),
    // Font panel
    ListText("ComboBox9", "Czcionka", &F::fontFace),
    ListText("ComboBox8", "Rozmiar", &F::fontSize),
    Text("Edit31", "Kolor czcionki", &F::fontColour),
    // Text editor panel
    ListText("ComboBox6", "Czcionka edytora", &F::editorFontFace),
    ListText("ComboBox7", "Rozmiar czcionki edytora", &F::editorFontSize),
    Text("Edit27", "Kolor czcionki edytora", &F::editorFontColour),
    Memo("Memo3", "Tekst do sformatowania", &F::editorText),
    Switch("Panel6", "Pogrubienie", &F::editorBold),
    Switch("Panel7", "Kursywa", &F::editorItalic),
    Switch("Panel8", "Podkreślenie", &F::editorUnderline),
    Switch("Panel9", "Do lewej", &F::editorAlignLeft, kAlign),
    Switch("Panel10", "Wyśrodkuj", &F::editorAlignCentre, kAlign),
    Switch("Panel11", "Do prawej", &F::editorAlignRight, kAlign),
    Switch("Panel12", "Wyjustuj", &F::editorJustify, kAlign),
    Switch("CheckBox20", "Animuj obecnie wpisany tekst", &F::movingText),
    Switch("RadioButton13", "Przewijanie", &F::scrollingAnimation, SwitchGroup::Animation),
    Switch("RadioButton14", "Wysuwanie", &F::slidingAnimation, SwitchGroup::Animation),
    Switch("RadioButton15", "Zmiennie", &F::alternatingAnimation, SwitchGroup::Animation),
    Switch("RadioButton11", "W lewo", &F::movesLeft, SwitchGroup::Direction),
    Switch("RadioButton12", "prawo", &F::movesRight, SwitchGroup::Direction),
    Text("Edit28", "Opóźnienie", &F::movingDelay),
    Text("Edit29", "Wielkość", &F::movingStep),
    Text("Edit30", "Kolor tła ruchomego tekstu", &F::movingBackground),
    Memo("Memo4", "Gotowy kod", &F::readyCode),
    // Banner panel
    Switch("CheckBox22", "Link do bannera", &F::bannerShown),
    Text("Edit32", "Adres bannera", &F::bannerAddress),
    Switch("CheckBox21", "Link do grafiki na tło", &F::backgroundPictureShown),
    Text("Edit33", "Adres grafiki na tło", &F::backgroundPictureAddress),
    // Keywords panel
    Text("Edit34", "Tytuł aukcji", &F::pageTitle),
    Memo("Memo5", "Słowa kluczowe", &F::keywords),
    Memo("Memo8", "Krótki opis", &F::searchDescription),
    // Right-click message panel
    Text("Edit35", "Tekst blokady prawego przycisku myszy", &F::rightClickMessage),
    // Arrangement panel (layout 8)
    Switch("CheckBox23", "O sprzedającym po lewej", &F::sellerBlockLeft),
    Switch("CheckBox24", "Kontakt po lewej", &F::contactBlockLeft),
    Switch("CheckBox25", "Regulamin aukcji po lewej", &F::termsBlockLeft),
    Switch("CheckBox26", "Rachunek bankowy po lewej", &F::bankBlockLeft),
    Switch("CheckBox27", "Koszty przesyłki po lewej", &F::shippingBlockLeft),
    Switch("CheckBox32", "O sprzedającym po prawej", &F::sellerBlockRight),
    Switch("CheckBox31", "Kontakt po prawej", &F::contactBlockRight),
    Switch("CheckBox30", "Regulamin aukcji po prawej", &F::termsBlockRight),
    Switch("CheckBox29", "Rachunek bankowy po prawej", &F::bankBlockRight),
    Switch("CheckBox28", "Koszty przesyłki po prawej", &F::shippingBlockRight),
    // Seller ID panel
    Text("Edit37", "Numer ID z allegro", &F::typedSellerId),
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
