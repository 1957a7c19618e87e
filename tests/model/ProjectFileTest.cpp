#include "model/ProjectFile.h"

#include <gtest/gtest.h>

#include <string>

#include "model/FormFields.h"
#include "support/TempDir.h"

namespace licytek {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::string Encoded(const AuctionForm& form) {
    auto result = EncodeProject(form);
    if (auto* refusal = std::get_if<SlotOverflow>(&result)) {
        ADD_FAILURE() << refusal->Message();
        return {};
    }
    return std::get<std::string>(result);
}

AuctionForm Decoded(std::string_view record, AuctionForm form = {}) {
    DecodeProject(record, form);
    return form;
}

void Put(std::string& record, std::size_t offset, std::string_view bytes) {
    record.replace(offset, bytes.size(), bytes);
}

// --- The record's layout ---

// The byte range in which two records differ, as [first, last + 1).
std::pair<std::size_t, std::size_t> DifferingRange(const std::string& a, const std::string& b) {
    std::size_t first = 0;
    while (first < a.size() && a[first] == b[first]) {
        ++first;
    }
    std::size_t end = a.size();
    while (end > first && a[end - 1] == b[end - 1]) {
        --end;
    }
    return {first, end};
}

AuctionForm NothingChosen() {
    AuctionForm form;
    form.layout1 = false;
    return form;
}

TEST(EncodeProject, PutsEachKindOfInputAtItsOffsetAndZerosTheRest) {
    AuctionForm form;
    form.auctionHeader = "Rower";
    form.askSellerLink = true;
    form.auctionTerms = "a\r\nb";
    form.visitedLinkColour = "red";
    form.pageEnterEffect = 25;
    form.layout1 = false;
    form.layout8 = true;
    form.itemDescription = "opis";
    form.pageEnterDuration = "9.9";  // not saved
    form.typedSellerId = "id";       // not saved

    std::string expected(60000, '\0');
    Put(expected, 0, "Rower");
    Put(expected, 98, "\xFF");
    Put(expected, 199, "a\r\nb");
    Put(expected, 3299, "#FFFFFF");  // the default colours
    Put(expected, 3399, "#000000");
    Put(expected, 3499, "#FFFFFF");
    Put(expected, 3599, "#FFFFFF");
    Put(expected, 3699, "#000000");
    Put(expected, 3799, "#000000");
    Put(expected, 3899, "red");
    Put(expected, 3999, "\xFF");  // no style chosen
    Put(expected, 4009, "\x19");
    Put(expected, 4019, "\xFF");
    Put(expected, 4029, "\xFF");
    Put(expected, 4039, "\xFF");
    Put(expected, 5069, "\xFF");
    Put(expected, 7999, "opis");

    const std::string record = Encoded(form);
    ASSERT_EQ(record.size(), 60000u);
    EXPECT_EQ(DifferingRange(record, expected).first, 60000u) << "the first differing byte";
}

TEST(EncodeProject, StoresEachTextInItsOwnSlotUpToItsLimitAndRefusesMore) {
    struct Case {
        std::string_view control;
        std::size_t offset;
        std::size_t limit;
    };
    const Case cases[] = {
        {"Edit2", 0, 98},       {"Edit3", 99, 50},     {"Edit4", 149, 50},    {"Memo2", 199, 2500},
        {"Edit5", 2699, 100},   {"Edit6", 2799, 100},  {"Edit7", 2899, 100},  {"Edit8", 2999, 100},
        {"Edit9", 3099, 96},    {"Edit1", 3199, 100},  {"Edit14", 3299, 100}, {"Edit15", 3399, 100},
        {"Edit16", 3499, 100},  {"Edit18", 3599, 100}, {"Edit19", 3699, 100}, {"Edit20", 3799, 100},
        {"Edit21", 3899, 100},  {"Edit34", 5099, 900}, {"Memo5", 5999, 1000}, {"Memo8", 6999, 1000},
        {"Memo1", 7999, 52001},
    };
    const std::string empty = Encoded(NothingChosen());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        const FormField& field = *FindFormField(c.control);
        AuctionForm form = NothingChosen();
        form.*field.text = std::string(c.limit, '~');
        const std::string record = Encoded(form);
        EXPECT_EQ(DifferingRange(record, empty), std::pair(c.offset, c.offset + c.limit));
        EXPECT_EQ(Decoded(record).*field.text, form.*field.text);

        form.*field.text += '~';
        const auto refused = EncodeProject(form);
        ASSERT_TRUE(std::holds_alternative<SlotOverflow>(refused));
        const auto& refusal = std::get<SlotOverflow>(refused);
        EXPECT_EQ(refusal.control, c.control);
        EXPECT_EQ(refusal.label, field.label);
        EXPECT_EQ(refusal.limit, c.limit);
        EXPECT_EQ(refusal.length, c.limit + 1);
    }
}

