#include "device/DeviceAccess.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kReloadAndTrigger =
    QStringLiteral("'sudo udevadm control --reload-rules && sudo udevadm trigger --subsystem-match=hidraw'");

}

QStringList DeviceAccess::udevRuleDirs()
{
    return {QStringLiteral("/etc/udev/rules.d"), QStringLiteral("/run/udev/rules.d"),
            QStringLiteral("/usr/lib/udev/rules.d"), QStringLiteral("/lib/udev/rules.d")};
}

DeviceAccess::Install DeviceAccess::detectInstall(const QStringList& ruleDirs, const QString& program,
                                                  const QString& packageList)
{
    for (const QString& dir : ruleDirs) {
        if (QFileInfo::exists(dir + QLatin1Char('/') + RuleName))
            return Install::RuleInPlace;
    }
    // The package's file list names every file it installed, the program
    // among them; a copy of the program elsewhere is not the package's.
    QFile list(packageList);
    if (!program.isEmpty() && list.size() < (1 << 20) && list.open(QIODevice::ReadOnly)) {
        const QByteArray wanted = QFile::encodeName(QFileInfo(program).canonicalFilePath());
        while (!list.atEnd()) {
            if (list.readLine().trimmed() == wanted)
                return Install::PackageNoRule;
        }
    }
    return Install::SourceNoRule;
}

DeviceAccess::Install DeviceAccess::detectInstall()
{
    const QString program = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    return detectInstall(udevRuleDirs(), program, PackageList);
}

namespace {

QString translated(const char* source)
{
    return QCoreApplication::translate("DeviceAccess", source);
}

QString english(const char* source)
{
    return QString::fromUtf8(source);
}

QString fix(DeviceAccess::Install install, QString (*text)(const char*))
{
    switch (install) {
    case DeviceAccess::Install::RuleInPlace:
        return text(QT_TRANSLATE_NOOP("DeviceAccess", "The udev rule %1 is installed but not yet applied to this "
                                                      "device: plug the device in again, or run %2."))
            .arg(DeviceAccess::RuleName, kReloadAndTrigger);
    case DeviceAccess::Install::PackageNoRule:
        return text(QT_TRANSLATE_NOOP("DeviceAccess", "The package's udev rule %1 is missing: run 'sudo apt-get "
                                                      "install --reinstall quorel-panel', which puts it back and "
                                                      "applies it."))
            .arg(DeviceAccess::RuleName);
    case DeviceAccess::Install::SourceNoRule:
        break;
    }
    return text(QT_TRANSLATE_NOOP("DeviceAccess", "Access for the logged-in user comes from the udev rule %1. Copy "
                                                  "udev/%1 from the source tree to /etc/udev/rules.d/, then run %2."))
        .arg(DeviceAccess::RuleName, kReloadAndTrigger);
}

} // namespace

QString DeviceAccess::permissionFix(Install install)
{
    return fix(install, translated);
}

QString DeviceAccess::permissionFixForLog(Install install)
{
    return fix(install, english);
}
