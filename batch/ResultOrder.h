// Rows are told in the order they began, though their files are written side by side: each
// row takes its place in line as it begins, and its outcome waits there until every earlier
// row's has been told.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "batch/OutputWriter.h"

namespace licytek::batch {

// Something wrong with a row, told as "FILE:ROW:COLUMN: message".
struct RowProblem {
    std::string column;  // empty for the row as a whole
    std::string message;
    std::string kind = {};  // what makes two errors the same, when not their whole message
};

// How a row ended: its problems when it failed, its warnings when it was written.
struct RowOutcome {
    std::size_t row = 0;
    std::vector<RowProblem> problems;
    std::vector<std::string> warnings;
};

class ResultOrder {
  public:
    // Called with each outcome and its place in line, in the order of the places.
    using Teller = std::function<void(std::size_t place, const RowOutcome& outcome)>;

    explicit ResultOrder(Teller tell) : tell_(std::move(tell)) {}

    // The place in line of the row that begins now.
    std::size_t Begin() { return begun_++; }
    // The row at `place` has ended: it is told now, with the rows after it that waited for
    // it, or else when the rows before it have ended too.
    void Settle(std::size_t place, RowOutcome outcome);
    // The same for a row the writer has finished: failed when its files could not be put in
    // place, with the error named by the column that named its files.
    void Settle(RowWritten written);
    // Tells the rows still waiting: rows dropped by a cancel leave gaps, and the rows after
    // them are told all the same.
    void TellRest();

  private:
    Teller tell_;
    std::size_t begun_ = 0;                      // rows that took a place so far
    std::size_t told_ = 0;                       // rows told, in order
    std::map<std::size_t, RowOutcome> settled_;  // ended but not yet told, by place
};

}  // namespace licytek::batch
