// The work queue: jobs in order on a thread of their own, answers on the
// main thread only to receivers that still live, and the shut-down's
// bounded wait.
#include <QElapsedTimer>
#include <QObject>
#include <QTest>
#include <gtest/gtest.h>

#include <future>
#include <thread>
#include <vector>

#include "base/WorkQueue.h"

using namespace std::chrono_literals;

TEST(WorkQueue, RunsJobsInOrderOffTheMainThreadAndAnswersInOrderOnIt)
{
    const std::thread::id mainThread = std::this_thread::get_id();
    QObject receiver;
    WorkQueue queue(QStringLiteral("test"));
    std::vector<int> ran;      // the queue's thread only
    std::vector<int> answered; // the main thread only
    bool offMainThread = true;
    bool onMainThread = true;
    for (int i = 0; i < 50; ++i) {
        queue.ask(
            &receiver,
            [&, i] {
                offMainThread = offMainThread && std::this_thread::get_id() != mainThread;
                ran.push_back(i);
                return i;
            },
            [&](QObject* to, int result) {
                onMainThread = onMainThread && std::this_thread::get_id() == mainThread && to == &receiver;
                answered.push_back(result);
            });
    }
    bool voidAnswered = false;
    queue.ask(&receiver, [] {}, [&](QObject*) { voidAnswered = answered.size() == 50; });
    queue.waitUntilIdle();
    ASSERT_EQ(ran.size(), 50U);
    ASSERT_TRUE(QTest::qWaitFor([&] { return voidAnswered; }, 5000)) << "after the others, in order";
    std::vector<int> expected(50);
    for (int i = 0; i < 50; ++i)
        expected[i] = i;
    EXPECT_EQ(ran, expected);
    EXPECT_EQ(answered, expected);
    EXPECT_TRUE(offMainThread);
    EXPECT_TRUE(onMainThread);
}

TEST(WorkQueue, AnAnswerToAReceiverThatIsGoneIsDroppedAndTheJobStillRuns)
{
    auto* receiver = new QObject;
    std::promise<void> release;
    bool ran = false;
    bool answered = false;
    {
        WorkQueue queue(QStringLiteral("test"));
        queue.ask(
            receiver,
            [&, released = release.get_future().share()] {
                released.wait();
                ran = true;
                return 1;
            },
            [&](QObject*, int) { answered = true; });
        delete receiver;
        release.set_value();
        queue.waitUntilIdle();
    }
    EXPECT_TRUE(ran);
    QTest::qWait(50);
    EXPECT_FALSE(answered);
}

TEST(WorkQueue, TheGroupsWaitIsBoundedAndCountsOnlyItsOwnQueues)
{
    WorkQueueGroup group;
    std::promise<void> releaseGrouped;
    std::promise<void> releaseOther;
    WorkQueue other(QStringLiteral("other"));
    other.post([released = releaseOther.get_future().share()] { released.wait(); });
    {
        WorkQueue grouped(QStringLiteral("grouped"), group);
        grouped.post([released = releaseGrouped.get_future().share()] { released.wait(); });
        EXPECT_FALSE(grouped.waitUntilIdle(20ms));
    }
    // Dropped, but its job still runs: the wait gives up at its bound.
    QElapsedTimer waited;
    waited.start();
    EXPECT_FALSE(group.waitForAll(100ms));
    EXPECT_GE(waited.elapsed(), 100);

    releaseGrouped.set_value();
    EXPECT_TRUE(group.waitForAll(5s)) << "a queue outside the group is not waited for";
    releaseOther.set_value();
    other.waitUntilIdle();
}
