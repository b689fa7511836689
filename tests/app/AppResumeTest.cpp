// After a suspend and resume the device may have lost its settings and the
// sound server may have chosen another default: the linked panel sends the
// full record again and makes the device the default once more. logind is
// python3-dbusmock's template on a private bus given as the system bus; the
// device is the simulated one on both sound servers.
#include "LogCapture.h"
#include "MockLogind.h"
#include "PanelFixture.h"

#include "controls/ImageView.h"

#include <QtGlobal>

namespace {

class AppResumeTest : public apptest::PanelFixture {
protected:
    static void SetUpTestSuite()
    {
        s_logind = new MockLogind();
        ASSERT_TRUE(s_logind->start());
        // Before anything in this process asks for the system bus.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", s_logind->systemBusAddress().toUtf8());
        PanelFixture::SetUpTestSuite();
    }

    static void TearDownTestSuite()
    {
        PanelFixture::TearDownTestSuite();
        delete s_logind;
        s_logind = nullptr;
    }

    QString defaultOf(const char* kind) const
    {
        QString name;
        s_daemon->pactl({QString::fromLatin1(kind)}, &name);
        return name.trimmed();
    }

    // The server's own devices become the defaults, as a server may choose
    // while the system sleeps.
    void defaultsMoveAway() const
    {
        s_daemon->pactl({QStringLiteral("set-default-sink"), QStringLiteral("builtin_out")});
        s_daemon->pactl({QStringLiteral("set-default-source"), QStringLiteral("builtin_in")});
    }

    inline static MockLogind* s_logind = nullptr;
};

TEST_F(AppResumeTest, ALinkedPanelSendsEverythingAndTakesTheDefaultsBackAfterAResume)
{
    createPanel(panelPorts());
    m_window->show();
    m_delegate->applicationDidFinishLaunching();

    // Not linked: a resume changes nothing.
    LogCapture log;
    ASSERT_TRUE(s_logind->emitPrepareForSleep(true));
    ASSERT_TRUE(s_logind->emitPrepareForSleep(false));
    ASSERT_TRUE(QTest::qWaitFor([&] { return log.count(QStringLiteral("the system has resumed")) == 1; }, 10000));

    ASSERT_TRUE(plugAndLink());
    ASSERT_TRUE(waitForReports(1));
    EXPECT_EQ(m_reports.size(), 1);
    m_reports.clear();
    defaultsMoveAway();
    ASSERT_TRUE(QTest::qWaitFor([&] { return defaultOf("get-default-sink") == QStringLiteral("builtin_out"); }, 5000));

    ASSERT_TRUE(s_logind->emitPrepareForSleep(true));
    ASSERT_TRUE(s_logind->emitPrepareForSleep(false));
    ASSERT_TRUE(waitForReports(1));
    EXPECT_EQ(m_reports.first().toHex(' '), apptest::storedFullRecord().toHex(' '));

    EXPECT_TRUE(QTest::qWaitFor([&] { return defaultOf("get-default-sink") == QStringLiteral("quorel_sim_out"); },
                                10000))
        << qPrintable(defaultOf("get-default-sink"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return defaultOf("get-default-source") == QStringLiteral("quorel_sim_in"); },
                                10000))
        << qPrintable(defaultOf("get-default-source"));
    // The sliders' volumes go to the device again.
    QString volume;
    EXPECT_TRUE(QTest::qWaitFor([&] {
        s_daemon->pactl({QStringLiteral("get-sink-volume"), QStringLiteral("quorel_sim_out")}, &volume);
        return volume.contains(QStringLiteral("37%"));
    }, 5000)) << qPrintable(volume);
    EXPECT_TRUE(m_outlets.linkImg->toolTip().isEmpty()) << qPrintable(m_outlets.linkImg->toolTip());
    EXPECT_EQ(m_reports.size(), 1) << "the going to sleep sends nothing";
    m_delegate.reset(); // while the audio system it uses is still there
}

} // namespace
