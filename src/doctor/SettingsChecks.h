#pragma once

#include "doctor/DoctorCheck.h"

#include <QCoreApplication>
#include <QString>

// The settings file: readable and valid where it exists (a missing one is
// the first run's), and its folder writable, so the next save can land.
// Only reads; creates nothing.
class SettingsChecks : public DoctorCheckFamily {
    Q_DECLARE_TR_FUNCTIONS(SettingsChecks)

public:
    // The user's own settings file.
    SettingsChecks();
    explicit SettingsChecks(QString settingsFile);
    std::vector<DoctorCheck> run() override;

private:
    QString m_settingsFile;
};
