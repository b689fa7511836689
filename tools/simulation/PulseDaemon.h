#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A private PulseAudio server for one test binary: its own socket, its own
// runtime directory, no user configuration, and a fixed set of devices.
// start() exports PULSE_SERVER so libpulse and GStreamer clients in this
// process (and the pactl calls below) talk to it and nothing else.
class PulseDaemon {
public:
    // Devices of the default script:
    //   sink "quorel_out" and source "quorel_in" (the remapped monitor of
    //   quorel_out, so what is played into the sink can be captured), both
    //   named "Quorel IIS Audio"; sink "builtin_out" ("Built-in Speaker")
    //   and source "builtin_in" ("Built-in Microphone"). The built-in pair
    //   are the defaults at start.
    static QString defaultScript();
    // Only the built-in pair, as the defaults: the computer without the
    // device, which a SimulatedDevice then plugs in.
    static QString builtinScript();

    explicit PulseDaemon(QString script = defaultScript());
    ~PulseDaemon();
    PulseDaemon(const PulseDaemon&) = delete;
    PulseDaemon& operator=(const PulseDaemon&) = delete;

    // Starts the server and waits (bounded) until it answers. Re-callable
    // after stop() to simulate the server coming back.
    bool start();
    // Ends the server (SIGKILL when `crash`, else SIGTERM) and waits.
    void stop(bool crash = false);
    bool running() const;

    QString server() const;          // "unix:<dir>/native"
    QString directory() const;       // the private runtime directory

    // Runs pactl against this server; returns its exit code.
    int pactl(const QStringList& args, QString* output = nullptr) const;
    // Runs any program with PULSE_SERVER pointing here (for example
    // gst-launch-1.0 or paplay); returns its exit code.
    int run(const QString& program, const QStringList& args, int timeoutMs = 30000,
            QString* output = nullptr) const;

private:
    QProcessEnvironment environment() const;

    QTemporaryDir m_dir;
    QString m_script;
    QProcess m_process;
};
