#pragma once

#include "doctor/DoctorCheck.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Every finding of one run of the doctor, as text for people and as JSON for
// bug reports. The JSON object has the keys
//   "program" (string), "version" (string), "passed" (bool: no check failed),
//   "checks" (array of objects with "id", "title", "status" — one of "pass",
//   "warn", "fail", "skip" —, "detail", "cause" and "fix", all strings,
//   empty where they do not apply).
struct DoctorReport {
    std::vector<DoctorCheck> checks;

    // True when no check failed (warnings and skips do not count).
    bool passed() const;
    // One line a check: its status, title and what was found, or, for a
    // warning or a failure, its cause and fix; then how many failed.
    QString toText() const;
    QByteArray toJson() const;

    static QString statusName(DoctorCheck::Outcome outcome);
};
