#include "miccheck/MicCheck.h"
#include "miccheck/PulseMicCheckAudio.h"

#include "audio/PulseConnection.h"
#include "controls/MessageBand.h"
#include "model/PanelModel.h"

#include "LogCapture.h"
#include "PulseDaemon.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace std::chrono_literals;

// The device's sink and source of the private server are the defaults, as
// the link makes them.
class MicCheckPulseTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { daemon = std::make_unique<PulseDaemon>(); }
    static void TearDownTestSuite() { daemon.reset(); }

    void SetUp() override
    {
        if (!daemon->running()) {
            ASSERT_TRUE(daemon->start());
        }
        ASSERT_EQ(daemon->pactl({QStringLiteral("set-default-source"), QStringLiteral("quorel_in")}), 0);
        ASSERT_EQ(daemon->pactl({QStringLiteral("set-default-sink"), QStringLiteral("quorel_out")}), 0);
        connection = std::make_shared<PulseConnection>(2000ms, 250ms, "miccheck-test");
        audio = std::make_unique<PulseMicCheckAudio>(connection);
        check = std::make_unique<MicCheck>(model, *audio, &band);
        ASSERT_TRUE(connection->start());
        ASSERT_TRUE(connection->waitForConnection(10s));
        model.setLink(LinkState{.linked = true, .devicePresent = true});
    }
    void TearDown() override
    {
        check.reset();
        audio.reset();
        connection.reset();
    }

    static std::unique_ptr<PulseDaemon> daemon;
    PanelModel model;
    MessageBand band;
    std::shared_ptr<PulseConnection> connection;
    std::unique_ptr<PulseMicCheckAudio> audio;
    std::unique_ptr<MicCheck> check;
};
std::unique_ptr<PulseDaemon> MicCheckPulseTest::daemon;

TEST_F(MicCheckPulseTest, StoppedChecksLeaveNoStreamBehind)
{
    check->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return check->secondsLeft() < 5; }, 5000));
    check->stop();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QString out;
            daemon->pactl({QStringLiteral("list"), QStringLiteral("source-outputs")}, &out);
            return !out.contains(QStringLiteral("Microphone check"));
        },
        5000));
    EXPECT_FALSE(check->running());
}

TEST_F(MicCheckPulseTest, AServerGoneDuringTheCheckReachesTheBandAndTheLog)
{
    LogCapture log;
    check->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return check->secondsLeft() < 5; }, 5000));
    daemon->stop(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !check->running(); }, 10000));
    EXPECT_TRUE(band.text().contains(QStringLiteral("the sound server went away"))) << band.text().toStdString();
    EXPECT_EQ(log.count(QStringLiteral("microphone check failed: the sound server went away")), 1);
}

} // namespace
