// quorel-simulate-device: runs the panel against a simulated Quorel IIS
// Audio and prints every record the panel sends, field by field.
//
//   quorel-simulate-device [--screenshot FILE] [--exit-after-screenshot] [--] PANEL [ARGS...]
//
// Keys while it runs: u unplugs the device, p plugs it back, q quits.
// GLib names a struct member "signals", which Qt defines as a macro: GLib first.
#include <umockdev.h>

#include "PrivateSessionBus.h"
#include "SimulatedDevice.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>
#include <vector>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &c, 1);
}

// Whether the options (before "--") ask for a screenshot.
bool wantsScreenshot(int argc, char** argv)
{
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0)
            return true;
    }
    return false;
}

// The panel's top-level window on the X display, or the whole screen.
QString panelWindow()
{
    QProcess search;
    search.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                            QStringLiteral("--classname"), QStringLiteral("quorel-panel")});
    if (search.waitForFinished(5000) && search.exitCode() == 0) {
        const QStringList ids = QString::fromLatin1(search.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        if (!ids.isEmpty())
            return ids.last();
    }
    return QStringLiteral("root");
}

void print(const QString& line)
{
    QTextStream(stdout) << line << Qt::endl;
}

// Single key presses without Enter, restored on exit.
class RawTerminal {
public:
    RawTerminal()
    {
        if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &m_saved) != 0)
            return;
        termios raw = m_saved;
        raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        m_active = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }
    ~RawTerminal()
    {
        if (m_active)
            tcsetattr(STDIN_FILENO, TCSANOW, &m_saved);
    }
    bool active() const { return m_active; }

private:
    termios m_saved {};
    bool m_active = false;
};

}

