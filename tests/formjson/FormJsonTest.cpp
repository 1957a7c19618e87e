#include "formjson/FormJson.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <utility>

#include "formjson/JsonText.h"
#include "model/FormFields.h"

namespace licytek {
namespace {

struct Applied {
    std::optional<FormJsonError> error;
    AuctionForm form;
    std::optional<std::string> sellerId;
};

Applied Apply(std::string_view json, const AuctionForm& start = {}) {
    Applied result{std::nullopt, start, std::nullopt};
    result.error = ApplyFormJson(json, result.form, result.sellerId);
    return result;
}

std::string ErrorOf(std::string_view json) {
    const auto result = Apply(json);
    return result.error ? result.error->message : std::string("(no error)");
}

TEST(FormJsonApply, EmptyObjectKeepsEveryInputAndGivesNoSellerId) {
    AuctionForm start;
    start.auctionHeader = "Rower";
    const auto result = Apply("{}", start);
    ASSERT_FALSE(result.error);
    EXPECT_EQ(result.form, start);
    EXPECT_FALSE(result.sellerId);
}

TEST(FormJsonApply, TextsBecomeWindows1250WithCrLfLines) {
    const auto result = Apply(R"({"Edit2": "Żółw", "Memo1": "a\nb\r\nc\n", "ComboBox6": "Arial",
                                  "SellerId": "Łukasz"})");
    ASSERT_FALSE(result.error) << result.error->message;
    EXPECT_EQ(result.form.auctionHeader, "\xAF\xF3\xB3w");
    EXPECT_EQ(result.form.itemDescription, "a\r\nb\r\nc\r\n");
    EXPECT_EQ(result.form.editorFontFace, "Arial");
    EXPECT_EQ(result.sellerId, "\xA3ukasz");
    EXPECT_EQ(result.form.phone, "");  // not named: keeps its value
}

TEST(FormJsonApply, SwitchesAndListPositions) {
    const auto result =
        Apply(R"({"CheckBox1": true, "Panel6": true, "ComboBox1": 25, "ComboBox5": -1,
                  "ComboBox2": 0})");
    ASSERT_FALSE(result.error) << result.error->message;
    EXPECT_TRUE(result.form.askSellerLink);
    EXPECT_TRUE(result.form.editorBold);
    EXPECT_EQ(result.form.pageEnterEffect, 25);
    EXPECT_EQ(result.form.colourStyle, kNoListItem);
    EXPECT_EQ(result.form.siteEnterEffect, 0);
}

TEST(FormJsonApply, TheCodePagesUndefinedBytesComeBackFromTheirControlCharacters) {
    const auto result = Apply(R"({"Edit1": "a\u0081b\u0098"})");
    ASSERT_FALSE(result.error) << result.error->message;
    EXPECT_EQ(result.form.descriptionHeader,
              "a\x81"
              "b\x98");
}

TEST(FormJsonApply, ListPositionsMustLieInTheirList) {
    struct Case {
        const char* json;
        bool accepted;
    };
    const Case cases[] = {
        {R"({"ComboBox1": -1})", true},
        {R"({"ComboBox4": 25})", true},
        {R"({"ComboBox4": 26})", false},
        {R"({"ComboBox5": 13})", true},
        {R"({"ComboBox5": 14})", false},
        {R"({"ComboBox3": -2})", false},
        {R"({"ComboBox3": 4294967296})", false},  // would wrap to 0 in 32 bits
        {R"({"ComboBox3": 18446744073709551615})", false},
        {R"({"ComboBox3": -9223372036854775808})", false},
        {R"({"ComboBox3": 99999999999999999999999})", false},
        {R"({"ComboBox3": 1.0})", false},
        {R"({"ComboBox3": "1"})", false},
        {R"({"ComboBox3": true})", false},
    };
    for (const auto& c : cases) {
        const auto result = Apply(c.json);
        EXPECT_EQ(!result.error, c.accepted) << c.json;
        if (result.error) {
            EXPECT_EQ(result.error->message.rfind("ComboBox", 0), 0u) << result.error->message;
            EXPECT_EQ(result.form, AuctionForm{});
        }
    }
}

