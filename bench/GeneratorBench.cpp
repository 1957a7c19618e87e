// How fast a whole auction description is generated: a typical form in each layout, and
// descriptions from one kilobyte to sixteen megabytes. Throughput counts the output bytes.
// Also how fast texts convert between Windows-1250 and UTF-8, whatever bytes they hold.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "TypicalForm.h"
#include "generator/Document.h"
#include "model/AuctionForm.h"
#include "model/Text.h"

namespace {

using licytek::AuctionForm;
using licytek::bench::TypicalForm;

// A description of about `size` bytes made of short marked-up lines, as the seller's
// formatting commands leave it.
std::string Description(std::size_t size) {
    const std::string line =
        "<b>Rower g\xF3rski</b> w bardzo dobrym stanie, rama 19 cali, 21 bieg\xF3w.<br>\r\n";
    std::string text;
    text.reserve(size + line.size());
    while (text.size() < size) {
        text.append(line);
    }
    text.resize(size);
    return text;
}

void Generate(benchmark::State& state, const AuctionForm& form) {
    std::size_t outputSize = 0;
    for (auto _ : state) {
        std::string document = licytek::BuildDocument(form, "1234567");
        outputSize = document.size();
        benchmark::DoNotOptimize(document.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(outputSize));
    state.counters["output_bytes"] = static_cast<double>(outputSize);
}

void TypicalFormInLayout(benchmark::State& state) {
    Generate(state, TypicalForm(Description(2000), static_cast<int>(state.range(0))));
}
BENCHMARK(TypicalFormInLayout)->DenseRange(1, 8);

void LongDescription(benchmark::State& state) {
    AuctionForm form = TypicalForm(Description(2000));
    form.itemDescription = Description(static_cast<std::size_t>(state.range(0)));
    Generate(state, form);
}
BENCHMARK(LongDescription)
    ->Arg(1 << 10)
    ->Arg(1 << 20)
    ->Arg(16 << 20)
    ->Unit(benchmark::kMicrosecond);

// One mebibyte of Windows-1250 text: Polish prose, or only the five bytes the code page
// leaves undefined (which once took the converter's slow error path).
std::string ConversionInput(bool undefinedBytes) {
    const std::string unit = undefinedBytes
                                 ? std::string("\x81\x83\x88\x90\x98")
                                 : std::string("Za\xBF\xF3\xB3\xE6 g\xEA\x9Cl\xB9 ja\x9F\xF1. ");
    std::string text;
    while (text.size() < (std::size_t{1} << 20)) {
        text += unit;
    }
    return text;
}

void ConvertToUtf8(benchmark::State& state) {
    const std::string text = ConversionInput(state.range(0) != 0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(licytek::Cp1250ToUtf8(text));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(ConvertToUtf8)->ArgName("undefined_bytes")->Arg(0)->Arg(1);

void ConvertFromUtf8(benchmark::State& state) {
    const std::string text = licytek::Cp1250ToUtf8(ConversionInput(state.range(0) != 0));
    for (auto _ : state) {
        benchmark::DoNotOptimize(licytek::Utf8ToCp1250(text));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(ConvertFromUtf8)->ArgName("undefined_bytes")->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