TEST(EncodeProject, StoresEachSwitchAndListInItsOwnByte) {
    const std::pair<std::string_view, std::size_t> cases[] = {
        {"CheckBox1", 98},      {"CheckBox6", 3195},    {"CheckBox7", 3196},
        {"CheckBox8", 3197},    {"CheckBox9", 3198},    {"ComboBox5", 3999},
        {"ComboBox1", 4009},    {"ComboBox2", 4019},    {"ComboBox3", 4029},
        {"ComboBox4", 4039},    {"CheckBox2", 4049},    {"CheckBox3", 4059},
        {"CheckBox5", 4069},    {"CheckBox4", 4079},    {"RadioButton1", 4999},
        {"RadioButton2", 5009}, {"RadioButton3", 5019}, {"RadioButton4", 5029},
        {"RadioButton5", 5039}, {"RadioButton6", 5049}, {"RadioButton7", 5059},
        {"RadioButton8", 5069},
    };
    const std::string nothing = Encoded(NothingChosen());
    for (const auto& [control, offset] : cases) {
        SCOPED_TRACE(control);
        const FormField& field = *FindFormField(control);
        AuctionForm form = NothingChosen();
        if (field.kind == FieldKind::Switch) {
            form.*field.flag = true;
        } else {
            form.*field.position = 7;
        }
        const std::string record = Encoded(form);
        EXPECT_EQ(DifferingRange(record, nothing), std::pair(offset, offset + 1));
        EXPECT_EQ(Decoded(record), form);
    }
}

// --- Round trips ---

// Every saved input at a value unlike its default; texts fill their whole slot.
AuctionForm EverySavedInputSet() {
    AuctionForm form;
    char fill = 'A';
    for (const auto& slot : ProjectSlots()) {
        const FormField& field = *FindFormField(slot.control);
        if (IsTextKind(field.kind)) {
            std::string text(slot.length, fill++);
            text.replace(0, 4, "\xB9\r\n\x81");  // a Polish letter, a line break, an odd byte
            form.*field.text = text;
        } else if (field.kind == FieldKind::Switch) {
            form.*field.flag = true;
        } else {
            form.*field.position = field.listSize - 1;
        }
    }
    form.layout1 = false;
    return form;
}

TEST(ProjectRoundTrip, RestoresEverySavedInput) {
    const AuctionForm full = EverySavedInputSet();
    EXPECT_EQ(Decoded(Encoded(full)), full);

    const AuctionForm defaults;
    EXPECT_EQ(Decoded(Encoded(defaults), full), defaults);  // no style chosen comes back
}

TEST(ProjectRoundTrip, LeavesUnsavedInputsAsTheyWere) {
    const auto setUnsaved = [](AuctionForm form) {
        form.pageEnterDuration = "3.5";
        form.rightClickMessage = "Nie kopiuj";
        form.backgroundPictureShown = form.sellerBlockLeft = true;
        form.editorText = "tekst";
        form.typedSellerId = "sprzedawca";
        return form;
    };
    EXPECT_EQ(Decoded(Encoded(EverySavedInputSet()), setUnsaved({})),
              setUnsaved(EverySavedInputSet()));
}