// Each fault names the key (or the position) and stays on one line.
TEST(FormJsonApply, FaultsNameTheKeyOnOneLine) {
    struct Case {
        std::string json;
        std::string expected;  // part of the message
    };
    const Case cases[] = {
        {R"({"Edit2": 5})", "Edit2: must be a string, not 5"},
        {R"({"Memo1": null})", "Memo1: must be a string, not null"},
        {R"({"Edit2": ["a"]})", "Edit2: must be a string, not an array"},
        {R"({"ComboBox8": {}})", "ComboBox8: must be a string, not an object"},
        {R"({"CheckBox1": "true"})", "CheckBox1: must be true or false, not a string"},
        {R"({"CheckBox1": 1})", "CheckBox1: must be true or false, not 1"},
        {R"({"SellerId": 123})", "SellerId: must be a string, not 123"},
        {R"({"ComboBox1": 26})", "ComboBox1: 26 is not a position"},
        {R"({"Edit99": "x"})", "unknown key \"Edit99\""},
        {R"({"edit2": "x"})", "unknown key \"edit2\""},
        {R"({"a\nb": 1})", "unknown key \"a\\nb\""},
        // Inputs written into the page elsewhere than as HTML text refuse what the code page
        // lacks; HTML text refuses only what no reference gives back.
        {R"({"Edit35": "zupa 中"})",
         "Edit35: U+4E2D (character 6) cannot be written in Windows-1250"},
        {R"({"Memo5": "ok\n😀"})", "Memo5: U+1F600 (character 4)"},
        {R"({"Memo1": "ok\u0085"})", "Memo1: U+0085 (character 3)"},
        {R"({"SellerId": "€∞"})", "SellerId: U+221E (character 2)"},
        {R"({"Edit3": "a\u0000b"})", "Edit3: holds a zero character (character 2)"},
        {R"({"Edit2": "a", "Edit2": "b"})", "\"Edit2\": given more than once"},
        {R"({"ComboBox1": 1e400})", "\"ComboBox1\": number overflow"},
        {R"([{"Edit2": "x"}])", "must be an object of control names, not an array"},
        {"\"Edit2\"", "must be an object of control names, not a string"},
        {"", "malformed JSON: parse error at line 1, column 1"},
        {"{", "malformed JSON"},
        {R"({"Edit2": "abc)", "malformed JSON"},
        {R"({"Edit2": "a"} {})", "malformed JSON"},
        {"{\"Edit2\": \"\n\"}", "malformed JSON"},    // a raw line break inside a string
        {"{\"Edit2\": \"\xC5\"}", "malformed JSON"},  // cut UTF-8 sequence
        {"{\"Edit2\": \"\xFF\xFE\"}", "malformed JSON"},
        {R"({"Edit2": "x",})", "malformed JSON"},
        {R"({/*c*/"Edit2": "x"})", "malformed JSON"},
    };
    for (const auto& c : cases) {
        const std::string message = ErrorOf(c.json);
        EXPECT_NE(message.find(c.expected), std::string::npos)
            << "input: " << c.json << "\nmessage: " << message;
        EXPECT_EQ(message.find('\n'), std::string::npos) << message;
        EXPECT_EQ(message.find('\r'), std::string::npos) << message;
    }
}

TEST(FormJsonApply, AFaultLeavesTheFormAndSellerIdUnchanged) {
    AuctionForm form;
    std::optional<std::string> sellerId = "42";
    const auto error = ApplyFormJson(
        R"({"Edit2": "x", "SellerId": "7", "RadioButton2": true, "Edit3": 5})", form, sellerId);
    ASSERT_TRUE(error);
    EXPECT_EQ(form, AuctionForm{});
    EXPECT_EQ(sellerId, "42");
}

TEST(FormJsonApply, DeepNestingIsRefusedWithoutCrashing) {
    const std::string nested = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_NE(ErrorOf(R"({"Edit2": )" + nested + "}").find("Edit2: must be a string, not an array"),
              std::string::npos);
    EXPECT_NE(ErrorOf(nested).find("not an array"), std::string::npos);
    EXPECT_NE(ErrorOf(std::string(100000, '[')).find("malformed JSON"), std::string::npos);
}

constexpr std::string_view kSample =
    R"({"Edit2": "Żółw", "Memo1": "a\r\nb", "CheckBox3": true, "ComboBox1": 12,
        "RadioButton4": true, "SellerId": "x"})";

