// The comparison behind the send's side-by-side view: which paragraphs and pictures an update
// adds, removes and changes, and how the preview marks them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "structured/DescriptionComparison.h"
#include "structured/Preview.h"

namespace licytek::structured {
namespace {

using enum PieceChange;

Item Text(std::string content) {
    return {ItemType::Text, std::move(content)};
}
Item Image(std::string address) {
    return {ItemType::Image, std::move(address)};
}

std::vector<PieceChange> Changes(const std::vector<ComparedPiece>& pieces) {
    std::vector<PieceChange> changes;
    for (const ComparedPiece& piece : pieces) {
        changes.push_back(piece.change);
    }
    return changes;
}

const Description kBefore{{
    {{Text("<h1>Rower</h1><p>Rama stalowa</p><p>Koła   26</p>")}},
    {{Image("https://a/1.jpg"), Text("<ul><li>dzwonek</li></ul>")}},
    {{Text("<p>Stary dopisek</p>")}},
}};
// The same heading and wheels written otherwise; the frame changed, tyres and a picture came,
// the note went.
const Description kAfter{{
    {{Text("<h1>Rower</h1>\n<p>Rama aluminiowa</p>\n<p>Koła 26</p><p>Nowe opony</p>")}},
    {{Image("https://a/2.jpg"), Text("<ul>\n<li>dzwonek</li></ul>")}},
}};

TEST(DescriptionComparison, MarksWhatAnUpdateAddsRemovesAndChanges) {
    const DescriptionComparison comparison = CompareDescriptions(kBefore, kAfter);
    EXPECT_EQ(Changes(comparison.before),
              (std::vector<PieceChange>{Same, Changed, Same, Changed, Same, Removed}));
    EXPECT_EQ(Changes(comparison.after),
              (std::vector<PieceChange>{Same, Changed, Same, Added, Changed, Same}));
    ASSERT_EQ(comparison.after.size(), 6u);
    EXPECT_EQ(comparison.after[1].content, "<p>Rama aluminiowa</p>");
    EXPECT_EQ(std::pair(comparison.after[5].section, comparison.after[5].item),
              (std::pair<std::size_t, std::size_t>{1, 1}));
    EXPECT_EQ(CountChanges(comparison), (ComparisonCounts{{1, 1, 1}, {0, 0, 1}}));

    // A description sent again as it is changes nothing; one that starts empty only adds.
    const DescriptionComparison same = CompareDescriptions(kBefore, kBefore);
    EXPECT_EQ(CountChanges(same), ComparisonCounts{});
    EXPECT_EQ(Changes(CompareDescriptions({}, kAfter).after), std::vector<PieceChange>(6, Added));
}

TEST(DescriptionComparison, PreviewMarksEachChangedPieceOnBothSides) {
    // The form names its new picture by its file; the comparison by its address on Allegro.
    Description shown = kAfter;
    shown.sections[1].items[0].content = "rower.png";
    const DescriptionComparison comparison = CompareDescriptions(kBefore, kAfter);

    const std::string after = ComparedPreviewHtml(shown, comparison.after);
    EXPECT_NE(after.find("Zmieniony akapit</b></small><p>Rama aluminiowa</p>"), std::string::npos);
    EXPECT_NE(after.find("Nowy akapit</b></small><p>Nowe opony</p>"), std::string::npos);
    EXPECT_NE(after.find("Zmienione zdjęcie</b></small><table"), std::string::npos);
    EXPECT_NE(after.find("rower.png"), std::string::npos);
    EXPECT_EQ(after.find("Usunięt"), std::string::npos);

    const std::string before = ComparedPreviewHtml(kBefore, comparison.before);
    EXPECT_NE(before.find("Usunięty akapit</b></small><p>Stary dopisek</p>"), std::string::npos);
    // Unchanged pieces stand as they are, with no mark.
    EXPECT_NE(before.find("<td valign=\"top\" width=\"100%\"><h1>Rower</h1><table"),
              std::string::npos);
}

}  // namespace
}  // namespace licytek::structured
