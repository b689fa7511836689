#pragma once

#include "doctor/DoctorCheck.h"

#include <QCoreApplication>
#include <QString>

// The sound server as the panel meets it, asked once over a connection of
// its own (libpulse): reachable, its name and version, the device's output
// and input (found by name as the link finds them) and whether they are the
// defaults; on PipeWire also the default its session manager restores
// (`default.configured.audio.sink`, read with pw-metadata). Every wait is
// bounded. Any thread but the one of a libpulse threaded loop.
class SoundServerChecks : public DoctorCheckFamily {
    Q_DECLARE_TR_FUNCTIONS(SoundServerChecks)

public:
    struct Config {
        QString server;       // empty: libpulse's own choice (PULSE_SERVER, the session's)
        int timeoutMs = 5000; // for the whole libpulse conversation
        QString metadataProgram = QStringLiteral("pw-metadata");
        int metadataTimeoutMs = 5000;
    };

    SoundServerChecks();
    explicit SoundServerChecks(Config config);
    std::vector<DoctorCheck> run() override;

private:
    Config m_config;
};
