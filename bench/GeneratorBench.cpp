// How fast a whole auction description is generated: a typical form in each layout, and
// descriptions from one kilobyte to sixteen megabytes. Throughput counts the output bytes.
// Also how fast texts convert between Windows-1250 and UTF-8, whatever bytes they hold.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "generator/Document.h"
#include "model/AuctionForm.h"
#include "model/Text.h"

namespace {

using licytek::AuctionForm;

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

AuctionForm TypicalForm(int layout) {
    AuctionForm form;
    form.Edit2 = "Rower g\xF3rski, stan bardzo dobry";
    form.Edit1 = "Opis przedmiotu";
    form.Memo1 = Description(2000);
    form.CheckBox1 = form.CheckBox6 = form.CheckBox7 = form.CheckBox8 = form.CheckBox9 = true;
    form.Edit3 = "601 234 567";
    form.Edit4 = "1234567";
    form.Memo2 =
        "Wysy\xB3ka w ci\xB9gu 3 dni od wp\xB3"
        "aty.\r\nNie wysy\xB3"
        "am za pobraniem.";
    form.Edit5 = "12 3456 7890 1234 5678 9012 3456";
    form.Edit6 = "Poczta Polska: 15 z\xB3";
    form.Edit7 = "Kurier: 25 z\xB3";
    form.Edit34 = "Rower g\xF3rski";
    form.Memo5 = "rower g\xF3rski 19 cali";
    form.CheckBox2 = form.CheckBox4 = true;
    form.ComboBox1 = 1;
    form.CheckBox23 = form.CheckBox24 = form.CheckBox30 = form.CheckBox29 = form.CheckBox28 = true;
    bool AuctionForm::*const radios[] = {&AuctionForm::RadioButton1, &AuctionForm::RadioButton2,
                                         &AuctionForm::RadioButton3, &AuctionForm::RadioButton4,
                                         &AuctionForm::RadioButton5, &AuctionForm::RadioButton6,
                                         &AuctionForm::RadioButton7, &AuctionForm::RadioButton8};
    for (auto radio : radios) {
        form.*radio = false;
    }
    form.*radios[layout - 1] = true;
    return form;
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
    Generate(state, TypicalForm(static_cast<int>(state.range(0))));
}
BENCHMARK(TypicalFormInLayout)->DenseRange(1, 8);

void LongDescription(benchmark::State& state) {
    AuctionForm form = TypicalForm(1);
    form.Memo1 = Description(static_cast<std::size_t>(state.range(0)));
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
