#pragma once

#include <QString>

#include <vector>

// One finding of the doctor: what was checked, how it came out and, when
// something is wrong, the cause and the fix.
struct DoctorCheck {
    enum class Outcome {
        Pass, // as it should be
        Warn, // the panel works, with less (say, no tray)
        Fail, // the panel cannot do its work until this is fixed
        Skip, // could not be checked because of an earlier finding, or does not apply
    };

    QString id;    // stable key for scripts, e.g. "device.usb"
    QString title; // what was checked, e.g. "Quorel IIS Audio on USB"
    Outcome outcome = Outcome::Pass;
    QString detail; // what was found
    QString cause;  // Warn and Fail: what is wrong, without a closing full stop
    QString fix;    // Warn and Fail: what to do about it, one sentence

    static DoctorCheck pass(QString id, QString title, QString detail);
    static DoctorCheck skip(QString id, QString title, QString why);
    static DoctorCheck warn(QString id, QString title, QString cause, QString fix);
    static DoctorCheck fail(QString id, QString title, QString cause, QString fix);
};

// One family of checks (the device, the sound server, ...). run() may take
// seconds and is called off the main thread in the window, so it touches no
// widget and no settings object; every wait in it is bounded.
class DoctorCheckFamily {
public:
    virtual ~DoctorCheckFamily() = default;
    virtual std::vector<DoctorCheck> run() = 0;
};
