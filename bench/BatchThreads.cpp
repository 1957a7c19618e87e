// Times a batch of classic pages with a given number of writer threads, in this process, so
// that the thread counts can be held against each other on the same spreadsheet (one that
// batch_offers wrote). Usage: batch_threads OFFERS.csv OUT_FOLDER THREADS
// Prints "THREADS threads: ROWS rows in SECONDS s, RATE rows/s; rows told after WRITTEN s":
// the last is the time until the last row was told, before the one flush of the whole disk
// at the end, which costs the same at any thread count but depends on what else is written.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "batch/Batch.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: batch_threads OFFERS.csv OUT_FOLDER THREADS\n");
        return 2;
    }
    licytek::batch::BatchOptions options;
    options.outFolder = argv[2];
    options.writerThreads = std::strtoul(argv[3], nullptr, 10);
    const auto start = std::chrono::steady_clock::now();
    auto lastRow = start;
    licytek::batch::BatchObserver observer;
    observer.progress = [&lastRow](const licytek::batch::BatchProgress&) {
        lastRow = std::chrono::steady_clock::now();
    };
    const auto summary =
        licytek::batch::RunBatch(argv[1], licytek::AuctionForm{}, "", options, observer);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    const std::chrono::duration<double> written = lastRow - start;
    if (summary.fatal || summary.failed != 0) {
        std::fprintf(stderr, "%s\n", summary.fatal.value_or(summary.Line()).c_str());
        return 1;
    }
    std::printf("%zu threads: %zu rows in %.2f s, %.0f rows/s; rows told after %.2f s\n",
                options.writerThreads, summary.written, seconds.count(),
                static_cast<double>(summary.written) / seconds.count(), written.count());
    return 0;
}
