#pragma once

#include "session/PanelState.h"

#include <QDBusConnection>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

class QTextStream;

// The program's exit codes for scripts.
namespace ExitCode {
constexpr int Success = 0;
constexpr int Failure = 1;   // the panel answered with an error, or did not answer
constexpr int Usage = 2;     // an unknown option or key, a value that is not one or out of range
constexpr int NoPanel = 3;   // no panel runs in this session
constexpr int NotLinked = 4; // the panel runs, but the device is not linked
} // namespace ExitCode

// What the command line asks for: run the panel (perhaps without showing
// its window), talk to the running panel, check the set-up (the doctor), or
// just print and exit (help, version, a usage error).
struct CommandLineRequest {
    enum class Mode { Panel, Client, Doctor, Exit };
    Mode mode = Mode::Panel;

    // Panel: start with the window hidden (background mode, autostart).
    bool hidden = false;

    // Client, run in this order: the preset to apply, the sets, the
    // toggles, the preset to save (so it holds the sets), the scene to add
    // and the one to remove, then the lists of presets and scenes and the
    // status.
    std::optional<QString> applyPreset;
    std::vector<std::pair<PanelSetting, int>> sets;
    std::vector<PanelSetting> toggles;
    std::optional<QString> savePreset;
    std::optional<std::pair<QString, QString>> addScene; // application, preset
    std::optional<QString> removeScene;
    bool listPresets = false;
    bool listScenes = false;
    bool status = false;

    // Doctor: print the report as JSON rather than text.
    bool json = false;

    // Exit: the text to print (to stdout on success, else stderr) and the code.
    QString text;
    int exitCode = ExitCode::Success;
};

// Parses the arguments (the first is the program); needs no application
// object, so the client never starts a GUI.
CommandLineRequest parseCommandLine(const QStringList& arguments);

// Carries out a Client request against the panel that owns the session
// bus name; messages go to `out` and `err`. Returns the exit code.
int runClient(const CommandLineRequest& request, QDBusConnection connection, QTextStream& out, QTextStream& err);
