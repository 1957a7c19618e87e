// The window's preview of a structured description: sections in order, two items side by
// side, a picture as a box with its address, and nothing of an address read as markup.
#include <gtest/gtest.h>

#include <string>

#include "structured/Preview.h"

namespace licytek::structured {
namespace {

Item Text(std::string content) {
    return {ItemType::Text, std::move(content)};
}
Item Image(std::string address) {
    return {ItemType::Image, std::move(address)};
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(Preview, LaysOutSectionsAndItemsInOrder) {
    const Description description{{
        {{Text("<h1>Rower</h1><p>Opis</p>")}},
        {{Image("https://example.com/a.jpg"), Text("<ul><li>rama</li></ul>")}},
    }};
    const std::string html = DescriptionPreviewHtml(description);
    const auto first = html.find("<h1>Rower</h1><p>Opis</p>");
    const auto picture = html.find("https://example.com/a.jpg");
    const auto list = html.find("<ul><li>rama</li></ul>");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(picture, std::string::npos);
    ASSERT_NE(list, std::string::npos);
    EXPECT_LT(first, picture);
    EXPECT_LT(picture, list);
    EXPECT_EQ(Occurrences(html, "Sekcja "), 2u);
    EXPECT_EQ(Occurrences(html, "width=\"100%\"><h1>"), 1u);  // a lone item takes the row
    EXPECT_EQ(Occurrences(html, "<td valign=\"top\" width=\"50%\">"), 2u);  // a pair shares it
    EXPECT_EQ(DescriptionPreviewHtml({}).find("Sekcja"), std::string::npos);
}

TEST(Preview, AnAddressIsNeverMarkup) {
    const Description description{{{{Image("https://x/\"><script>alert(1)</script>&")}}}};
    const std::string html = DescriptionPreviewHtml(description);
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_NE(html.find("https://x/&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt;&amp;"),
              std::string::npos);
}

}  // namespace
}  // namespace licytek::structured
