// The Allegro work of a window on a thread of its own, one job at a time, so that the window
// answers while a request waits on the network or on Allegro. The session lives on that
// thread; the window hands it jobs and gets their replies back on its own thread. A job handed
// over while another runs waits for it to end, and a cancel reaches only the job in hand.
#pragma once

#include <QObject>
#include <QThread>

#include <atomic>
#include <functional>
#include <optional>
#include <variant>

#include "publish/AllegroSession.h"

namespace licytek {

class AllegroWorker {
  public:
    // What a job works with; touched by the worker thread alone, `cancel` excepted.
    struct State {
        std::optional<publish::SessionParts> parts;  // the open session, once opened
        bool sandbox = false;                        // which environment `parts` is for
        publish::Clock* clock = nullptr;             // the system's when null
        std::atomic<bool> cancel{false};
        // Runs `reply` on the window's thread soon, e.g. to show a step of the work.
        std::function<void(std::function<void()> reply)> post;

        // The session for the environment, opened on first use; a failure says why not.
        std::variant<publish::AllegroSession*, publish::Failure> Session(bool sandboxWanted);
    };
    using Reply = std::function<void()>;
    // Runs on the worker thread; what it returns runs on the window's thread.
    using Job = std::function<Reply(State&)>;

    // Replies go to `receiver`'s thread and are dropped once it is gone.
    AllegroWorker(QObject& receiver, publish::Clock* clock);
    // Cancels the job in hand and waits for it to end (a request ends within its timeout).
    ~AllegroWorker();
    AllegroWorker(const AllegroWorker&) = delete;
    AllegroWorker& operator=(const AllegroWorker&) = delete;

    // Queues `job`; it starts once the jobs before it have ended, with the cancel mark cleared.
    void Run(Job job);
    // Asks the job in hand to stop at its next safe point; the jobs queued after it still run.
    void Cancel() { state_.cancel = true; }

  private:
    QObject* receiver_;
    QThread thread_;
    QObject* context_;  // lives on the worker thread; jobs are queued to it
    State state_;
    std::atomic<bool> closing_{false};  // set on destruction: queued jobs no longer start
};

}  // namespace licytek
