// How fast a form becomes the structured description for Allegro: a typical form, and
// descriptions with markup from 64 kilobytes to 4 megabytes, to show the cost is linear.
// Throughput counts the bytes of the item description read.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "TypicalForm.h"
#include "model/AuctionForm.h"
#include "structured/AllegroExport.h"

namespace {

using licytek::AuctionForm;
using licytek::bench::TypicalForm;

// Windows-1250 lines as sellers and the markup commands write them: bold, fonts, line
// breaks, typed lists, entities, a link and now and then a picture.
std::string Description(std::size_t size) {
    const std::string lines[] = {
        "<b>Rower g\xF3rski</b> w bardzo dobrym stanie, rama 19 cali, 21 bieg\xF3w.<br>\r\n",
        "<font face=\"Verdana\" color=\"#FF0000\" style=\"font-size:12pt\">Cena do negocjacji "
        "przy odbiorze osobistym &amp; szybka wysy\xB3ka</font>\r\n",
        "- licznik rowerowy z kablem i instrukcj\xB9 obs\xB3ugi\r\n",
        "- lampka przednia i tylna na baterie AAA\r\n\r\n",
        "<p align=\"center\">Zapraszam do zapoznania si\xEA z moimi innymi aukcjami: "
        "<A href=\"\r\nhttp://moj-sklep.pl\" target=\"_blank\">sklep</A></p>\r\n",
        "<img src=\"\r\nhttps://moj-serwer.pl/zdjecia/rower.jpg\" border=0 >\r\n",
    };
    std::string text;
    text.reserve(size + 256);
    for (std::size_t i = 0; text.size() < size; ++i) {
        // A picture every sixty lines or so.
        const std::size_t line = i % 61 == 60 ? 5 : i % 5;
        text.append(lines[line]);
    }
    text.resize(size);
    return text;
}

void Export(benchmark::State& state, const AuctionForm& form) {
    std::size_t sections = 0;
    for (auto _ : state) {
        const auto offer = licytek::structured::ExportAllegro(form, {.withTerms = true});
        sections = offer.description.sections.size();
        benchmark::DoNotOptimize(offer.description.sections.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(form.itemDescription.size()));
    state.counters["sections"] = static_cast<double>(sections);
}

void TypicalFormForAllegro(benchmark::State& state) {
    Export(state, TypicalForm(Description(2000)));
}
BENCHMARK(TypicalFormForAllegro)->Unit(benchmark::kMicrosecond);

void LongDescriptionForAllegro(benchmark::State& state) {
    AuctionForm form = TypicalForm(Description(2000));
    form.itemDescription = Description(static_cast<std::size_t>(state.range(0)));
    Export(state, form);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(LongDescriptionForAllegro)
    ->Arg(64 << 10)
    ->Arg(256 << 10)
    ->Arg(1 << 20)
    ->Arg(4 << 20)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
