// The background options' file: a FIFO or a huge file in its place neither
// holds the start nor is replaced; the user is told, and the options are off.
#include <QAction>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>

#include "session/BackgroundMode.h"
#include "session/PanelPort.h"

namespace {

class Port : public PanelPort {
public:
    PanelState state() const override { return {}; }
    bool set(PanelSetting, int, QString*) override { return false; }
    void showWindow() override {}
    QStringList presets() const override { return {}; }
    QString activePreset() const override { return {}; }
    bool activePresetModified() const override { return false; }
    bool applyPreset(const QString&, QString*) override { return false; }
    bool savePreset(const QString&, QString*) override { return false; }
};

// Lets a reader held by `fifo` go after five seconds, and says whether one was.
class FifoWatchdog {
public:
    explicit FifoWatchdog(const QString& fifo)
        : m_thread([this, path = QFile::encodeName(fifo)] {
            for (int tick = 0; tick < 500 && !m_done; ++tick)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (m_done)
                return;
            m_released = true;
            ::close(::open(path.constData(), O_WRONLY));
        })
    {
    }
    ~FifoWatchdog() { stop(); }
    bool stop()
    {
        m_done = true;
        if (m_thread.joinable())
            m_thread.join();
        return m_released;
    }

private:
    std::atomic<bool> m_done = false;
    std::atomic<bool> m_released = false;
    std::thread m_thread;
};

} // namespace

TEST(BackgroundOptions, AFifoOrAHugeFileIsNeitherReadNorReplacedAndTheUserIsTold)
{
    struct Case {
        const char* name;
        std::function<void(const QString&)> make;
        const char* shown;
    };
    const Case cases[] = {
        {"FIFO", [](const QString& file) { ASSERT_EQ(::mkfifo(QFile::encodeName(file).constData(), 0600), 0); },
         "is not a regular file"},
        {"200 MB sparse file", [](const QString& file) {
             QFile sparse(file);
             ASSERT_TRUE(sparse.open(QIODevice::WriteOnly) && sparse.resize(200 << 20));
         },
         "is far larger than options take"},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        QWidget window;
        Port port;
        BackgroundMode::Config config;
        config.optionsFile = dir.filePath(QStringLiteral("options.conf"));
        config.autostart = Autostart(dir.filePath(QStringLiteral("config")));
        config.quit = [] {};
        c.make(config.optionsFile);
        struct stat before {};
        ASSERT_EQ(::stat(QFile::encodeName(config.optionsFile).constData(), &before), 0);

        FifoWatchdog watchdog(config.optionsFile);
        BackgroundMode background(&window, port, config);
        EXPECT_FALSE(watchdog.stop()) << c.name << ": the start was held";
        QSignalSpy failed(&background, &BackgroundMode::failed);
        ASSERT_TRUE(failed.wait(5000)) << c.name;
        EXPECT_TRUE(failed.first().first().toString().contains(QLatin1String(c.shown))) << c.name;
        EXPECT_FALSE(background.keepRunning()) << c.name;

        background.keepRunningAction()->trigger();
        EXPECT_EQ(failed.size(), 2) << c.name;
        EXPECT_FALSE(background.keepRunning()) << c.name;
        EXPECT_FALSE(background.keepRunningAction()->isChecked()) << c.name;
        struct stat after {};
        ASSERT_EQ(::stat(QFile::encodeName(config.optionsFile).constData(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << c.name << ": kept";
        EXPECT_EQ(after.st_size, before.st_size) << c.name;
    }
}
