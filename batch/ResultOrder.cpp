#include "batch/ResultOrder.h"

#include <utility>

namespace licytek::batch {

void ResultOrder::Settle(std::size_t place, RowOutcome outcome) {
    settled_.emplace(place, std::move(outcome));
    while (!settled_.empty() && settled_.begin()->first == told_) {
        tell_(told_, settled_.begin()->second);
        settled_.erase(settled_.begin());
        ++told_;
    }
}

void ResultOrder::Settle(RowWritten written) {
    RowOutcome outcome{written.row.row, {}, std::move(written.row.warnings)};
    if (written.error) {
        outcome.problems.push_back(
            {written.row.nameColumn, std::move(*written.error), std::move(written.errorKind)});
        outcome.warnings.clear();
    }
    Settle(written.row.sequence, std::move(outcome));
}

void ResultOrder::TellRest() {
    for (const auto& [place, outcome] : settled_) {
        tell_(place, outcome);
    }
    settled_.clear();
}

}  // namespace licytek::batch
