// The row errors of a batch, told in part: the first few of each kind, and then a line with
// how many more of that kind there were.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "batch/ResultOrder.h"

namespace licytek::batch {

class ErrorCollapse {
  public:
    // Whether `problem` is to be told: false once its kind has been told often enough.
    bool Show(const RowProblem& problem);
    // "… i jeszcze 99 980 takich samych błędów" for each kind told only in part.
    std::vector<std::string> Hidden() const;

  private:
    struct Kind {
        std::size_t count;
        std::string column;
        std::string sample;
    };
    std::unordered_map<std::string, Kind> counts_;
    std::vector<const std::pair<const std::string, Kind>*> order_;  // in the order first told
};

}  // namespace licytek::batch
