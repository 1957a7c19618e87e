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
    state_.cancel = true;
    thread_.quit();
    thread_.wait();
    delete context_;
}

void AllegroWorker::Run(Job job) {
    state_.cancel = false;
    QMetaObject::invokeMethod(
        context_,
        [this, job = std::move(job)] {
            if (Reply reply = job(state_)) {
                state_.post(std::move(reply));
            }
        },
        Qt::QueuedConnection);
}

}  // namespace licytek
