// "Diagnostics…" in the window's and the tray's menu, and the dialog it
// opens: modal to the window, "checking…" while the checks run off the main
// thread, then the report and a button that copies it.
#include <QAction>
#include <QClipboard>
#include <QDBusConnection>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

#include "PrivateSessionBus.h"
#include "doctor/DiagnosticsDialog.h"
#include "doctor/Doctor.h"
#include "session/BackgroundMode.h"
#include "session/PanelPort.h"

namespace {

// A family that holds until the test lets it go, as a slow sound server
// would, and notes the thread it ran on.
class HeldChecks : public DoctorCheckFamily {
public:
    std::vector<DoctorCheck> run() override
    {
        thread = std::this_thread::get_id();
        started = true;
        released.wait();
        return {DoctorCheck::pass(QStringLiteral("test.first"), QStringLiteral("First"), QStringLiteral("fine")),
                DoctorCheck::fail(QStringLiteral("test.second"), QStringLiteral("Second"),
                                  QStringLiteral("the second is broken"), QStringLiteral("Mend it."))};
    }

    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> started = false;
    std::atomic<std::thread::id> thread;
};

struct HeldDoctor {
    std::shared_ptr<Doctor> doctor = std::make_shared<Doctor>();
    HeldChecks* checks = nullptr;

    HeldDoctor()
    {
        auto family = std::make_unique<HeldChecks>();
        checks = family.get();
        doctor->addFamily(std::move(family));
    }
};

QString statusText(const QDialog& dialog)
{
    return dialog.findChild<QLabel*>()->text();
}

class Port : public PanelPort {
public:
    PanelState state() const override { return {}; }
    bool set(PanelSetting, int, QString*) override { return false; }
    void showWindow() override { ++shown; }
    QStringList presets() const override { return {}; }
    QString activePreset() const override { return {}; }
    bool activePresetModified() const override { return false; }
    bool applyPreset(const QString&, QString*) override { return false; }
    bool savePreset(const QString&, QString*) override { return false; }
    int shown = 0;
};

} // namespace

TEST(DiagnosticsDialog, SaysCheckingWhileTheChecksRunOffTheMainThreadThenShowsAndCopiesTheReport)
{
    QWidget window;
    window.show();
    HeldDoctor held;
    auto* dialog = new DiagnosticsDialog(held.doctor, &window);
    dialog->open();
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);

    ASSERT_TRUE(QTest::qWaitFor([&] { return held.checks->started.load(); }, 10000));
    EXPECT_NE(held.checks->thread.load(), std::this_thread::get_id());
    QTest::qWait(50); // the loop turns while the checks hold
    EXPECT_TRUE(dialog->isChecking());
    EXPECT_EQ(statusText(*dialog), QStringLiteral("checking…"));
    EXPECT_FALSE(dialog->copyButton()->isEnabled());

    held.checks->release.set_value();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->isChecking(); }, 10000));
    const QString expected = QStringLiteral("PASS  First: fine\n"
                                            "FAIL  Second: the second is broken. Mend it.\n"
                                            "1 of 2 checks failed.\n");
    EXPECT_EQ(dialog->reportText(), expected);
    EXPECT_NE(statusText(*dialog), QStringLiteral("checking…"));
    ASSERT_TRUE(dialog->copyButton()->isEnabled());
    dialog->copyButton()->click();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    delete dialog;
}

TEST(DiagnosticsDialog, AReportThatArrivesAfterTheDialogClosedIsDropped)
{
    QWidget window;
    HeldDoctor held;
    auto* dialog = new DiagnosticsDialog(held.doctor, &window);
    dialog->open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return held.checks->started.load(); }, 10000));
    delete dialog;

    std::weak_ptr<Doctor> doctor = held.doctor;
    held.doctor.reset();
    held.checks->release.set_value();
    // The thread lets go of the doctor once its report is handed over.
    EXPECT_TRUE(QTest::qWaitFor([&] { return doctor.expired(); }, 10000));
    QTest::qWait(50);
}

TEST(DiagnosticsDialog, TheStandardChecksInTheWindowKnowThePanelsOwnBusName)
{
    PrivateSessionBus bus;
    ASSERT_TRUE(bus.start());
    QDBusConnection connection = bus.connect(QStringLiteral("panel"));
    ASSERT_TRUE(connection.registerService(QStringLiteral("com.quorel.panel")));
    QWidget window;
    window.show();
    QPointer<DiagnosticsDialog> dialog = DiagnosticsDialog::openOver(&window, connection);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog->isChecking(); }, 60000));
    const QString report = dialog->reportText();
    EXPECT_TRUE(
        report.contains(QStringLiteral("PASS  Panel running in this session: this panel holds com.quorel.panel")))
        << qPrintable(report);
    for (const char* title : {"Quorel IIS Audio on USB", "Sound server", "GStreamer element avenc_aac",
                              "Settings file readable and valid", "Tray host"})
        EXPECT_TRUE(report.contains(QLatin1String(title))) << title;
    dialog->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }, 5000)) << "deleted once closed";
}

TEST(DiagnosticsDialog, TheWindowsAndTheTraysMenuOpenItOverTheShownWindow)
{
    QTemporaryDir dir;
    QWidget window;
    Port port;
    int opened = 0;
    BackgroundMode::Config config;
    config.optionsFile = dir.filePath(QStringLiteral("options.conf"));
    config.autostart = Autostart(dir.filePath(QStringLiteral("config")));
    config.quit = [] {};
    config.diagnose = [&] {
        EXPECT_EQ(port.shown, opened + 1) << "the window is shown first";
        ++opened;
    };
    BackgroundMode background(&window, port, config);
    QAction* diagnostics = background.diagnosticsAction();
    ASSERT_NE(diagnostics, nullptr);
    EXPECT_EQ(diagnostics->text(), QStringLiteral("Diagnostics…"));
    EXPECT_TRUE(window.actions().contains(diagnostics));
    EXPECT_TRUE(background.menu()->actions().contains(diagnostics));
    diagnostics->trigger();
    EXPECT_EQ(opened, 1);

    // Without a way to open it there is no entry.
    QWidget other;
    config.diagnose = nullptr;
    BackgroundMode without(&other, port, config);
    EXPECT_EQ(without.diagnosticsAction(), nullptr);
}