int main(int argc, char** argv)
{
    // The testbed only exists for processes under umockdev's preload.
    const char* preload = std::getenv("LD_PRELOAD");
    if (!preload || !std::strstr(preload, "libumockdev-preload")) {
        std::vector<char*> args;
        args.push_back(const_cast<char*>("umockdev-wrapper"));
        for (int i = 0; i < argc; ++i)
            args.push_back(argv[i]);
        args.push_back(nullptr);
        execvp("umockdev-wrapper", args.data());
        std::perror("quorel-simulate-device: cannot run umockdev-wrapper");
        return 2;
    }

    // A screenshot is read from the X display by Qt itself, so running the
    // panel needs no image tools; without one no display is needed at all.
    std::unique_ptr<QCoreApplication> application;
    if (wantsScreenshot(argc, argv)) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication& app = *application;
    QStringList args = app.arguments().mid(1);
    QString screenshot;
    bool exitAfterScreenshot = false;
    while (!args.isEmpty() && args.first().startsWith(QLatin1String("--"))) {
        const QString option = args.takeFirst();
        if (option == QLatin1String("--"))
            break;
        if (option == QLatin1String("--screenshot") && !args.isEmpty())
            screenshot = args.takeFirst();
        else if (option == QLatin1String("--exit-after-screenshot"))
            exitAfterScreenshot = true;
        else {
            print(QStringLiteral("usage: quorel-simulate-device [--screenshot FILE] "
                                 "[--exit-after-screenshot] [--] PANEL [ARGS...]"));
            return 2;
        }
    }
    if (args.isEmpty()) {
        print(QStringLiteral("quorel-simulate-device: name the panel to run"));
        return 2;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalPipe) != 0)
        return 2;
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGHUP, onSignal);

    SimulatedDevice device;
    if (!device.startSound()) {
        print(QStringLiteral("quorel-simulate-device: no sound server, and a private one would not start"));
        return 1;
    }
    if (!device.plug()) {
        print(QStringLiteral("quorel-simulate-device: cannot create the simulated device"));
        return 1;
    }
    print(QStringLiteral("Simulated Quorel IIS Audio plugged in at %1 (sound server: %2)")
              .arg(device.hidrawNode(), qEnvironmentVariable("PULSE_SERVER", QStringLiteral("session default"))));

    // The simulated panel gets a session bus of its own, so a panel running
    // in the desktop's session is not raised in its place (one panel per
    // session), and scripts can be tried against it.
    PrivateSessionBus bus;
    if (bus.start()) {
        qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address().toUtf8());
        print(QStringLiteral("The panel's session bus: DBUS_SESSION_BUS_ADDRESS='%1' (with it, try: quorel-panel --status)")
                  .arg(bus.address()));
    } else {
        print(QStringLiteral("quorel-simulate-device: no private session bus (dbus-daemon); the panel uses the session's"));
    }

    QProcess panel;
    panel.setProcessChannelMode(QProcess::ForwardedChannels);
    bool quitting = false;
    auto quit = [&] {
        if (quitting)
            return;
        quitting = true;
        if (panel.state() != QProcess::NotRunning) {
            // The panel stores its settings on SIGTERM.
            panel.terminate();
            if (!panel.waitForFinished(10000))
                panel.kill();
        }
        QCoreApplication::exit(panel.exitStatus() == QProcess::NormalExit ? panel.exitCode() : 1);
    };
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, quit);
    QObject::connect(&panel, &QProcess::finished, &app, quit);

    int reports = 0;
    bool screenshotTaken = false;
    QObject::connect(&device, &SimulatedDevice::reportReceived, &app, [&](const QByteArray& record) {
        print(QStringLiteral("report %1: %2").arg(++reports).arg(SimulatedDevice::describe(record)));
        if (screenshot.isEmpty() || screenshotTaken || record.at(0) != 8)
            return;
        screenshotTaken = true;
        // Let the window finish painting the linked state first.
        QTimer::singleShot(1500, &app, [&] {
            const QString window = panelWindow();
            QScreen* screen = QGuiApplication::primaryScreen();
            const bool saved = screen
                && screen->grabWindow(window == QLatin1String("root") ? 0 : window.toULongLong()).save(screenshot);
            print(saved ? QStringLiteral("Screenshot of the linked panel: %1").arg(QFileInfo(screenshot).absoluteFilePath())
                          : QStringLiteral("quorel-simulate-device: the screenshot failed"));
            if (exitAfterScreenshot)
                quit();
        });
    });
    QObject::connect(&device, &SimulatedDevice::malformedReport, &app, [](const QByteArray& bytes) {
        print(QStringLiteral("malformed report (report id is not 0): %1").arg(QString::fromLatin1(bytes.toHex(' '))));
    });

    RawTerminal terminal;
    QSocketNotifier keys(STDIN_FILENO, QSocketNotifier::Read);
    keys.setEnabled(terminal.active());
    QObject::connect(&keys, &QSocketNotifier::activated, &app, [&] {
        char key = 0;
        if (::read(STDIN_FILENO, &key, 1) != 1) {
            keys.setEnabled(false);
            return;
        }
        if (key == 'u') {
            device.unplug();
            print(QStringLiteral("Simulated device unplugged"));
        } else if (key == 'p') {
            print(device.plug() ? QStringLiteral("Simulated device plugged in")
                                : QStringLiteral("quorel-simulate-device: cannot plug the device in"));
        } else if (key == 's') {
            const bool stalled = !device.isStalled();
            print(device.setStalled(stalled) ? (stalled ? QStringLiteral("Simulated device stopped answering")
                                                        : QStringLiteral("Simulated device answers again"))
                                             : QStringLiteral("quorel-simulate-device: the device is not plugged in"));
        } else if (key == 'q') {
            quit();
        }
    });
    if (terminal.active())
        print(QStringLiteral("Keys: u unplug, p plug in, s stop/resume answering, q quit"));

    panel.start(args.takeFirst(), args);
    if (!panel.waitForStarted(10000)) {
        print(QStringLiteral("quorel-simulate-device: cannot start %1").arg(panel.program()));
        return 1;
    }
    return app.exec();
}
