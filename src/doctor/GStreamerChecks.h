#pragma once

#include "doctor/DoctorCheck.h"

#include <QCoreApplication>

// The GStreamer elements the recorder and player are built from, each
// looked up in the plugin registry, with the Debian package that brings a
// missing one. The first run in a process reads (and may rebuild) the
// registry, which can take seconds.
class GStreamerChecks : public DoctorCheckFamily {
    Q_DECLARE_TR_FUNCTIONS(GStreamerChecks)

public:
    std::vector<DoctorCheck> run() override;
};
