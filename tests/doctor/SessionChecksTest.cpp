// The session checks on a private session bus: no bus, another panel
// holding the session's name (or this one), and a tray host or none.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QObject>
#include <QTest>
#include <gtest/gtest.h>

#include <future>

#include <unistd.h>

#include "PrivateSessionBus.h"
#include "doctor/SessionChecks.h"

// The desktop's tray as the bus shows it: a StatusNotifierWatcher with a
// host registered.
class TrayWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ isHostRegistered)

public:
    bool isHostRegistered() const { return true; }
};

using namespace std::chrono_literals;

namespace {

using Outcome = DoctorCheck::Outcome;

class SessionChecksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.start());
        connection = bus.connect(QStringLiteral("doctor-%1").arg(++s_connections));
        ASSERT_TRUE(connection.isConnected());
    }

    // Off the main thread, as the window runs it: the watcher this process
    // serves answers from the main thread's loop.
    std::vector<DoctorCheck> run(std::optional<bool> trayFromQt = std::nullopt)
    {
        SessionChecks family({connection, trayFromQt});
        std::future<std::vector<DoctorCheck>> result = std::async(std::launch::async, [&] { return family.run(); });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.wait_for(0s) == std::future_status::ready; }, 20000));
        std::vector<DoctorCheck> checks = result.get();
        EXPECT_EQ(checks.size(), 3U);
        return checks;
    }

    static int s_connections;
    PrivateSessionBus bus;
    QDBusConnection connection{QString()};
};

int SessionChecksTest::s_connections = 0;

} // namespace

TEST_F(SessionChecksTest, AnotherPanelHoldingTheNameIsNamedWithItsProcessAndThisPanelIsNot)
{
    std::vector<DoctorCheck> checks = run();
    EXPECT_EQ(checks[0].outcome, Outcome::Pass);
    EXPECT_EQ(checks[1].outcome, Outcome::Pass);
    EXPECT_TRUE(checks[1].detail.contains(QStringLiteral("no other panel")));

    QDBusConnection other = bus.connect(QStringLiteral("other-panel"));
    ASSERT_TRUE(other.registerService(QStringLiteral("com.quorel.panel")));
    checks = run();
    EXPECT_EQ(checks[1].outcome, Outcome::Warn);
    EXPECT_TRUE(checks[1].cause.contains(QStringLiteral("process %1").arg(::getpid())))
        << checks[1].cause.toStdString();
    EXPECT_TRUE(checks[1].fix.contains(QStringLiteral("quit it")));
    ASSERT_TRUE(other.unregisterService(QStringLiteral("com.quorel.panel")));
    QDBusConnection::disconnectFromBus(QStringLiteral("other-panel"));

    // The window asks on the panel's own connection, which holds the name.
    ASSERT_TRUE(connection.registerService(QStringLiteral("com.quorel.panel")));
    checks = run();
    EXPECT_EQ(checks[1].outcome, Outcome::Pass);
    EXPECT_TRUE(checks[1].detail.contains(QStringLiteral("this panel")));
}

TEST_F(SessionChecksTest, ATrayHostOnTheBusOrInQtPassesAndNoneOnlyWarns)
{
    std::vector<DoctorCheck> checks = run();
    EXPECT_EQ(checks[2].outcome, Outcome::Warn);
    EXPECT_TRUE(checks[2].fix.contains(QStringLiteral("right-click menu")));
    EXPECT_EQ(run(true)[2].outcome, Outcome::Pass);

    QDBusConnection desktop = bus.connect(QStringLiteral("desktop"));
    TrayWatcher watcher;
    ASSERT_TRUE(desktop.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                                       QDBusConnection::ExportAllProperties));
    ASSERT_TRUE(desktop.registerService(QStringLiteral("org.kde.StatusNotifierWatcher")));
    checks = run();
    EXPECT_EQ(checks[2].outcome, Outcome::Pass) << checks[2].cause.toStdString();
    // Qt's word wins where there is a GUI to ask.
    EXPECT_EQ(run(false)[2].outcome, Outcome::Warn);
}

TEST_F(SessionChecksTest, NoSessionBusWarnsAndSkipsWhatNeedsIt)
{
    connection = QDBusConnection(QStringLiteral("never-connected"));
    const std::vector<DoctorCheck> checks = run();
    EXPECT_EQ(checks[0].outcome, Outcome::Warn);
    EXPECT_TRUE(checks[0].fix.contains(QStringLiteral("dbus-run-session")));
    EXPECT_EQ(checks[1].outcome, Outcome::Skip);
    EXPECT_EQ(checks[2].outcome, Outcome::Skip);
}

#include "SessionChecksTest.moc"