TEST(FormJsonApply, EveryCutOfAFormIsRefused) {
    ASSERT_FALSE(Apply(kSample).error);
    for (std::size_t length = 0; length < kSample.size(); ++length) {
        const auto result = Apply(kSample.substr(0, length));
        ASSERT_TRUE(result.error) << length;
        EXPECT_EQ(result.form, AuctionForm{});
        EXPECT_EQ(result.error->message.find('\n'), std::string::npos);
    }
}

// Bytes changed at random never crash the reader; what it accepts it applies whole.
TEST(FormJsonApply, DamagedFormsAreAcceptedOrRefusedOnOneLine) {
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    using namespace std::string_view_literals;
    constexpr auto replacements = "{}[]\",:0-9e.tfn\\\x80\xC5\xFF\0 "sv;
    for (int round = 0; round < 3000; ++round) {
        std::string damaged(kSample);
        for (int change = 0, changes = 1 + static_cast<int>(next() % 3); change < changes;
             ++change) {
            damaged[next() % damaged.size()] = replacements[next() % replacements.size()];
        }
        const auto result = Apply(damaged);
        if (result.error) {
            EXPECT_FALSE(result.error->message.empty());
            EXPECT_EQ(result.error->message.find('\n'), std::string::npos) << damaged;
            EXPECT_EQ(result.form, AuctionForm{}) << damaged;
        }
    }
}

TEST(FormJsonGroups, NamingAMemberChoosesExactlyTheMembersGivenTrue) {
    const auto layout3 = Apply(R"({"RadioButton3": true})");
    ASSERT_FALSE(layout3.error);
    EXPECT_FALSE(layout3.form.layout1);
    EXPECT_TRUE(layout3.form.layout3);

    const auto noLayout = Apply(R"({"RadioButton1": false})");
    ASSERT_FALSE(noLayout.error);
    for (bool chosen : {noLayout.form.layout1, noLayout.form.layout2, noLayout.form.layout8}) {
        EXPECT_FALSE(chosen);
    }

    const auto right = Apply(R"({"Panel11": true, "Panel12": false})");
    ASSERT_FALSE(right.error);
    EXPECT_FALSE(right.form.editorAlignLeft);
    EXPECT_TRUE(right.form.editorAlignRight);
    EXPECT_FALSE(right.form.editorJustify);
}

TEST(FormJsonGroups, GroupsAreIndependentOfEachOther) {
    const auto result = Apply(R"({"RadioButton10": true, "RadioButton12": true})");
    ASSERT_FALSE(result.error);
    EXPECT_TRUE(result.form.layout1);  // layout group not named: keeps its choice
    EXPECT_TRUE(result.form.editorAlignLeft);
    EXPECT_FALSE(result.form.pictureFromWeb);
    EXPECT_TRUE(result.form.pictureFromGallery);
    EXPECT_TRUE(result.form.movesRight);
    EXPECT_FALSE(result.form.movesLeft);
}

TEST(FormJsonGroups, TwoTrueInOneGroupIsAFault) {
    EXPECT_NE(ErrorOf(R"({"RadioButton2": true, "RadioButton5": true})")
                  .find("RadioButton2, RadioButton5: only one of RadioButton1, RadioButton2"),
              std::string::npos);
    EXPECT_NE(ErrorOf(R"({"Panel9": true, "Panel10": true})").find("Panel9, Panel10: only one of"),
              std::string::npos);
    // editorBold to editorUnderline (bold, italic, underline) are switches of their own.
    EXPECT_FALSE(Apply(R"({"Panel6": true, "Panel7": true, "Panel8": true})").error);
}

// A form with every input away from its default, built by walking the table.
AuctionForm FormAwayFromDefaults() {
    AuctionForm form;
    int n = 0;
    for (const auto& field : FormFields()) {
        ++n;
        switch (field.kind) {
            case FieldKind::Switch:
                form.*field.flag = field.group == SwitchGroup::None;
                break;
            case FieldKind::ListPosition:
                form.*field.position = n % field.listSize;
                break;
            default:
                form.*field.text = "\xAF\xF3\xB3w " + std::to_string(n) + "\r\nline 2\x81";
        }
    }
    form.layout8 = form.pictureFromGallery = form.movesLeft = form.alternatingAnimation = true;
    form.editorJustify = true;
    return form;
}

