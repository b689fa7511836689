#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

#include <sys/types.h>

// A private sound server for one test binary, speaking the PulseAudio
// protocol on its own socket: either a PulseAudio daemon or a PipeWire stack
// (a session bus for WirePlumber, pipewire, wireplumber and pipewire-pulse),
// each in its own runtime, configuration and state directories with no user
// configuration, and a fixed set of devices. start() exports PULSE_SERVER so
// libpulse and GStreamer clients in this process (and the pactl calls below)
// talk to it and nothing else.
//
// Which server runs is chosen by QUOREL_TEST_SOUND_SERVER ("pipewire", else
// PulseAudio), so every test that needs a server runs against both without
// knowing which. Every process it starts dies with the test process, even
// when that one is killed.
class PulseDaemon {
public:
    enum class Kind { PulseAudio, PipeWire };
    static Kind kindFromEnvironment();

    // Devices of the default script:
    //   sink "quorel_out" and source "quorel_in" (the remapped monitor of
    //   quorel_out, so what is played into the sink can be captured), both
    //   named "Quorel IIS Audio"; sink "builtin_out" ("Built-in Speaker")
    //   and source "builtin_in" ("Built-in Microphone"). The built-in pair
    //   are the defaults at start.
    // Stand-in sinks and sources are loaded with node.always-process=true:
    // PipeWire 1.4 leaves a null sink (or a source remapped from its
    // monitor) that has never run at 100 % whatever volume it is set to,
    // until a stream plays into it. PulseAudio ignores the property.
    static QString defaultScript();
    // Only the built-in pair, as the defaults: the computer without the
    // device, which a SimulatedDevice then plugs in.
    static QString builtinScript();

    // `script` holds PulseAudio script commands, one a line; PipeWire runs
    // each through pactl once its PulseAudio server answers.
    explicit PulseDaemon(QString script = defaultScript(), Kind kind = kindFromEnvironment());
    ~PulseDaemon();
    PulseDaemon(const PulseDaemon&) = delete;
    PulseDaemon& operator=(const PulseDaemon&) = delete;

    Kind kind() const { return m_kind; }
    // "PulseAudio" or "PipeWire", for test output.
    QString kindName() const;

    // Starts the server, waits (bounded) until it answers and has the
    // script's devices and defaults. Re-callable after stop() to simulate
    // the server coming back (with the script's devices and defaults again).
    bool start();
    // Ends the server (SIGKILL when `crash`, else SIGTERM) and waits. For
    // PipeWire that is the whole stack but its session bus, as when the
    // desktop's sound service restarts.
    void stop(bool crash = false);
    bool running() const;

    // The process that serves the PulseAudio protocol (pulseaudio or
    // pipewire-pulse); -1 when none runs.
    pid_t serverPid() const;
    // PipeWire's session manager (WirePlumber), or -1 (PulseAudio, stopped).
    pid_t sessionManagerPid() const;

    QString server() const;          // "unix:<socket path>"
    // PipeWire only (else empty): clients of this socket may read but not
    // change anything, the session manager's policy for restricted clients.
    QString restrictedServer() const;
    QString directory() const;       // the private runtime directory

    // Runs pactl against this server; returns its exit code.
    int pactl(const QStringList& args, QString* output = nullptr) const;
    // Runs any program with PULSE_SERVER pointing here (for example
    // gst-launch-1.0 or paplay); returns its exit code.
    int run(const QString& program, const QStringList& args, int timeoutMs = 30000,
            QString* output = nullptr) const;

private:
    QProcessEnvironment environment() const;
    QProcessEnvironment serverEnvironment() const;
    std::unique_ptr<QProcess> launch(const QString& program, const QStringList& args, const QString& logName);
    bool startPulseAudio();
    bool startPipeWire();
    bool runScriptThroughPactl();
    bool waitUntilAnswering(const QProcess& server);
    void logFailure(const char* what) const;
    static void end(QProcess& process, bool crash);

    const Kind m_kind;
    QTemporaryDir m_dir;
    QString m_script;
    std::unique_ptr<QProcess> m_bus;                    // PipeWire only; outlives restarts
    std::vector<std::unique_ptr<QProcess>> m_processes; // in start order; the server last
};
