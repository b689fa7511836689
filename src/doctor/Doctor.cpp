#include "doctor/Doctor.h"

#include "doctor/DeviceChecks.h"
#include "doctor/GStreamerChecks.h"
#include "doctor/SettingsChecks.h"
#include "doctor/SoundServerChecks.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTextStream>

#include <clocale>

void Doctor::addFamily(std::unique_ptr<DoctorCheckFamily> family)
{
    m_families.push_back(std::move(family));
}

DoctorReport Doctor::run()
{
    DoctorReport report;
    for (const auto& family : m_families) {
        for (DoctorCheck& check : family->run())
            report.checks.push_back(std::move(check));
    }
    return report;
}

std::unique_ptr<Doctor> Doctor::standard(SessionChecks::Config session)
{
    auto doctor = std::make_unique<Doctor>();
    doctor->addFamily(std::make_unique<DeviceChecks>());
    doctor->addFamily(std::make_unique<SoundServerChecks>());
    doctor->addFamily(std::make_unique<GStreamerChecks>());
    doctor->addFamily(std::make_unique<SettingsChecks>());
    doctor->addFamily(std::make_unique<SessionChecks>(std::move(session)));
    return doctor;
}

int runDoctorCommand(bool json, QDBusConnection session, QTextStream& out)
{
    // The system's own texts (strerror, Qt's file errors, the sound
    // server's and GStreamer's) follow LC_MESSAGES: the JSON's are English.
    if (json)
        std::setlocale(LC_MESSAGES, "C");
    // gst_init writes GStreamer's registry where it is missing or stale: into
    // a folder of the doctor's own, removed when it is done.
    const QTemporaryDir registry;
    if (registry.isValid())
        qputenv("GST_REGISTRY_1_0", QFile::encodeName(registry.filePath(QStringLiteral("registry.bin"))));
    const DoctorReport report = Doctor::standard({std::move(session), std::nullopt})->run();
    if (json)
        out << QString::fromUtf8(report.toJson());
    else
        out << report.toText();
    out.flush();
    return report.passed() ? 0 : 1;
}
