// quorel-panel: hands control to the Qt application loop, which loads the
// main window, creates the controller, wires it and runs its start-up.
#include "app/AppDelegate.h"
#include "app/LogHandler.h"
#include "app/MainWindow.h"
#include "app/UnixSignalNotifier.h"
#include "audio/PulseAudioSystem.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char** argv)
{
    installLogHandler();

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("quorel-panel"));
    QApplication::setOrganizationName(QStringLiteral("quorel-panel"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorel Panel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("com.quorel.panel"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("com.quorel.panel")));

    PulseAudioSystem audio;
    MainWindow window;

    AppDelegatePorts ports;
    ports.audio = &audio;
    AppDelegate delegate(std::move(ports));
    delegate.setOutlets(window.outlets());

    UnixSignalNotifier quitSignals;
    QObject::connect(&quitSignals, &UnixSignalNotifier::received, &delegate, &AppDelegate::closeApplication);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);

    window.show();
    delegate.applicationDidFinishLaunching();
    return QApplication::exec();
}
