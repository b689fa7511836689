#include "MockLogind.h"
#include "power/LogindPowerEvents.h"

#include <QDBusConnection>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// Going to sleep is not a resume; coming back is, once each time. The bus
// keeps the signals' order, so a resume told for the first would have
// arrived before the second's.
TEST(LogindPowerEvents, OnlyTheReturnFromSleepIsAResume)
{
    MockLogind logind;
    ASSERT_TRUE(logind.start());
    const QString name = QStringLiteral("power-events");
    {
        LogindPowerEvents events(QDBusConnection::connectToBus(logind.systemBusAddress(), name));
        ASSERT_TRUE(events.watching());
        QSignalSpy resumed(&events, &PowerEvents::resumed);

        ASSERT_TRUE(logind.emitPrepareForSleep(true));
        ASSERT_TRUE(logind.emitPrepareForSleep(false));
        ASSERT_TRUE(QTest::qWaitFor([&] { return resumed.count() >= 1; }, 10000));
        EXPECT_EQ(resumed.count(), 1);

        ASSERT_TRUE(logind.emitPrepareForSleep(true));
        ASSERT_TRUE(logind.emitPrepareForSleep(false));
        ASSERT_TRUE(QTest::qWaitFor([&] { return resumed.count() >= 2; }, 10000));
        EXPECT_EQ(resumed.count(), 2);
    }
    QDBusConnection::disconnectFromBus(name);
}

TEST(LogindPowerEvents, WithoutASystemBusNothingIsWatched)
{
    const QString name = QStringLiteral("no-bus");
    {
        LogindPowerEvents events(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/quorel-bus"), name));
        EXPECT_FALSE(events.watching());
    }
    QDBusConnection::disconnectFromBus(name);
}
