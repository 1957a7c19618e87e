#include "app/AllegroWorker.h"

#include <utility>

namespace licytek {

std::variant<publish::AllegroSession*, publish::Failure> AllegroWorker::State::Session(
    bool sandboxWanted) {
    if (!parts || sandbox != sandboxWanted) {
        parts.reset();
        auto opened = publish::OpenSession(sandboxWanted, clock);
        if (auto* failure = std::get_if<publish::Failure>(&opened)) {
            return std::move(*failure);
        }
        parts = std::get<publish::SessionParts>(std::move(opened));
        sandbox = sandboxWanted;
    }
    return parts->session.get();
}

AllegroWorker::AllegroWorker(QObject& receiver, publish::Clock* clock)
    : receiver_(&receiver), context_(new QObject) {
    state_.clock = clock;
    state_.post = [this](std::function<void()> reply) {
        QMetaObject::invokeMethod(receiver_, std::move(reply), Qt::QueuedConnection);
    };
    thread_.setObjectName(QStringLiteral("Allegro"));
    context_->moveToThread(&thread_);
    thread_.start();
}

AllegroWorker::~AllegroWorker() {
    closing_ = true;
    state_.cancel = true;
    thread_.quit();
    thread_.wait();
    delete context_;
}

// The cancel mark is cleared as the job starts, on the worker thread, never while the job
// before it still runs: clearing it here would undo a cancel the seller asked of that job.
void AllegroWorker::Run(Job job) {
    QMetaObject::invokeMethod(
        context_,
        [this, job = std::move(job)] {
            if (closing_) {
                return;
            }
            state_.cancel = false;
            if (Reply reply = job(state_)) {
                state_.post(std::move(reply));
            }
        },
        Qt::QueuedConnection);
}

}  // namespace licytek
