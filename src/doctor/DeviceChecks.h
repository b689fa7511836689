#pragma once

#include "doctor/DoctorCheck.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// The device as the system sees it, through libudev (sysfs): the USB HID
// interface with the device's ids, its hidraw node, the udev rule that gives
// the seat's user access, and whether that access is in force (the node is
// opened for writing; nothing is written).
class DeviceChecks : public DoctorCheckFamily {
    Q_DECLARE_TR_FUNCTIONS(DeviceChecks)

public:
    struct Config {
        QStringList ruleDirs; // where udev reads rules from
        QString program;      // this program, to tell a package install
        QString packageList;  // the package's file list
    };
    // The machine's own folders and this program.
    static Config defaultConfig();

    explicit DeviceChecks(Config config = defaultConfig());
    std::vector<DoctorCheck> run() override;

private:
    Config m_config;
};
