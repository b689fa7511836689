// quorel-panel: with --status, --set or --toggle it talks to the panel
// running in this session and exits; with --doctor it checks the set-up,
// prints the report and exits; otherwise it becomes that panel,
// unless one runs already (then it brings that one's window to the front
// and exits), and hands control to the Qt application loop, which loads
// the main window, creates the controller, wires it and runs its start-up,
// then the presets and undo over it.
#include "app/AppDelegate.h"
#include "app/LogHandler.h"
#include "app/MainWindow.h"
#include "app/PanelRemote.h"
#include "app/PanelScenes.h"
#include "app/Translations.h"
#include "app/PanelSoundTarget.h"
#include "app/PresetWindowControls.h"
#include "app/UnixSignalNotifier.h"
#include "app/WaylandDecorations.h"
#include "audio/PulseAudioSystem.h"
#include "audio/PulseRecordingStreams.h"
#include "controls/MessageBand.h"
#include "doctor/DiagnosticsDialog.h"
#include "doctor/Doctor.h"
#include "miccheck/MicCheck.h"
#include "miccheck/MicCheckView.h"
#include "miccheck/PulseMicCheckAudio.h"
#include "presets/PresetController.h"
#include "presets/PresetStore.h"
#include "scenes/SceneStore.h"
#include "scenes/ScenesDialog.h"
#include "session/BackgroundMode.h"
#include "session/CommandLine.h"
#include "session/DesktopNotices.h"
#include "session/PanelService.h"
#include "session/SessionInstance.h"
#include "spectrum/PulseCaptureEngine.h"
#include "spectrum/SpectrumViewController.h"

#include <QAction>
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTextStream>
#include <QVersionNumber>

#include <cstdio>
#include <optional>

