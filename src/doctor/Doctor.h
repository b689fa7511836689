#pragma once

#include "doctor/DoctorCheck.h"
#include "doctor/DoctorReport.h"
#include "doctor/SessionChecks.h"

#include <memory>
#include <vector>

class QTextStream;

// Says what is wrong with the set-up around the panel and how to fix it:
// runs its check families in the order they were added and collects their
// findings. It changes nothing on the machine. run() may take seconds
// (GStreamer's registry, a sound server that is slow to answer), so the
// window calls it off the main thread.
class Doctor {
public:
    Doctor() = default;

    // Further families (a check of the presets file, say) go after the ones
    // already there.
    void addFamily(std::unique_ptr<DoctorCheckFamily> family);

    DoctorReport run();

    // The panel's own checks, in the order a problem shows itself: the
    // device, the sound server, GStreamer, the settings, the session. Built
    // on the main thread (it reads where the settings live).
    static std::unique_ptr<Doctor> standard(SessionChecks::Config session);

private:
    std::vector<std::unique_ptr<DoctorCheckFamily>> m_families;
};

// `quorel-panel --doctor [--json]`: runs the standard checks on this thread,
// prints the report to `out` as text or JSON and returns the exit code: 0
// when no check failed, 1 otherwise. GStreamer's registry goes to a folder
// removed afterwards, so the run leaves nothing behind; the JSON's system
// texts are English. Only for the command: it sets the environment and the
// locale of the process.
int runDoctorCommand(bool json, QDBusConnection session, QTextStream& out);
