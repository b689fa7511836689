#include "LogCapture.h"
#include "PanelFixture.h"

#include "controls/MessageBand.h"
#include "miccheck/MicCheck.h"
#include "miccheck/PulseMicCheckAudio.h"

#include <QFile>
#include <QProcess>

#include <cstdio>

namespace {

using apptest::PanelFixture;

// The simulated device's source is its sink's monitor remapped: a tone
// played into the sink is the device's input, and what the check plays
// back through the device's output is heard on that monitor.
const QString kDeviceSink = QStringLiteral("quorel_sim_out");

// The frequency of a tone from its sign changes, over its last second
// (mono, 48 kHz).
double toneFrequency(const QByteArray& raw)
{
    const auto* samples = reinterpret_cast<const std::int16_t*>(raw.constData());
    const qsizetype count = raw.size() / 2;
    if (count < 48000)
        return 0.0;
    int crossings = 0;
    for (qsizetype i = count - 48000 + 1; i < count; ++i) {
        if ((samples[i - 1] < 0) != (samples[i] < 0))
            ++crossings;
    }
    return crossings / 2.0;
}

class MicCheckEndToEndTest : public PanelFixture {
protected:
    void TearDown() override
    {
        check.reset();
        audio.reset();
        if (tone.state() != QProcess::NotRunning) {
            tone.kill();
            tone.waitForFinished(2000);
        }
        PanelFixture::TearDown();
    }

    // The panel linked to the device, with the check wired as main() wires it.
    void linkPanel()
    {
        createPanel(panelPorts());
        m_window->show();
        m_delegate->applicationDidFinishLaunching();
        ASSERT_TRUE(plugAndLink());
        audio = std::make_unique<PulseMicCheckAudio>(s_audio->connection());
        check = std::make_unique<MicCheck>(m_delegate->model(), *audio, m_outlets.messageBand);
    }

    // The device's output as its monitor hears it for `seconds`, mono.
    QByteArray recordOutput(int seconds)
    {
        const QString file = m_dir.filePath(QStringLiteral("heard.raw"));
        // pulsesrc hands buffers of 10 ms.
        s_daemon->run(QStringLiteral("gst-launch-1.0"),
                      {QStringLiteral("-q"), QStringLiteral("pulsesrc"),
                       QStringLiteral("device=%1.monitor").arg(kDeviceSink),
                       QStringLiteral("num-buffers=%1").arg(seconds * 100), QStringLiteral("!"),
                       QStringLiteral("audio/x-raw,format=S16LE,rate=48000,channels=1"), QStringLiteral("!"),
                       QStringLiteral("filesink"), QStringLiteral("location=") + file});
        QFile raw(file);
        return raw.open(QIODevice::ReadOnly) ? raw.readAll() : QByteArray();
    }

    std::unique_ptr<PulseMicCheckAudio> audio;
    std::unique_ptr<MicCheck> check;
    QProcess tone;
};

TEST_F(MicCheckEndToEndTest, AToneIntoTheDevicesInputComesBackOutOfItsOutput)
{
    linkPanel();
    // The device's volumes at full, so the tone keeps its level both ways.
    handChange(PanelSetting::Speaker, 100);
    handChange(PanelSetting::Mic, 100);
    tone.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
    tone.start(QStringLiteral("gst-launch-1.0"),
               {QStringLiteral("-q"), QStringLiteral("audiotestsrc"), QStringLiteral("is-live=true"),
                QStringLiteral("freq=440"), QStringLiteral("volume=0.5"), QStringLiteral("!"),
                QStringLiteral("audio/x-raw,format=S16LE,rate=48000,channels=2"), QStringLiteral("!"),
                QStringLiteral("pulsesink"), QStringLiteral("device=") + kDeviceSink});
    ASSERT_TRUE(tone.waitForStarted(5000));

    QSignalSpy phases(check.get(), &MicCheck::phaseChanged);
    check->start();
    ASSERT_EQ(check->phase(), MicCheck::Phase::Recording);
    // The tone reaches the device's input while the take is recorded.
    ASSERT_TRUE(QTest::qWaitFor([&] { return check->level() > 0.2F; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return check->phase() == MicCheck::Phase::Playing; }, 10000));
    tone.kill();
    ASSERT_TRUE(tone.waitForFinished(5000));

    // Nothing plays into the device now but the check: the tone on its
    // output is the take's.
    const double heard = toneFrequency(recordOutput(3));
    std::printf("tone heard back at %.1f Hz\n", heard);
    EXPECT_NEAR(heard, 440.0, 440.0 * 0.03);
    ASSERT_TRUE(QTest::qWaitFor([&] { return check->phase() == MicCheck::Phase::Idle; }, 10000));
    EXPECT_EQ(phases.count(), 3);
    EXPECT_FALSE(m_outlets.messageBand->isVisible()) << m_outlets.messageBand->text().toStdString();
}

TEST_F(MicCheckEndToEndTest, AServerGoneDuringTheCheckReachesTheBandAndTheLog)
{
    linkPanel();
    LogCapture log;
    check->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return check->secondsLeft() < 5; }, 5000));
    s_daemon->stop(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !check->running(); }, 10000));
    EXPECT_TRUE(m_outlets.messageBand->text().contains(QStringLiteral("the sound server went away")))
        << m_outlets.messageBand->text().toStdString();
    EXPECT_EQ(log.count(QStringLiteral("microphone check failed: the sound server went away")), 1);
    ASSERT_TRUE(s_daemon->start());
}

} // namespace
