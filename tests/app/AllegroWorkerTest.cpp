// The worker of the Allegro dialogs: jobs in the order handed over, and a cancel that stays with
// the job it was meant for when the next one is handed over meanwhile.
#include <QObject>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "TestSupport.h"
#include "app/AllegroWorker.h"

namespace licytek::test {

class AllegroWorkerTest : public QObject {
    Q_OBJECT

  private slots:
    void aSecondJobWaitsAndLeavesTheFirstOnesCancelAlone() {
        QObject receiver;
        std::atomic<bool> started{false};
        std::atomic<bool> proceed{false};
        std::vector<int> replies;  // on this thread only
        bool firstSawCancel = false;
        bool secondSawCancel = true;
        {
            AllegroWorker worker(receiver, nullptr);
            worker.Run([&](AllegroWorker::State& state) -> AllegroWorker::Reply {
                started = true;
                for (int i = 0; !proceed && i < 5000; ++i) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                }
                const bool cancelled = state.cancel;
                return [&, cancelled] {
                    firstSawCancel = cancelled;
                    replies.push_back(1);
                };
            });
            QTRY_VERIFY(started.load());
            // The seller cancels the first job, and something hands over the next at once.
            worker.Cancel();
            worker.Run([&](AllegroWorker::State& state) -> AllegroWorker::Reply {
                const bool cancelled = state.cancel;
                return [&, cancelled] {
                    secondSawCancel = cancelled;
                    replies.push_back(2);
                };
            });
            proceed = true;
            QTRY_COMPARE(replies.size(), std::size_t{2});
        }
        QCOMPARE(replies, (std::vector<int>{1, 2}));
        QVERIFY(firstSawCancel);
        QVERIFY(!secondSawCancel);
    }
};

LICYTEK_WINDOW_TEST(AllegroWorkerTest);

}  // namespace licytek::test

#include "AllegroWorkerTest.moc"
