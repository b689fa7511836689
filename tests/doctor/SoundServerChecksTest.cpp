// The sound-server checks against private servers, PulseAudio and PipeWire:
// the device's endpoints there or not, defaults elsewhere, and the session
// manager's configured default. (No server at all: DoctorCommandTest.)
#include <QTest>
#include <gtest/gtest.h>

#include "PulseDaemon.h"
#include "doctor/SoundServerChecks.h"

namespace {

using Outcome = DoctorCheck::Outcome;

struct Findings {
    std::vector<DoctorCheck> checks;

    const DoctorCheck& operator[](const char* id) const
    {
        static const DoctorCheck none;
        for (const DoctorCheck& check : checks) {
            if (check.id == QLatin1String(id))
                return check;
        }
        ADD_FAILURE() << "no check " << id;
        return none;
    }
};

Findings check()
{
    return {SoundServerChecks().run()};
}

// pw-metadata reaches the private PipeWire, not the machine's.
void pointPipeWireToolsAt(const PulseDaemon& daemon)
{
    qputenv("PIPEWIRE_REMOTE", (daemon.directory() + QStringLiteral("/pipewire-0")).toUtf8());
}

} // namespace

TEST(SoundServerChecks, TheDeviceIsFoundByNameAndNotTheDefaultUntilItIsMadeSo)
{
    PulseDaemon daemon;
    ASSERT_TRUE(daemon.start());
    pointPipeWireToolsAt(daemon);
    const bool pipewire = daemon.kind() == PulseDaemon::Kind::PipeWire;

    Findings found = check();
    ASSERT_EQ(found["sound.server"].outcome, Outcome::Pass) << found["sound.server"].cause.toStdString();
    EXPECT_EQ(found["sound.server"].detail.contains(QStringLiteral("PipeWire")), pipewire)
        << found["sound.server"].detail.toStdString();
    EXPECT_EQ(found["sound.output"].outcome, Outcome::Pass);
    EXPECT_TRUE(found["sound.output"].detail.startsWith(QStringLiteral("quorel_out")))
        << found["sound.output"].detail.toStdString();
    // The input is the device's own source, not a sink's monitor.
    EXPECT_TRUE(found["sound.input"].detail.startsWith(QStringLiteral("quorel_in")))
        << found["sound.input"].detail.toStdString();

    // The built-in pair are the defaults: each fix names the device's endpoint.
    EXPECT_EQ(found["sound.default-output"].outcome, Outcome::Fail);
    EXPECT_TRUE(found["sound.default-output"].cause.contains(QStringLiteral("builtin_out")));
    EXPECT_TRUE(found["sound.default-output"].fix.contains(QStringLiteral("pactl set-default-sink quorel_out")));
    EXPECT_EQ(found["sound.default-input"].outcome, Outcome::Fail);
    EXPECT_TRUE(found["sound.default-input"].fix.contains(QStringLiteral("pactl set-default-source quorel_in")));

    ASSERT_EQ(daemon.pactl({QStringLiteral("set-default-sink"), QStringLiteral("quorel_out")}), 0);
    ASSERT_EQ(daemon.pactl({QStringLiteral("set-default-source"), QStringLiteral("quorel_in")}), 0);
    // PipeWire's session manager makes the defaults a moment after asked.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            found = check();
            return found["sound.default-output"].outcome == Outcome::Pass
                   && found["sound.default-input"].outcome == Outcome::Pass;
        },
        10000))
        << found["sound.default-output"].cause.toStdString();
    if (!pipewire) {
        EXPECT_EQ(found["sound.configured-default"].outcome, Outcome::Skip);
        return;
    }
    EXPECT_EQ(found["sound.configured-default"].outcome, Outcome::Pass)
        << found["sound.configured-default"].detail.toStdString();
    EXPECT_EQ(found["sound.configured-default"].detail, QStringLiteral("quorel_out"));

    // The session manager's stored choice names another output: it would
    // come back over the device, and the check says so.
    ASSERT_EQ(daemon.run(QStringLiteral("pw-metadata"),
                         {QStringLiteral("-r"), daemon.directory() + QStringLiteral("/pipewire-0"), QStringLiteral("0"),
                          QStringLiteral("default.configured.audio.sink"), QStringLiteral("{\"name\":\"builtin_out\"}"),
                          QStringLiteral("Spa:String:JSON")}),
              0);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            found = check();
            return found["sound.configured-default"].outcome == Outcome::Fail;
        },
        10000));
    EXPECT_TRUE(found["sound.configured-default"].cause.contains(QStringLiteral("builtin_out")));
    EXPECT_TRUE(found["sound.configured-default"].fix.contains(QStringLiteral("pactl set-default-sink quorel_out")));
}

TEST(SoundServerChecks, AServerWithoutTheDeviceNamesItsAbsenceAndSkipsTheDefaults)
{
    PulseDaemon daemon(PulseDaemon::builtinScript());
    ASSERT_TRUE(daemon.start());
    pointPipeWireToolsAt(daemon);

    const Findings found = check();
    EXPECT_EQ(found["sound.server"].outcome, Outcome::Pass);
    for (const char* id : {"sound.output", "sound.input"}) {
        EXPECT_EQ(found[id].outcome, Outcome::Fail) << id;
        EXPECT_TRUE(found[id].cause.contains(QStringLiteral("\"Quorel IIS Audio\""))) << found[id].cause.toStdString();
        EXPECT_TRUE(found[id].fix.contains(QStringLiteral("pactl list cards")));
    }
    EXPECT_EQ(found["sound.default-output"].outcome, Outcome::Skip);
    EXPECT_EQ(found["sound.default-input"].outcome, Outcome::Skip);
    // A configured default with no device to compare it to is no fault.
    EXPECT_NE(found["sound.configured-default"].outcome, Outcome::Fail);
}
