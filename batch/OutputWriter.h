// Writes the files of the batch's rows on a few threads of its own. A row's files are staged
// as unnamed files and put in place together, or not at all; they are not flushed one by
// one, as the batch flushes the whole folder once at the end. The queue is short, so memory
// stays that of a few rows.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace licytek::batch {

struct OutputFile {
    std::string path;
    std::string bytes;
};

// What stands in the way of writing `path` (Polish, with the path quoted), looked at without
// following a link: the output folder may be shared, and a link planted there must not lead
// the batch elsewhere. Without `overwrite` anything at all; with it anything but a regular
// file. The writer decides again as it puts the file in place; this is for a clear message.
struct Blocked {
    std::string message;
    std::string_view kind;  // the same for every file blocked the same way
};
std::optional<Blocked> OutputBlocked(const std::string& path, bool overwrite);

// The files of one row and what to tell when they are written.
struct RowOutput {
    std::size_t sequence = 0;  // the order in which the batch began its rows
    std::size_t row = 0;
    std::string nameColumn;  // the column that named the files, for a message
    std::vector<OutputFile> files;
    std::vector<std::string> warnings;
};

struct RowWritten {
    RowOutput row;                     // its files' bytes already released
    std::optional<std::string> error;  // why the row's files are not there
    std::string errorKind;             // the error without the file's name
};

class OutputWriter {
  public:
    // With no threads every row is written at once, on the caller's thread. With
    // `overwrite` regular files in the way are replaced; otherwise a row whose file name is
    // taken fails.
    OutputWriter(std::size_t threads, bool overwrite);
    ~OutputWriter();  // writes what is queued, then ends the threads
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    // Queues a row, waiting while the queue is full.
    void Submit(RowOutput row);
    // The rows finished since the last call. With `wait`, waits until there is one, or
    // until nothing is left to write (and then the answer may be empty).
    std::vector<RowWritten> TakeFinished(bool wait);
    // Forgets the rows no thread has begun; they have written nothing.
    void DropWaiting();

  private:
    void Work();
    RowWritten Write(RowOutput row) const;

    std::mutex mutex_;
    std::condition_variable workToDo_;   // the writing threads wait here for rows
    std::condition_variable rowsMoved_;  // the batch's thread waits here for room or the end
    std::deque<RowOutput> waiting_;
    std::vector<RowWritten> finished_;
    std::size_t busy_ = 0;
    bool closing_ = false;
    bool overwrite_;
    std::size_t maxWaiting_;
    std::vector<std::thread> threads_;
};

}  // namespace licytek::batch
