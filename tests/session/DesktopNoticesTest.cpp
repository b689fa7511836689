#include "session/DesktopNotices.h"

#include "model/PanelModel.h"

#include "HelperProcess.h"
#include "LogCapture.h"
#include "PrivateSessionBus.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QGuiApplication>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

const QString kNotifications = QStringLiteral("org.freedesktop.Notifications");

struct Notified {
    QString app;
    uint replaces = 0;
    QString icon;
    QString summary;
    QString body;
};

// python3-dbusmock's notification daemon on a private session bus; its
// call log tells what the panel notified.
class DesktopNoticesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(bus.start());
        connection = bus.connect(QStringLiteral("notices-test"));
        ASSERT_TRUE(connection.isConnected());
        window.resize(200, 100);
    }
    void TearDown() override
    {
        endHelperProcess(mock);
        QDBusConnection::disconnectFromBus(QStringLiteral("notices-test"));
    }

    void startService()
    {
        mock.setProcessEnvironment(bus.environment());
        mock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        mock.start(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--template"),
                    QStringLiteral("notification_daemon")});
        ASSERT_TRUE(mock.waitForStarted(5000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return connection.interface()->isServiceRegistered(kNotifications); },
                                    30000));
    }

    // dbusmock's log of the Notify calls: a(tav), the arguments in order.
    QList<Notified> notified()
    {
        const QDBusMessage reply = connection.call(
            QDBusMessage::createMethodCall(kNotifications, QStringLiteral("/org/freedesktop/Notifications"),
                                           QStringLiteral("org.freedesktop.DBus.Mock"),
                                           QStringLiteral("GetMethodCalls"))
            << QStringLiteral("Notify"));
        QList<Notified> calls;
        const auto log = reply.arguments().value(0).value<QDBusArgument>();
        log.beginArray();
        while (!log.atEnd()) {
            quint64 time = 0;
            QVariantList a;
            log.beginStructure();
            log >> time >> a;
            log.endStructure();
            calls.append({a[0].toString(), a[1].toUInt(), a[2].toString(), a[3].toString(), a[4].toString()});
        }
        log.endArray();
        return calls;
    }

    PrivateSessionBus bus;
    QDBusConnection connection{QString()};
    QProcess mock;
    PanelModel model;
    QWidget window;
};

TEST_F(DesktopNoticesTest, TellsOnlyWhileTheWindowIsHiddenOrMinimised)
{
    startService();
    struct Case {
        const char* name;
        void (QWidget::*show)();
        bool told;
    };
    const Case cases[] = {
        {"shown", &QWidget::showNormal, false},
        {"hidden", &QWidget::hide, true},
        {"minimised", &QWidget::showMinimized, true},
    };
    qsizetype expected = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Its own, so that no spacing of the case before holds a notice.
        DesktopNotices notices(model, &window, connection, 0ms);
        (window.*c.show)();
        model.setLink(LinkState{.linked = !model.link().linked, .devicePresent = true});
        // A scene's notice, hidden, after it: once that one is logged, the
        // link's would have been too.
        window.hide();
        notices.sceneStarted(QStringLiteral("marker"), QString::fromLatin1(c.name));
        expected += c.told ? 2 : 1;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !notified().isEmpty() && notified().last().body.contains(QString::fromLatin1(c.name)); },
            10000));
        const QList<Notified> calls = notified();
        EXPECT_EQ(calls.size(), expected);
        EXPECT_EQ(calls.size() > 1 && calls[calls.size() - 2].summary.startsWith(QStringLiteral("Device")), c.told);
    }
}

TEST_F(DesktopNoticesTest, EachKindShowsAtMostOneNoticeAtATimeReplacingItsLast)
{
    startService();
    DesktopNotices notices(model, &window, connection, 500ms);
    window.hide();
    model.setLink(LinkState{.linked = true, .devicePresent = true});
    model.setLink(LinkState{.linked = false, .devicePresent = false});
    model.setLink(LinkState{.linked = true, .devicePresent = true, .responding = false});
    notices.sceneStarted(QStringLiteral("OBS"), QStringLiteral("Voice"));

    // The first of each kind at once, the link's newest once its spacing is over.
    ASSERT_TRUE(QTest::qWaitFor([&] { return notified().size() >= 4; }, 10000));
    const QList<Notified> calls = notified();
    ASSERT_EQ(calls.size(), 4);
    EXPECT_EQ(calls[0].summary, QStringLiteral("Device linked"));
    EXPECT_EQ(calls[0].replaces, 0u);
    EXPECT_EQ(calls[0].icon, QStringLiteral("com.quorel.panel"));
    EXPECT_EQ(calls[0].app, QGuiApplication::applicationDisplayName());
    EXPECT_EQ(calls[1].summary, QStringLiteral("Device not answering"));
    EXPECT_EQ(calls[1].replaces, 0u);
    EXPECT_EQ(calls[2].summary, QStringLiteral("Scene started"));
    EXPECT_TRUE(calls[2].body.contains(QStringLiteral("\"Voice\""))) << calls[2].body.toStdString();
    // The server numbers its notices from 1: the link's first was 1.
    EXPECT_EQ(calls[3].summary, QStringLiteral("Device linked"));
    EXPECT_EQ(calls[3].replaces, 1u);
}

TEST_F(DesktopNoticesTest, WithoutAServiceOneLogLineAndNothingElse)
{
    LogCapture log;
    DesktopNotices notices(model, &window, connection, 0ms);
    window.hide();
    model.setLink(LinkState{.linked = true, .devicePresent = true});
    notices.sceneStarted(QStringLiteral("OBS"), QStringLiteral("Voice"));
    model.setLink(LinkState{});
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.count(QStringLiteral("desktop notices are not shown")) > 0; },
                                10000));
    // Replies come in the order of the calls: once the bus answers this
    // one, the notices' have come too.
    connection.interface()->isServiceRegistered(kNotifications);
    QCoreApplication::processEvents();
    EXPECT_EQ(log.count(QStringLiteral("desktop notices are not shown")), 1);
    EXPECT_EQ(log.messages().size(), 1) << log.messages().join(u'\n').toStdString();
}

} // namespace
