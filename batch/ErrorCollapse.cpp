#include "batch/ErrorCollapse.h"

#include <cstddef>

#include "model/PolishNumbers.h"

namespace licytek::batch {
namespace {

// After this many errors of one kind the rest are only counted: a hundred thousand rows
// into a read-only folder are one problem, not a hundred thousand lines.
constexpr std::size_t kErrorsShownOfAKind = 20;
// Kinds beyond this many are not tracked, so that memory does not grow with the rows.
constexpr std::size_t kErrorKindsTracked = 10000;

}  // namespace

bool ErrorCollapse::Show(const RowProblem& problem) {
    std::string key =
        problem.column + '\n' + (problem.kind.empty() ? problem.message : problem.kind);
    auto it = counts_.find(key);
    if (it == counts_.end()) {
        if (counts_.size() >= kErrorKindsTracked) {
            return true;
        }
        it = counts_.emplace(std::move(key), Kind{0, problem.column, problem.message}).first;
        order_.push_back(&*it);
    }
    return ++it->second.count <= kErrorsShownOfAKind;
}

std::vector<std::string> ErrorCollapse::Hidden() const {
    std::vector<std::string> lines;
    for (const auto* entry : order_) {
        const Kind& kind = entry->second;
        if (kind.count <= kErrorsShownOfAKind) {
            continue;
        }
        const std::size_t hidden = kind.count - kErrorsShownOfAKind;
        const std::string counted =
            GroupedCountedNoun(hidden, "taki sam błąd", "takie same błędy", "takich samych błędów");
        lines.push_back("… i jeszcze " + counted + " (" +
                        (kind.column.empty() ? "" : kind.column + ": ") + kind.sample + ")");
    }
    return lines;
}

}  // namespace licytek::batch
