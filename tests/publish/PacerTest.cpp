// The run's pace and the report's order, as tables on a fake clock: no server, no waiting.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "publish/InOrderReport.h"
#include "publish/Pacer.h"

namespace licytek::publish {
namespace {

// Starts requests of `kind` as soon as the pacer lets them for three minutes, each answered
// at once, and returns the most that started in any 60 seconds.
int MostInAMinute(PaceLimits limits, RequestKind kind) {
    Pacer pacer(limits);
    std::vector<Milliseconds> starts;
    for (Milliseconds now = 0; now < 180'000;) {
        now = *pacer.NextStart(kind, now);
        pacer.Started(kind, now);
        starts.push_back(now);
        pacer.Finished(now, 200, 0, now);
    }
    int most = 0;
    for (std::size_t first = 0, last = 0; first < starts.size(); ++first) {
        while (last < starts.size() && starts[last] < starts[first] + 60'000) {
            ++last;
        }
        most = std::max(most, static_cast<int>(last - first));
    }
    return most;
}

TEST(Pacer, KeepsEveryMinuteUnderItsLimits) {
    EXPECT_EQ(MostInAMinute({}, RequestKind::OtherRead), 2000);
    EXPECT_EQ(MostInAMinute({}, RequestKind::Write), 2000);
    // The seller's own limits, where the run's would allow more: one write every 25 ms, one
    // read of an offer every 18 ms.
    PaceLimits loose;
    loose.perMinute = 100'000;
    EXPECT_EQ(MostInAMinute(loose, RequestKind::Write), 2400);
    EXPECT_EQ(MostInAMinute(loose, RequestKind::OfferRead), 3334);

    Pacer pacer(PaceLimits{.inFlight = 2});
    pacer.Started(RequestKind::OtherRead, 0);
    pacer.Started(RequestKind::OtherRead, 30);
    EXPECT_EQ(pacer.NextStart(RequestKind::OtherRead, 100), std::nullopt);
    pacer.Finished(0, 200, 0, 100);
    EXPECT_EQ(pacer.NextStart(RequestKind::OtherRead, 100), 100);
}

TEST(Pacer, A429PausesTheWholeRunOnceForWhatWasInFlight) {
    Pacer pacer;
    pacer.Started(RequestKind::Write, 0);
    pacer.Started(RequestKind::OfferRead, 30);
    pacer.Started(RequestKind::OtherRead, 60);
    pacer.Finished(0, 429, 30, 1'000);
    EXPECT_EQ(pacer.NextStart(RequestKind::OtherRead, 1'000), 31'000);
    // The others were sent before the block was known: they do not lengthen it.
    pacer.Finished(30, 429, 60, 1'500);
    pacer.Finished(60, 429, 60, 2'000);
    EXPECT_EQ(pacer.NextStart(RequestKind::OtherRead, 2'000), 31'000);
    // A new block after the pause: its Retry-After, cut to three minutes; none means a second.
    pacer.Started(RequestKind::OtherRead, 31'000);
    pacer.Finished(31'000, 429, 86'400, 31'100);
    EXPECT_EQ(pacer.PausedUntil(), 211'100);
    pacer.Started(RequestKind::OtherRead, 211'100);
    pacer.Finished(211'100, 429, 0, 211'200);
    EXPECT_EQ(pacer.PausedUntil(), 212'200);
}

TEST(OfferTurns, RowsNamingOneOfferGoOneAfterAnotherInRowOrder) {
    OfferTurns turns;
    turns.Join("A", 0);
    turns.Join("B", 1);
    turns.Join("A", 2);
    turns.Join("A", 3);
    EXPECT_TRUE(turns.HasTurn("A", 0));
    EXPECT_TRUE(turns.HasTurn("B", 1));
    EXPECT_FALSE(turns.HasTurn("A", 2));
    turns.Leave("A", 3);  // given up before its turn (the seller stopped the run)
    turns.Leave("A", 0);
    EXPECT_TRUE(turns.HasTurn("A", 2));
    turns.Leave("A", 2);
    EXPECT_FALSE(turns.HasTurn("A", 3));
}

TEST(ChooseParallel, TakesOneToSixteenAndNamesAnyOtherValue) {
    const auto choose = [](std::optional<std::string> value) {
        return ChooseParallel([&](const char*) { return value; });
    };
    EXPECT_EQ(std::get<int>(choose(std::nullopt)), 8);
    EXPECT_EQ(std::get<int>(choose("1")), 1);
    EXPECT_EQ(std::get<int>(choose("16")), 16);
    for (const char* bad : {"0", "17", "-4", "osiem"}) {
        const auto chosen = choose(bad);
        ASSERT_TRUE(std::holds_alternative<std::string>(chosen)) << bad;
        EXPECT_EQ(std::get<std::string>(chosen),
                  std::string("LICYTEK_ALLEGRO_PARALLEL musi być liczbą zapytań naraz od 1 do 16 "
                              "(jest „") +
                      bad + "”).");
    }
}

TEST(InOrderReport, ReportsInRowOrderAndAWaitingRowAtItsPlace) {
    using Report = InOrderReport<std::string>;
    const auto lines = [](Report& report) {
        std::string text;
        for (const auto& line : report.Take()) {
            text += std::to_string(line.row) + ":" + line.result.value_or("czeka") + " ";
        }
        return text;
    };
    Report report(3);
    for (int i = 0; i < 3; ++i) {
        report.Begin();
    }
    EXPECT_FALSE(report.HasRoom());
    report.Finish(2, "c");
    report.Finish(1, "b");
    EXPECT_EQ(lines(report), "");
    report.MarkWaiting(0);
    EXPECT_EQ(lines(report), "0:czeka 1:b 2:c ");
    EXPECT_TRUE(report.HasRoom());
    EXPECT_EQ(report.Begin(), 3u);
    EXPECT_EQ(report.Begin(), 4u);
    EXPECT_FALSE(report.HasRoom());  // the waiting row still holds its place in memory
    report.Finish(4, "e");
    report.Finish(0, "a");
    EXPECT_EQ(lines(report), "0:a ");
    report.Finish(3, "d");
    EXPECT_EQ(lines(report), "3:d 4:e ");
    EXPECT_EQ(report.Outstanding(), 0u);
}

}  // namespace
}  // namespace licytek::publish