TEST(FormJsonWrite, EveryInputSurvivesTheTripThroughJson) {
    const AuctionForm form = FormAwayFromDefaults();
    const auto back = Apply(FormToJson(form, AllFormFields()));
    ASSERT_FALSE(back.error) << back.error->message;
    EXPECT_EQ(back.form, form);
}

TEST(FormJsonWrite, WritesUtf8TextsBooleansAndPositionsInTheOrderGiven) {
    AuctionForm form;
    form.itemDescription = "\xAF\xF3\xB3w\r\nkot";
    form.pageEnterEffect = 3;
    const FormField* fields[] = {FindFormField("Memo1"), FindFormField("CheckBox1"),
                                 FindFormField("ComboBox5"), FindFormField("ComboBox1")};
    const std::string text = FormToJson(form, fields);
    EXPECT_EQ(text,
              "{\n"
              "    \"Memo1\": \"Żółw\\r\\nkot\",\n"
              "    \"CheckBox1\": false,\n"
              "    \"ComboBox5\": -1,\n"
              "    \"ComboBox1\": 3\n"
              "}");
}

// A form is one flat object of known keys: anything else is refused where it is met, and
// nothing but white space may follow the object.
TEST(FormJsonShapes, WhatNoFormHoldsIsRefused) {
    std::string manyKeys = "{";
    for (int i = 0; i < 100000; ++i) {
        manyKeys += "\"k" + std::to_string(i) + "\":1,";
    }
    const std::string longKey = "{\"" + std::string(100000, 'k') + "\":1}";
    using namespace std::string_literals;
    const std::pair<std::string, std::string> refused[] = {
        {manyKeys, "unknown key \"k0\""},
        {R"({"Edit2": {"a": [[[)", "Edit2: must be a string, not an object"},
        {R"({"SellerId": [)", "SellerId: must be a string, not an array"},
        {R"({"Edit2": "a"} x)", "malformed JSON"},
        {R"({"Edit2": "a"}})", "malformed JSON"},
        {"{\"Edit2\": \"a\"}\0garbage"s, "malformed JSON: a zero byte at byte 15 after the object"},
        {"{}  \0"s, "malformed JSON: a zero byte at byte 5"},
        {"{\"Edit2\": \"a\0b\"}"s, "malformed JSON"},
        {longKey, "unknown key \"kkkk"},
    };
    for (const auto& [json, expected] : refused) {
        const auto result = Apply(json);
        ASSERT_TRUE(result.error) << json.substr(0, 80);
        EXPECT_EQ(result.error->message.find(expected), 0u) << json.substr(0, 80) << "\n"
                                                            << result.error->message.substr(0, 200);
        EXPECT_LT(result.error->message.size(), 300u);
        EXPECT_EQ(result.form, AuctionForm{});
    }
    EXPECT_FALSE(Apply("{\"Edit2\": \"a\"} \r\n\t ").error);
    EXPECT_FALSE(Apply("{}" + std::string(200000, ' ')).error);
}

