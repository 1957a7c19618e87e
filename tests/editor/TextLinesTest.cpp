#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "editor/MarkupCommands.h"
#include "editor/TextLines.h"

namespace licytek {
namespace {

TEST(AddLineTest, AddsThePieceAsTheNewLastLine) {
    struct Case {
        std::string_view text;
        std::string_view expected;
    };
    const Case cases[] = {
        {"", "<br>\r\n"},
        {"abc\r\n", "abc\r\n<br>\r\n"},
        {"abc", "abc\r\n<br>"},
        {"\r\n", "\r\n<br>\r\n"},
        // Only CR LF ends a line; a lone LF or CR and blanks belong to the last line.
        {"abc\n", "abc\n\r\n<br>"},
        {"abc\r", "abc\r\r\n<br>"},
        {"  ", "  \r\n<br>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(AddLine(c.text, "<br>"), c.expected);
        std::string inPlace(c.text);
        AddLineTo(inPlace, "<br>");
        EXPECT_EQ(inPlace, c.expected);
    }
}

TEST(MarkupCommandTest, NewLineTwiceOnAnEmptyDescription) {
    const std::string once = AddMarkup("", Markup::NewLine);
    EXPECT_EQ(once, "<br>\r\n");
    EXPECT_EQ(AddMarkup(once, Markup::NewLine), "<br>\r\n<br>\r\n");
}

TEST(MarkupCommandTest, EachCommandAddsItsPieceAsALine) {
    struct Case {
        Markup markup;
        std::string_view line;
    };
    const Case cases[] = {
        {Markup::Gallery, "<br><br><tt><GALERIA></tt><br><br>"},
        {Markup::NewLine, "<br>"},
        {Markup::AlignLeft, "<p align=\"left\">"},
        {Markup::AlignCenter, "<p align=\"center\">"},
        {Markup::AlignRight, "<p align=\"right\">"},
        {Markup::AlignJustified, "<p align=\"justify\">"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(AddMarkup("abc", c.markup), "abc\r\n" + std::string(c.line));
    }
}

}  // namespace
}  // namespace licytek
