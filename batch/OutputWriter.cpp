#include "batch/OutputWriter.h"

#include <sys/stat.h>

#include <utility>

#include "model/FileIo.h"

namespace licytek::batch {
namespace {

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::optional<Blocked> OutputBlocked(const std::string& path, bool overwrite) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return std::nullopt;  // nothing there, or the writer says what is wrong
    }
    const std::string quoted = "„" + path + "”";
    if (S_ISLNK(info.st_mode)) {
        return Blocked{"w folderze jest już dowiązanie symboliczne " + quoted +
                           "; nie zapisuję przez dowiązania, usuń je albo wybierz inny folder",
                       "link"};
    }
    if (!overwrite) {
        return Blocked{"plik " + quoted + " już istnieje (--overwrite go zastąpi)", "exists"};
    }
    if (!S_ISREG(info.st_mode)) {
        return Blocked{quoted + " nie jest zwykłym plikiem, więc nie zostanie zastąpiony",
                       "not regular"};
    }
    return std::nullopt;
}

OutputWriter::OutputWriter(std::size_t threads, bool overwrite)
    : overwrite_(overwrite), maxWaiting_(2 * threads) {
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

RowWritten OutputWriter::Write(RowOutput row) const {
    const Existing existing = overwrite_ ? Existing::ReplaceRegularFile : Existing::Refuse;
    RowWritten written;
    // A row writes all its files or none: every file is written before any takes its name,
    // and the ones placed before a failure are taken back, restoring what stood there.
    std::vector<StagedFile> staged;
    for (auto& file : row.files) {
        auto stage = StageFile(file.path, file.bytes, existing);
        file.bytes = std::string();
        if (auto* error = std::get_if<FileError>(&stage)) {
            written.error = FileNameOf(file.path) + ": " + PolishMessage(*error);
            written.errorKind = PolishMessage(*error);
            break;
        }
        staged.push_back(std::move(std::get<StagedFile>(stage)));
    }
    std::vector<PlacedFile> placed;
    for (std::size_t i = 0; i < staged.size() && !written.error; ++i) {
        auto place = PlaceStaged(staged[i], existing);
        if (auto* error = std::get_if<FileError>(&place)) {
            written.error = FileNameOf(staged[i].path()) + ": " + PolishMessage(*error);
            written.errorKind = PolishMessage(*error);
        } else {
            placed.push_back(std::move(std::get<PlacedFile>(place)));
        }
    }
    for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
        written.error ? UndoPlaced(*it) : KeepPlaced(*it);
    }
    for (auto& file : row.files) {
        file.bytes = std::string();
    }
    written.row = std::move(row);
    return written;
}

}  // namespace licytek::batch