// Long strings and long runs of white space are read without the library; they must read
// exactly as the library reads them, and a fault after them is placed where the library
// would place it, in a message of one short line.
TEST(FormJsonShapes, LongStretchesReadAsTheLibraryReadsThem) {
    const std::string contents[] = {
        R"(plain)",
        R"(a\"b\\c\/d\b\f\n\r\t)",
        R"(\u0105\u017C\u000a\u0000)",
        R"(\ud83d\ude00)",
        "\xC5\xBC\xE2\x82\xAC\xF0\x9F\x98\x80",
        R"(\q)",
        R"(\u12)",
        R"(\ud83d)",
        R"(\ude00)",
        R"(\ud83d\u0041)",
        "a\x01",
        "\xC5",
        "\xC0\x80",
        "\xED\xA0\x80",
        "\xF4\x90\x80\x80",
        "\x7F\xFF",
    };
    for (const std::string& content : contents) {
        const auto ours = json_text::DecodeString(content);
        std::optional<std::string> library;
        try {
            library = nlohmann::json::parse("\"" + content + "\"").get<std::string>();
        } catch (const nlohmann::json::parse_error&) {
        }
        EXPECT_EQ(ours.index() == 0, library.has_value()) << content;
        if (library && ours.index() == 0) {
            EXPECT_EQ(std::get<0>(ours), *library) << content;
        }
    }

    std::string unit = R"(\u017C\"\\ab\n)";
    std::string content;
    while (content.size() <= json_text::kLongStretch) {
        content += unit;
    }
    const auto longText = Apply(R"({"Memo1": ")" + content + R"(", "Edit2": "x"})");
    ASSERT_FALSE(longText.error) << longText.error->message;
    std::string expected;
    const auto shortText = Apply(R"({"Memo1": ")" + unit + "\"}");
    while (expected.size() < longText.form.itemDescription.size()) {
        expected += shortText.form.itemDescription;
    }
    EXPECT_EQ(longText.form.itemDescription, expected);
    EXPECT_EQ(longText.form.auctionHeader, "x");

    // Where each fault stands, counted by hand: the byte after the token that breaks it.
    const std::string lastLine = std::to_string(json_text::kLongStretch + 6);
    const std::string afterContent = std::to_string(content.size() + 14);
    const std::pair<std::string, std::string> faulty[] = {
        {R"({"Memo1": ")" + content + R"(",})", "line 1, column " + afterContent},
        {R"({"Memo1": ")" + content + "\" x}", "line 1, column " + afterContent},
        {"{\n" + std::string(json_text::kLongStretch * 2, ' ') + "\n \"Edit2\" 5}",
         "line 3, column 10"},
        {"{\"Edit2\": \"a\"," + std::string(json_text::kLongStretch + 5, '\n') + "x",
         "line " + lastLine + ", column 1"},
    };
    for (const auto& [json, position] : faulty) {
        const std::string message = ErrorOf(json);
        EXPECT_TRUE(message.starts_with("malformed JSON: parse error at " + position + ":"))
            << position << "\n"
            << message.substr(0, 300);
        EXPECT_LT(message.size(), 300u);
    }
    EXPECT_NE(
        ErrorOf(R"({"Memo1": ")" + content + R"(\q"})").find("malformed JSON: invalid string"),
        std::string::npos);
    EXPECT_NE(ErrorOf(R"({"Memo1": ")" + content).find("has no closing quote"), std::string::npos);
    EXPECT_NE(ErrorOf(R"({"ComboBox1": )" + std::string(json_text::kLongStretch + 1, '7') + "}")
                  .find("malformed JSON: a number of"),
              std::string::npos);
}

// Whatever the form writes reads back to the same bytes: a lone LF byte is written as
// \u000a, which is kept as it is, while "\n" in a hand-written form is a line break (CR LF).
TEST(FormJsonWrite, LoneLineFeedsComeBackAsTheyWere) {
    AuctionForm form;
    form.itemDescription = "a\nb\r\nc\rd\n\n";
    form.auctionHeader = "\n";
    form.auctionTerms = "\r\n\r\n";
    const FormField* fields[] = {FindFormField("Memo1"), FindFormField("Edit2"),
                                 FindFormField("Memo2")};
    const std::string json = FormToJson(form, fields);
    EXPECT_NE(json.find(R"("a\u000ab\r\nc\rd\u000a\u000a")"), std::string::npos) << json;
    EXPECT_EQ(Apply(json).form, form);

    const auto handWritten = Apply(R"({"Memo1": "a\nb\u000Ac\r\u000ad\r\ne", "Edit2": "\u000a"})");
    ASSERT_FALSE(handWritten.error);
    EXPECT_EQ(handWritten.form.itemDescription, "a\r\nb\nc\r\nd\r\ne");
    EXPECT_EQ(handWritten.form.auctionHeader, "\n");
}

// The page shows the auction header, the description and the page's title as HTML text: what
// the code page lacks goes in as its reference. An address or the right-click message refuse it.
TEST(FormJsonApply, HtmlTextTakesReferencesOtherInputsRefuse) {
    const auto applied =
        Apply(R"({"Edit2": "Płytki 30 m²", "Memo1": "✔ gotowe\n½", "Edit34": "ñandú"})");
    ASSERT_FALSE(applied.error) << applied.error->message;
    EXPECT_EQ(applied.form.auctionHeader, "P\xB3ytki 30 m&#178;");
    EXPECT_EQ(applied.form.itemDescription, "&#10004; gotowe\r\n&#189;");
    EXPECT_EQ(applied.form.pageTitle, "&#241;and\xFA");
    EXPECT_NE(ErrorOf(R"({"Edit17": "https://x.pl/m².jpg"})").find("Edit17: U+00B2 (character 15)"),
              std::string::npos);
}

}  // namespace
}  // namespace licytek
