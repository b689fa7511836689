#pragma once

#include "AppTestSupport.h"
#include "PulseDaemon.h"
#include "SimulatedDevice.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "audio/PulseAudioSystem.h"
#include "settings/SettingsStore.h"

#include <QList>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>

namespace apptest {

// The controller with the real window against the simulated device (a
// umockdev HID node with its sink and source) on one private sound server
// for the whole suite. Each test starts from storedSettings() in a folder of
// its own, with the server's built-in devices as the defaults; every record
// the device receives is kept in m_reports.
class PanelFixture : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_daemon = new PulseDaemon(PulseDaemon::builtinScript());
        ASSERT_TRUE(s_daemon->start());
        s_audio = new PulseAudioSystem();
        ASSERT_TRUE(s_audio->waitForConnection(std::chrono::seconds(5)));
    }

    static void TearDownTestSuite()
    {
        delete s_audio;
        s_audio = nullptr;
        delete s_daemon;
        s_daemon = nullptr;
    }

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(store().save(storedSettings()));
        m_device = std::make_unique<SimulatedDevice>();
        QObject::connect(m_device.get(), &SimulatedDevice::reportReceived,
                         [this](const QByteArray& record) { m_reports.append(record); });
        s_daemon->pactl({QStringLiteral("set-default-sink"), QStringLiteral("builtin_out")});
        s_daemon->pactl({QStringLiteral("set-default-source"), QStringLiteral("builtin_in")});
    }

    // The controller goes before the window it points into, the device last.
    void TearDown() override
    {
        m_delegate.reset();
        m_window.reset();
        m_device.reset();
    }

    SettingsStore store() const
    {
        return SettingsStore(m_dir.filePath(QStringLiteral("quorel-panel.conf")),
                             m_dir.filePath(QStringLiteral("missing-defaults.plist")));
    }

    // What main() hands the controller, on the suite's server and the test's
    // store, with a short link wait; a quit is counted in m_quits.
    AppDelegatePorts panelPorts()
    {
        AppDelegatePorts ports;
        ports.audio = s_audio;
        ports.settingsStore = store();
        ports.linkWait = std::chrono::milliseconds(50);
        ports.quitApplication = [this] { ++m_quits; };
        return ports;
    }

    // The window and the controller on `ports`, wired as main() wires them;
    // neither shown nor launched yet.
    void createPanel(AppDelegatePorts ports)
    {
        m_window = std::make_unique<MainWindow>();
        m_delegate = std::make_unique<AppDelegate>(std::move(ports));
        m_outlets = m_window->outlets();
        m_delegate->setOutlets(m_outlets);
    }

    // Plugs the device in and waits for the link sequence to end; true when
    // it linked.
    bool plugAndLink()
    {
        QSignalSpy finished(m_delegate.get(), &AppDelegate::linkFinished);
        if (!m_device->plug() || !finished.wait(10000))
            return false;
        return finished.first().first().toBool();
    }

    // A change as a window control asks for it.
    void handChange(PanelSetting setting, double value)
    {
        m_delegate->model().apply(SettingsBatch::of(setting, value), ChangeOrigin::Control);
    }

    bool waitForReports(int count)
    {
        return QTest::qWaitFor([&] { return m_reports.size() >= count; }, 5000);
    }

    inline static PulseDaemon* s_daemon = nullptr;
    inline static PulseAudioSystem* s_audio = nullptr;

    QTemporaryDir m_dir;
    std::unique_ptr<SimulatedDevice> m_device;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<AppDelegate> m_delegate;
    AppDelegateOutlets m_outlets;
    QList<QByteArray> m_reports;
    int m_quits = 0;
};

} // namespace apptest
