// Results in the input's order, whatever order they come in, with at most `window` rows begun
// and not yet reported in full. A row that waits long on Allegro (an operation being polled, a
// conflict put off) is reported as waiting at its place, so that the rows after it go on, and
// gets its own line when it ends. Pure: it holds results and says what may be printed.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace licytek::publish {

template <typename Result>
class InOrderReport {
  public:
    struct Line {
        std::size_t row = 0;
        std::optional<Result> result;  // empty: the row is waiting, its result comes later
    };

    explicit InOrderReport(std::size_t window) : window_(window > 0 ? window : 1) {}

    // Whether another row may begin. Memory holds only these rows.
    bool HasRoom() const { return rows_.size() < window_; }
    // Begins the next row of the input: 0, 1, 2 ...
    std::size_t Begin() {
        rows_.emplace(next_, Row{});
        return next_++;
    }
    // The row waits long: it is reported as waiting once every row before it is.
    void MarkWaiting(std::size_t row) {
        if (auto it = rows_.find(row); it != rows_.end()) {
            it->second.waiting = true;
        }
    }
    void Finish(std::size_t row, Result result) {
        if (auto it = rows_.find(row); it != rows_.end() && !it->second.result) {
            it->second.result = std::move(result);
        }
    }

    // What may be printed now, in order: the late results of rows shown as waiting, then the
    // rows whose turn has come.
    std::vector<Line> Take() {
        std::vector<Line> lines;
        for (auto it = rows_.begin(); it != rows_.end() && it->first < front_;) {
            it = it->second.result ? Emit(it, lines) : std::next(it);
        }
        while (front_ < next_) {
            const auto it = rows_.find(front_);
            if (it->second.result) {
                Emit(it, lines);
            } else if (it->second.waiting) {
                lines.push_back({front_, std::nullopt});
            } else {
                break;
            }
            ++front_;
        }
        return lines;
    }

    // Begun and not yet reported in full.
    std::size_t Outstanding() const { return rows_.size(); }

  private:
    struct Row {
        bool waiting = false;
        std::optional<Result> result;
    };
    using Rows = std::map<std::size_t, Row>;

    typename Rows::iterator Emit(typename Rows::iterator it, std::vector<Line>& lines) {
        lines.push_back({it->first, std::move(it->second.result)});
        return rows_.erase(it);
    }

    std::size_t window_;
    std::size_t next_ = 0;   // the next row to begin
    std::size_t front_ = 0;  // the first row not yet given a line
    Rows rows_;
};

}  // namespace licytek::publish
