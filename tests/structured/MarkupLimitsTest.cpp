// The limits that keep the HTML parser linear: each shape that once cost quadratic time or
// memory is refused naming its limit, ordinary markup is read, and allowed shapes near the
// limits take time linear in their size.
#include <gtest/gtest.h>
#include <time.h>

#include <algorithm>
#include <functional>
#include <string>

#include "structured/MarkupLimits.h"
#include "structured/MarkupReader.h"

namespace licytek::structured {
namespace {

std::string Repeat(std::string_view unit, std::size_t times) {
    std::string text;
    text.reserve(unit.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        text += unit;
    }
    return text;
}

TEST(MarkupLimitsTest, ShapesThatCostQuadraticWorkAreRefusedNamingTheLimit) {
    const std::string depth = "Opis ma znaczniki zagnieżdżone głębiej niż 1 000 poziomów.";
    EXPECT_EQ(MarkupLimitProblem(Repeat("<ul><li>", 600) + "X", "Opis"), depth);
    EXPECT_EQ(MarkupLimitProblem(Repeat("<i>", 2000) + "X", "Opis"), depth);
    EXPECT_EQ(MarkupLimitProblem(Repeat("<div>", 1001), "Opis"), depth);
    EXPECT_EQ(MarkupLimitProblem(Repeat("<p><i>", 40000), "Opis"),
              "Opis ma ponad 100 000 elementów.");
    EXPECT_EQ(MarkupLimitProblem(Repeat("<br>", 100001), "Strona"),
              "Strona ma ponad 100 000 znaczników.");
    std::string attributes = "<p";
    for (int i = 0; i < 101; ++i) {
        attributes += " a" + std::to_string(i) + "=\"1 > 2\"";
    }
    EXPECT_EQ(MarkupLimitProblem(attributes + ">X", "Opis"),
              "Opis ma znacznik <p> z ponad 100 atrybutami.");
    EXPECT_EQ(MarkupLimitProblem(Repeat("<p a b c d e f g h i j>", 10001), "Opis"),
              "Opis ma ponad 100 000 atrybutów.");
    EXPECT_EQ(MarkupLimitProblem(Repeat("<span>", 900) + Repeat("</x>", 10001), "Opis"),
              "Opis ma ponad 10 000 znaczników zamykających bez pary (jak </span> bez <span>).");
    std::string formatting;
    for (int i = 0; i < 101; ++i) {
        formatting += "<font color=\"#" + std::to_string(i) + "\">";
    }
    EXPECT_EQ(MarkupLimitProblem(formatting, "Opis"),
              "Opis ma ponad 100 niezamkniętych znaczników formatowania (<b>, <i>, <font>…).");

    const MarkupReading refused = ReadMarkup(Repeat("<div>", 1001) + "X");
    EXPECT_EQ(refused.refusal, depth);
    EXPECT_TRUE(refused.blocks.empty());
}

TEST(MarkupLimitsTest, MarkupThatHtmlClosesOnItsOwnIsRead) {
    for (const std::string& markup : {
             "<ul>" + Repeat("<li>rama", 5000) + "</ul>",
             Repeat("<p>akapit", 5000),
             Repeat("linia<br>", 5000),
             Repeat("<dl><dt>a<dd>b</dl>", 2000),
             "<table>" + Repeat("<tr><td><font color=red>x<td><b>y", 3000) + "</table>",
             Repeat("<p><i>kursywa</p>", 5000),  // three alike at most stay open
             Repeat("<h2>a<h3>b", 3000),
             Repeat("<h2>a</h3>", 3000),
             Repeat("<table><tr><td>a</table>", 3000),
             "<select>" + Repeat("<option>a", 5000) + "</select>",
             "<svg>" + Repeat("<path d=\"M0 0\"/>", 3000) + "</svg>",
             "<script>" + Repeat("<div>", 3000) + "</script>",
             "<!--" + Repeat("<div>", 3000) + "-->",
             Repeat("<div>", 999) + Repeat("<p>x</p>", 3000),
         }) {
        EXPECT_EQ(MarkupLimitProblem(markup, "Opis"), "") << markup.substr(0, 40);
    }
    EXPECT_EQ(ReadMarkup("<ul>" + Repeat("<li>rama", 5000)).blocks.front().lines.size(), 5000u);
}

// The processor time of this thread for the fastest of five readings: time the other
// programs of a shared machine take is not counted, and the fastest keeps out the rest (on a
// busy machine the caches they share make a single reading of the larger shape slow).
double FastestReading(const std::string& markup) {
    const auto threadSeconds = [] {
        timespec now{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
    };
    double best = 1e9;
    for (int i = 0; i < 5; ++i) {
        const double start = threadSeconds();
        const MarkupReading reading = ReadMarkup(markup);
        const double spent = threadSeconds() - start;
        EXPECT_EQ(reading.refusal, "") << markup.substr(0, 40);
        best = std::min(best, spent);
    }
    return best;
}

TEST(MarkupLimitsTest, AllowedShapesNearTheLimitsTakeTimeLinearInTheirSize) {
    // Each shape at n and 4n units: linear work takes about 4 times as long, quadratic 16.
    const std::vector<std::function<std::string(std::size_t)>> shapes = {
        [](std::size_t n) { return Repeat("<span>", 990) + Repeat("<div></div>", n); },
        [](std::size_t n) { return Repeat("<span>", 990) + Repeat("</x>", n); },
        [](std::size_t n) { return Repeat("<ul><li>", 400) + Repeat("<li>x", n); },
        [](std::size_t n) { return Repeat("<i>", 990) + Repeat("x<br>", n); },
        [](std::size_t n) { return Repeat("<p><i a=1><i a=2><b>", n); },
    };
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        // Eight times the size: linear work takes about 8 times as long, quadratic 64 times.
        // The last shape costs about 23 times as much even on an idle machine: the HTML parser
        // copies each reopened formatting element with its attributes, and the allocations
        // grow faster than the text. The bound sits between that and quadratic.
        const double small = FastestReading(shapes[i](500));
        const double large = FastestReading(shapes[i](4000));
        EXPECT_LT(large, 40 * small + 0.005) << "shape " << i;
    }
}

}  // namespace
}  // namespace licytek::structured
