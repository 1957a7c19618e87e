#include "model/FormFields.h"

#include <algorithm>
#include <array>

#include "model/Lists.h"
#include "model/Text.h"

namespace licytek {
namespace {

using F = AuctionForm;

// Each row: the control name, the member's name, the label, the member.
constexpr FormField Text(std::string_view name, std::string_view memberName, std::string_view label,
                         std::string F::*member) {
    return {name, memberName, FieldKind::Text, label, member};
}
constexpr FormField Memo(std::string_view name, std::string_view memberName, std::string_view label,
                         std::string F::*member) {
    return {name, memberName, FieldKind::MultiLineText, label, member};
}
constexpr FormField ListText(std::string_view name, std::string_view memberName,
                             std::string_view label, std::string F::*member) {
    return {name, memberName, FieldKind::ListText, label, member};
}
constexpr FormField Switch(std::string_view name, std::string_view memberName,
                           std::string_view label, bool F::*member,
                           SwitchGroup group = SwitchGroup::None) {
    return {name, memberName, FieldKind::Switch, label, nullptr, member, nullptr, group};
}
constexpr FormField List(std::string_view name, std::string_view memberName, std::string_view label,
                         int F::*member, std::span<const std::string_view> items) {
    return {name,   memberName,        FieldKind::ListPosition,        label, nullptr, nullptr,
            member, SwitchGroup::None, static_cast<int>(items.size()), items};
}

// The page shows this input's text as HTML text.
constexpr FormField Html(FormField field) {
    field.htmlText = true;
    return field;
}

constexpr auto kLayout = SwitchGroup::Layout;
constexpr auto kAlign = SwitchGroup::Alignment;

const std::array kFields = {
    // Informacje niezbędne
    Html(Text("Edit2", "auctionHeader", "Nagłówek aukcji", &F::auctionHeader)),
    Switch("CheckBox1", "askSellerLink", "Zadaj pytanie sprzedającemu", &F::askSellerLink),
    Html(Text("Edit3", "phone", "Telefon", &F::phone)),
    Text("Edit4", "messengerNumber", "Gadu-Gadu", &F::messengerNumber),
    Html(Memo("Memo2", "auctionTerms", "Regulamin aukcji", &F::auctionTerms)),
    Html(Text("Edit5", "bankAccount", "Numer konta", &F::bankAccount)),
    Html(Text("Edit6", "shippingLine1", "Koszty przesyłki 1", &F::shippingLine1)),
    Html(Text("Edit7", "shippingLine2", "Koszty przesyłki 2", &F::shippingLine2)),
    Html(Text("Edit8", "shippingLine3", "Koszty przesyłki 3", &F::shippingLine3)),
    Html(Text("Edit9", "shippingLine4", "Koszty przesyłki 4", &F::shippingLine4)),
    Switch("CheckBox6", "aboutMeLink", "Strona \"o mnie\"", &F::aboutMeLink),
    Switch("CheckBox7", "otherAuctionsLink", "Inne moje aukcje", &F::otherAuctionsLink),
    Switch("CheckBox8", "commentsLink", "Moje komentarze", &F::commentsLink),
    Switch("CheckBox9", "favouritesLink", "Dodaj do ulubionych", &F::favouritesLink),
    // Opis przedmiotu
    Html(Text("Edit1", "descriptionHeader", "Nagłówek opisu", &F::descriptionHeader)),
    Html(Memo("Memo1", "itemDescription", "Opis przedmiotu", &F::itemDescription)),
    // Kolory
    Text("Edit14", "pageBackground", "Kolor tła", &F::pageBackground),
    Text("Edit15", "borderColour", "Obramowanie", &F::borderColour),
    Text("Edit16", "tableInteriorColour", "Wnętrze tabel", &F::tableInteriorColour),
    Text("Edit18", "headerTextColour", "Tekst nagłówków", &F::headerTextColour),
    Text("Edit19", "tableTextColour", "Tekst w tabelach", &F::tableTextColour),
    Text("Edit20", "activeLinkColour", "Link aktywny", &F::activeLinkColour),
    Text("Edit21", "visitedLinkColour", "Link odwiedzony", &F::visitedLinkColour),
    List("ComboBox5", "colourStyle", "Styl kolorów", &F::colourStyle, kStyleItems),
    // Dodatkowe opcje
    List("ComboBox1", "pageEnterEffect", "Wejście na strone", &F::pageEnterEffect, kEffectItems),
    Text("Edit10", "pageEnterDuration", "Czas wejścia na stronę", &F::pageEnterDuration),
    List("ComboBox2", "siteEnterEffect", "Wejście do witryny", &F::siteEnterEffect, kEffectItems),
    Text("Edit11", "siteEnterDuration", "Czas wejścia do witryny", &F::siteEnterDuration),
    List("ComboBox3", "pageExitEffect", "Wyjście ze strony", &F::pageExitEffect, kEffectItems),
    Text("Edit12", "pageExitDuration", "Czas wyjścia ze strony", &F::pageExitDuration),
    List("ComboBox4", "siteExitEffect", "Wyjście z witryny", &F::siteExitEffect, kEffectItems),
    Text("Edit13", "siteExitDuration", "Czas wyjścia z witryny", &F::siteExitDuration),
    Switch("CheckBox2", "backgroundGradient", "Dodaj gradient", &F::backgroundGradient),
    Switch("CheckBox3", "rightClickLock", "Blokada pp myszki", &F::rightClickLock),
    Switch("CheckBox5", "descriptionLock", "Blokada opisu", &F::descriptionLock),
    Switch("CheckBox4", "linkHighlight", "Podświetlaj linki", &F::linkHighlight),
    // Aukcja
    Switch("RadioButton1", "layout1", "Układ 1", &F::layout1, kLayout),
    Switch("RadioButton2", "layout2", "Układ 2", &F::layout2, kLayout),
    Switch("RadioButton3", "layout3", "Układ 3", &F::layout3, kLayout),
    Switch("RadioButton4", "layout4", "Układ 4", &F::layout4, kLayout),
    Switch("RadioButton5", "layout5", "Układ 5", &F::layout5, kLayout),
    Switch("RadioButton6", "layout6", "Układ 6", &F::layout6, kLayout),
    Switch("RadioButton7", "layout7", "Układ 7", &F::layout7, kLayout),
    Switch("RadioButton8", "layout8", "Układ 8", &F::layout8, kLayout),
    // Picture panel
    Switch("RadioButton9", "pictureFromWeb", "Wstaw zdjęcie z serwera www", &F::pictureFromWeb,
           SwitchGroup::PictureSource),
    Switch("RadioButton10", "pictureFromGallery", "Wstaw zdjęcie używając galerii allegro",
           &F::pictureFromGallery, SwitchGroup::PictureSource),
    Text("Edit17", "pictureAddress", "URL do zdjęcia", &F::pictureAddress),
    Switch("CheckBox18", "pictureOpensAddress", "Po kliknięciu otwórz:", &F::pictureOpensAddress),
    Text("Edit22", "pictureLinkAddress", "Adres otwierany po kliknięciu", &F::pictureLinkAddress),
    Switch("CheckBox19", "pictureResized", "Zmień rozmiar obrazka:", &F::pictureResized),
    Text("Edit23", "pictureWidth", "Szerokość", &F::pictureWidth),
    Text("Edit24", "pictureHeight", "Wysokość", &F::pictureHeight),
    // Link panel
    Html(Text("Edit25", "linkText", "Tekst linku:", &F::linkText)),
    Text("Edit26", "linkAddress", "Adres linku:", &F::linkAddress),
    // Font panel
    ListText("ComboBox9", "fontFace", "Czcionka", &F::fontFace),
    ListText("ComboBox8", "fontSize", "Rozmiar", &F::fontSize),
    Text("Edit31", "fontColour", "Kolor czcionki", &F::fontColour),
    // Text editor panel
    ListText("ComboBox6", "editorFontFace", "Czcionka edytora", &F::editorFontFace),
    ListText("ComboBox7", "editorFontSize", "Rozmiar czcionki edytora", &F::editorFontSize),
    Text("Edit27", "editorFontColour", "Kolor czcionki edytora", &F::editorFontColour),
    Html(Memo("Memo3", "editorText", "Tekst do sformatowania", &F::editorText)),
    Switch("Panel6", "editorBold", "Pogrubienie", &F::editorBold),
    Switch("Panel7", "editorItalic", "Kursywa", &F::editorItalic),
    Switch("Panel8", "editorUnderline", "Podkreślenie", &F::editorUnderline),
    Switch("Panel9", "editorAlignLeft", "Do lewej", &F::editorAlignLeft, kAlign),
    Switch("Panel10", "editorAlignCentre", "Wyśrodkuj", &F::editorAlignCentre, kAlign),
    Switch("Panel11", "editorAlignRight", "Do prawej", &F::editorAlignRight, kAlign),
    Switch("Panel12", "editorJustify", "Wyjustuj", &F::editorJustify, kAlign),
    Switch("CheckBox20", "movingText", "Animuj obecnie wpisany tekst", &F::movingText),
    Switch("RadioButton13", "scrollingAnimation", "Przewijanie", &F::scrollingAnimation,
           SwitchGroup::Animation),
    Switch("RadioButton14", "slidingAnimation", "Wysuwanie", &F::slidingAnimation,
           SwitchGroup::Animation),
    Switch("RadioButton15", "alternatingAnimation", "Zmiennie", &F::alternatingAnimation,
           SwitchGroup::Animation),
    Switch("RadioButton11", "movesLeft", "W lewo", &F::movesLeft, SwitchGroup::Direction),
    Switch("RadioButton12", "movesRight", "prawo", &F::movesRight, SwitchGroup::Direction),
    Text("Edit28", "movingDelay", "Opóźnienie", &F::movingDelay),
    Text("Edit29", "movingStep", "Wielkość", &F::movingStep),
    Text("Edit30", "movingBackground", "Kolor tła ruchomego tekstu", &F::movingBackground),
    Html(Memo("Memo4", "readyCode", "Gotowy kod", &F::readyCode)),
    // Banner panel
    Switch("CheckBox22", "bannerShown", "Link do bannera", &F::bannerShown),
    Text("Edit32", "bannerAddress", "Adres bannera", &F::bannerAddress),
    Switch("CheckBox21", "backgroundPictureShown", "Link do grafiki na tło",
           &F::backgroundPictureShown),
    Text("Edit33", "backgroundPictureAddress", "Adres grafiki na tło",
         &F::backgroundPictureAddress),
    // Keywords panel
    Html(Text("Edit34", "pageTitle", "Tytuł aukcji", &F::pageTitle)),
    Memo("Memo5", "keywords", "Słowa kluczowe", &F::keywords),
    Memo("Memo8", "searchDescription", "Krótki opis", &F::searchDescription),
    // Right-click message panel
    Text("Edit35", "rightClickMessage", "Tekst blokady prawego przycisku myszy",
         &F::rightClickMessage),
    // Arrangement panel (layout 8)
    Switch("CheckBox23", "sellerBlockLeft", "O sprzedającym po lewej", &F::sellerBlockLeft),
    Switch("CheckBox24", "contactBlockLeft", "Kontakt po lewej", &F::contactBlockLeft),
    Switch("CheckBox25", "termsBlockLeft", "Regulamin aukcji po lewej", &F::termsBlockLeft),
    Switch("CheckBox26", "bankBlockLeft", "Rachunek bankowy po lewej", &F::bankBlockLeft),
    Switch("CheckBox27", "shippingBlockLeft", "Koszty przesyłki po lewej", &F::shippingBlockLeft),
    Switch("CheckBox32", "sellerBlockRight", "O sprzedającym po prawej", &F::sellerBlockRight),
    Switch("CheckBox31", "contactBlockRight", "Kontakt po prawej", &F::contactBlockRight),
    Switch("CheckBox30", "termsBlockRight", "Regulamin aukcji po prawej", &F::termsBlockRight),
    Switch("CheckBox29", "bankBlockRight", "Rachunek bankowy po prawej", &F::bankBlockRight),
    Switch("CheckBox28", "shippingBlockRight", "Koszty przesyłki po prawej",
           &F::shippingBlockRight),
    // Seller ID panel
    Text("Edit37", "typedSellerId", "Numer ID z allegro", &F::typedSellerId),
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

std::string_view InputLabel(std::string_view name) {
    const FormField* field = FindFormField(name);
    return field != nullptr ? field->label : name;
}

const FormField* FindFormFieldByMember(std::string_view member) {
    const auto it = std::find_if(kFields.begin(), kFields.end(), [member](const FormField& field) {
        return field.member == member;
    });
    return it == kFields.end() ? nullptr : &*it;
}

std::optional<std::string> FieldTextFromUtf8(const FormField& field, std::string_view utf8,
                                             std::size_t* badOffset) {
    return field.htmlText ? Utf8ToCp1250WithReferences(utf8, badOffset)
                          : Utf8ToCp1250(utf8, badOffset);
}

}  // namespace licytek