TEST(ProjectRoundTrip, ThroughTheFile) {
    TempDir dir;
    const std::string path = dir.File("zapis.ltk");
    const AuctionForm form = EverySavedInputSet();
    ASSERT_TRUE(std::holds_alternative<std::monostate>(SaveProject(form, path)));
    EXPECT_EQ(ReadBytes(path).size(), 60000u);
    AuctionForm loaded;
    EXPECT_EQ(LoadProject(path, loaded), std::nullopt);
    EXPECT_EQ(loaded, form);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

// --- Reading records as they come ---

TEST(DecodeProject, EmptyRecordClearsSavedInputsAndSelectsFirstListItems) {
    const AuctionForm form = Decoded("", EverySavedInputSet());
    for (const auto& slot : ProjectSlots()) {
        SCOPED_TRACE(slot.control);
        const FormField& field = *FindFormField(slot.control);
        if (IsTextKind(field.kind)) {
            EXPECT_EQ(form.*field.text, "");
        } else if (field.kind == FieldKind::Switch) {
            EXPECT_FALSE(form.*field.flag);
        } else {
            EXPECT_EQ(form.*field.position, 0);
        }
    }
}

TEST(DecodeProject, ShortRecordKeepsWhatItHolds) {
    const std::string record = Encoded(EverySavedInputSet()).substr(0, 160);
    const AuctionForm form = Decoded(record);
    EXPECT_EQ(form.auctionHeader, EverySavedInputSet().auctionHeader);
    EXPECT_TRUE(form.askSellerLink);
    EXPECT_EQ(form.phone.size(), 50u);
    EXPECT_EQ(form.messengerNumber, EverySavedInputSet().messengerNumber.substr(0, 11));
    EXPECT_EQ(form.auctionTerms, "");
    EXPECT_EQ(form.itemDescription, "");
    EXPECT_EQ(form.colourStyle, 0);
}

TEST(DecodeProject, TextAsLongAsItsSlotLoadsWholeWhateverFollows) {
    const std::string header(98, 'H');
    for (const char next : {'\x00', '\xFF', 'x'}) {
        std::string record(60000, '\0');
        Put(record, 0, header);
        record[98] = next;
        EXPECT_EQ(Decoded(record).auctionHeader, header);
    }
}

TEST(DecodeProject, IgnoresBytesAfterTheRecord) {
    std::string record(60000, '\0');
    Put(record, 7999, std::string(52001, 'o'));
    EXPECT_EQ(Decoded(record + "extra").itemDescription, std::string(52001, 'o'));

    TempDir dir;
    const std::string path = dir.File("zapis.ltk");
    WriteBytes(path, record + std::string(5000, 'z'));
    AuctionForm loaded;
    ASSERT_EQ(LoadProject(path, loaded), std::nullopt);
    EXPECT_EQ(loaded.itemDescription, std::string(52001, 'o'));
}

TEST(DecodeProject, OnlyByte255SetsASwitch) {
    for (const auto& [byte, on] : {std::pair{'\xFF', true},
                                   {'\x01', false},
                                   {'\xFE', false},
                                   {'\x80', false},
                                   {'\x00', false}}) {
        std::string record(60000, '\0');
        record[4059] = byte;  // right-click lock
        record[5029] = byte;  // layout 4
        EXPECT_EQ(Decoded(record).rightClickLock, on) << int(byte);
        EXPECT_EQ(Decoded(record).layout4, on) << int(byte);
    }
}

TEST(DecodeProject, ListByteOutsideTheListGivesNoItem) {
    struct Case {
        std::size_t offset;
        int AuctionForm::*list;
        unsigned char byte;
        int expected;
    };
    const Case cases[] = {
        {3999, &AuctionForm::colourStyle, 13, 13},
        {3999, &AuctionForm::colourStyle, 14, kNoListItem},
        {3999, &AuctionForm::colourStyle, 25, kNoListItem},
        {4009, &AuctionForm::pageEnterEffect, 25, 25},
        {4019, &AuctionForm::siteEnterEffect, 26, kNoListItem},
        {4029, &AuctionForm::pageExitEffect, 200, kNoListItem},
        {4039, &AuctionForm::siteExitEffect, 255, kNoListItem},
    };
    for (const auto& c : cases) {
        std::string record(60000, '\0');
        record[c.offset] = static_cast<char>(c.byte);
        EXPECT_EQ(Decoded(record).*c.list, c.expected) << c.offset << " holding " << int(c.byte);
    }
}

TEST(DecodeProject, SetsTheLayoutSwitchesExactlyAsStored) {
    std::string record(60000, '\0');
    record[5019] = '\xFF';
    record[5059] = '\xFF';
    const AuctionForm form = Decoded(record);  // layout1 was on
    EXPECT_FALSE(form.layout1);
    EXPECT_TRUE(form.layout3);
    EXPECT_TRUE(form.layout7);
    EXPECT_FALSE(form.layout8);
}

// --- Refusals and failures ---

TEST(EncodeProject, RefusalMessageNamesTheFieldItsLimitAndItsLength) {
    AuctionForm form;
    form.auctionHeader = std::string(120, 'x');
    form.itemDescription =
        std::string(60000, 'x');  // the first refused text in the file is reported
    const auto result = EncodeProject(form);
    ASSERT_TRUE(std::holds_alternative<SlotOverflow>(result));
    EXPECT_EQ(std::get<SlotOverflow>(result).Message(),
              "Pole „Nagłówek aukcji” może mieć najwyżej 98 znaków, a ma 120. "
              "Projekt nie został zapisany.");
}

TEST(EncodeProject, RefusesATextHoldingAZeroByte) {
    AuctionForm form;
    form.itemDescription = std::string("ab\0cd", 5);
    const auto result = EncodeProject(form);
    ASSERT_TRUE(std::holds_alternative<SlotOverflow>(result));
    const auto& refusal = std::get<SlotOverflow>(result);
    EXPECT_EQ(refusal.control, "Memo1");
    EXPECT_EQ(refusal.zeroByteAt, 2u);
    EXPECT_EQ(refusal.Message(),
              "Pole „Opis przedmiotu” zawiera znak o kodzie 0 na pozycji 3, którego nie da się "
              "zapisać. Projekt nie został zapisany.");
}

TEST(SaveProject, RefusedTextLeavesTheOldFileUntouched) {
    TempDir dir;
    const std::string path = dir.File("zapis.ltk");
    WriteBytes(path, "old project");
    AuctionForm form;
    form.phone = std::string(51, '7');
    EXPECT_TRUE(std::holds_alternative<SlotOverflow>(SaveProject(form, path)));
    EXPECT_EQ(ReadBytes(path), "old project");
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(SaveProject, FailedWriteReportsTheErrorAndLeavesWhatWasThere) {
    TempDir dir;
    const std::string path = dir.File("zapis.ltk");
    std::filesystem::create_directory(path);
    WriteBytes(path + "/inside", "kept");
    const auto result = SaveProject(AuctionForm{}, path);
    ASSERT_TRUE(std::holds_alternative<FileError>(result));
    EXPECT_EQ(std::get<FileError>(result).message, "File access denied");
    EXPECT_EQ(ReadBytes(path + "/inside"), "kept");
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(LoadProject, MissingFileReportsFileNotFoundAndChangesNothing) {
    TempDir dir;
    AuctionForm form = EverySavedInputSet();
    EXPECT_EQ(LoadProject(dir.File("zapis.ltk"), form), FileError{"File not found"});
    EXPECT_EQ(form, EverySavedInputSet());
}

}  // namespace
}  // namespace licytek
