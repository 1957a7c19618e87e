#include "batch/OutputWriter.h"

#include <unistd.h>

#include <utility>

#include "model/FileIo.h"

namespace licytek::batch {
namespace {

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

OutputWriter::OutputWriter(std::size_t threads) : maxWaiting_(2 * threads) {
    threads_.reserve(threads);
    for (std::size_t i = 0; i < threads; ++i) {
        threads_.emplace_back([this] { Work(); });
    }
}

OutputWriter::~OutputWriter() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    workToDo_.notify_all();
    for (auto& thread : threads_) {
        thread.join();
    }
}

void OutputWriter::Submit(RowOutput row) {
    if (threads_.empty()) {
        RowWritten written = Write(std::move(row));
        std::lock_guard lock(mutex_);
        finished_.push_back(std::move(written));
        return;
    }
    std::unique_lock lock(mutex_);
    rowsMoved_.wait(lock, [this] { return waiting_.size() < maxWaiting_; });
    waiting_.push_back(std::move(row));
    lock.unlock();
    workToDo_.notify_one();
}

std::vector<RowWritten> OutputWriter::TakeFinished(bool wait) {
    std::unique_lock lock(mutex_);
    if (wait) {
        rowsMoved_.wait(lock,
                        [this] { return !finished_.empty() || (waiting_.empty() && busy_ == 0); });
    }
    return std::exchange(finished_, {});
}

void OutputWriter::DropWaiting() {
    std::lock_guard lock(mutex_);
    waiting_.clear();
}

void OutputWriter::Work() {
    std::unique_lock lock(mutex_);
    while (true) {
        workToDo_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
        if (waiting_.empty()) {
            return;  // closing, and nothing left to write
        }
        RowOutput row = std::move(waiting_.front());
        waiting_.pop_front();
        ++busy_;
        lock.unlock();
        rowsMoved_.notify_one();
        RowWritten written = Write(std::move(row));
        lock.lock();
        finished_.push_back(std::move(written));
        --busy_;
        rowsMoved_.notify_one();
    }
}

RowWritten OutputWriter::Write(RowOutput row) {
    RowWritten written;
    for (std::size_t i = 0; i < row.files.size() && !written.error; ++i) {
        const OutputFile& file = row.files[i];
        if (auto error = WriteFileAtomically(file.path, file.bytes, Flush::Later)) {
            written.error = FileNameOf(file.path) + ": " + error->message;
            // A row writes all its files or none: take back the new ones already written.
            for (std::size_t j = 0; j < i; ++j) {
                if (!row.files[j].existed) {
                    ::unlink(row.files[j].path.c_str());
                }
            }
        }
    }
    for (auto& file : row.files) {
        file.bytes = std::string();
    }
    written.row = std::move(row);
    return written;
}

}  // namespace licytek::batch
