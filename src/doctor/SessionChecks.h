#pragma once

#include "doctor/DoctorCheck.h"

#include <QCoreApplication>
#include <QDBusConnection>

#include <optional>

// The panel's place in the desktop session: a session bus, a panel already
// holding the session's name (then a new start only raises that one), and a
// tray host for the background mode.
class SessionChecks : public DoctorCheckFamily {
    Q_DECLARE_TR_FUNCTIONS(SessionChecks)

public:
    struct Config {
        QDBusConnection connection;
        // What Qt's own tray check said, read on the main thread where
        // there is a GUI; without one only the bus is asked.
        std::optional<bool> trayFromQt;
    };

    explicit SessionChecks(Config config);
    std::vector<DoctorCheck> run() override;

private:
    Config m_config;
};