namespace {

QStringList argumentList(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

// Help, version, usage errors, the doctor and the talk to a running panel
// need no window, so they run without a display. Their texts are read again
// once the user's language is loaded (the first reading only chose this way).
int runWithoutWindow(const QStringList& arguments, int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    std::optional<Translations> translations(std::in_place);
    const CommandLineRequest request = parseCommandLine(arguments);
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (request.mode == CommandLineRequest::Mode::Exit) {
        (request.exitCode == ExitCode::Success ? out : err) << request.text;
        return request.exitCode;
    }
    if (request.mode == CommandLineRequest::Mode::Doctor) {
        // The JSON goes into bug reports and scripts: English, whatever the
        // user's language; the text report is read by the user, in theirs.
        if (request.json)
            translations.reset();
        return runDoctorCommand(request.json, SessionInstance().connection(), out);
    }
    return runClient(request, SessionInstance().connection(), out, err);
}

} // namespace

int main(int argc, char** argv)
{
    installLogHandler();
    QCoreApplication::setApplicationName(QStringLiteral("quorel-panel"));
    QCoreApplication::setOrganizationName(QStringLiteral("quorel-panel"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUOREL_VERSION));

    const QStringList arguments = argumentList(argc, argv);
    const CommandLineRequest request = parseCommandLine(arguments);
    if (request.mode != CommandLineRequest::Mode::Panel)
        return runWithoutWindow(arguments, argc, argv);

    // On X11 the window's image goes to the server over the socket rather
    // than through MIT-SHM: the spectrum repaints a few small strips twenty
    // times a second, and shared memory makes Qt wait for the server before
    // each paint may touch the strips it sent last (a round trip and two
    // wake-ups a frame) to save copying a few kilobytes. A choice made in
    // the environment is kept.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    // On Wayland the title bar is the compositor's where it draws them, and
    // otherwise, under a Qt that would load its EGL stack only to draw its
    // own, the panel's (see WaylandDecorations.h).
    // The compositor is asked only when the environment has not chosen.
    const bool environmentChose = qEnvironmentVariableIsSet("QT_WAYLAND_DISABLE_WINDOWDECORATION");
    const TitleBar titleBar =
        chooseTitleBar(environmentChose, environmentChose ? CompositorTitleBars::Unknown : compositorTitleBars(),
                       QLibraryInfo::version() < QVersionNumber(6, 5));
    if (titleBar != TitleBar::Qt)
        qputenv("QT_WAYLAND_DISABLE_WINDOWDECORATION", "1");
    QApplication app(argc, argv);
    const Translations translations;
    QApplication::setApplicationDisplayName(QCoreApplication::translate("main", "Quorel Panel"));
    QGuiApplication::setDesktopFileName(QStringLiteral("com.quorel.panel"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("com.quorel.panel")));

    // One panel per session: the second start raises the first and leaves
    // before it makes a controller, links or reads the settings.
    SessionInstance instance;
    PanelService service;
    if (instance.hasBus())
        service.registerOn(instance.connection());
    if (instance.claim() == SessionInstance::Claim::AlreadyRunning) {
        if (!request.hidden)
            instance.raiseRunning();
        return 0;
    }

    PulseAudioSystem audio;
    MainWindow window;
    if (titleBar == TitleBar::Panel && QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        window.addTitleControls();

    AppDelegatePorts ports;
    ports.audio = &audio;
    // One connection to the sound server: the spectrum captures on the
    // audio system's, so its silence tells of a server that stopped answering.
    ports.makeSpectrumController = [connection = audio.connection()] {
        return std::make_unique<SpectrumViewController>(PulseCaptureEngine::factory(connection));
    };
    AppDelegate delegate(std::move(ports));
    delegate.setOutlets(window.outlets());

    // The microphone check records and plays on the same connection, over
    // the spectrum as the message band does.
    PulseMicCheckAudio micCheckAudio(audio.connection());
    const AppDelegateOutlets outlets = window.outlets();
    MicCheck micCheck(delegate.model(), micCheckAudio, outlets.messageBand);
    MicCheckView micCheckView(micCheck, outlets.messageBand->parentWidget());
    micCheckView.lieOver(outlets.SpectrumView);
    delegate.transportControls()->setOtherUse([&micCheck] { return micCheck.running(); });

    PanelRemote remote(delegate, &window);
    service.setPort(&remote);
    const auto diagnose = [&window, &instance] { DiagnosticsDialog::openOver(&window, instance.connection()); };
    const auto checkMicrophone = [&micCheck] {
        micCheck.toggle();
        return micCheck.running();
    };
    // The scenes come with the presets, after the start-up.
    std::function<void()> editScenes;
    BackgroundMode background(&window, remote,
                              {.quit = [&delegate] { delegate.closeApplication(); },
                               .diagnose = diagnose,
                               .checkMicrophone = checkMicrophone,
                               .editScenes = [&editScenes] { editScenes(); }});
    QObject::connect(&micCheck, &MicCheck::phaseChanged, background.micCheckAction(),
                     [&micCheck, &background] { background.micCheckAction()->setChecked(micCheck.running()); });

    UnixSignalNotifier quitSignals;
    QObject::connect(&quitSignals, &UnixSignalNotifier::received, &delegate, &AppDelegate::closeApplication);
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);

    if (!request.hidden)
        window.show();
    delegate.applicationDidFinishLaunching();

    // After the start-up, so that loading the stored settings is not a step
    // to undo.
    PresetStore presetStore;
    const QStringList presetLosses = presetStore.load();
    PanelSoundTarget sound(delegate);
    PresetController presets(sound, presetStore);
    PresetWindowControls presetControls(window, presets);
    remote.setPresets(&presets);
    SceneStore sceneStore;
    const QStringList sceneLosses = sceneStore.load();
    PulseRecordingStreams recordingStreams(audio.connection());
    PanelScenes scenes(delegate, recordingStreams, presetStore, sceneStore, window.outlets().messageBand);
    remote.setScenes(&scenes.controller());
    QObject::connect(&scenes.controller(), &SceneController::sceneStarted, delegate.notices(),
                     &DesktopNotices::sceneStarted);
    editScenes = [&window, &scenes, &presetStore] { ScenesDialog::openOver(&window, scenes.controller(), presetStore); };
    QObject::connect(&sceneStore, &SceneStore::failed, &presetControls, &PresetWindowControls::showMessage);
    const QStringList losses = presetLosses + sceneLosses;
    if (!losses.isEmpty())
        presetControls.showMessage(losses.join(QLatin1Char('\n')));
    return QApplication::exec();
}
