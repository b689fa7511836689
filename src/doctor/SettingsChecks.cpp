#include "doctor/SettingsChecks.h"

#include "settings/GuardedFile.h"
#include "settings/PropertyList.h"
#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace {

QString fileTitle()
{
    return SettingsChecks::tr("Settings file readable and valid");
}

QString folderTitle()
{
    return SettingsChecks::tr("Settings folder writable");
}

QString errorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

DoctorCheck checkFile(const QString& path)
{
    const QString id = QStringLiteral("settings.file");
    const QString resetFix
        = SettingsChecks::tr("Quit the panel and delete %1; the next start takes the factory values.").arg(path);
    // The store's own guarded read: a FIFO in its place cannot hold the
    // check, nor a huge file fill the memory.
    const GuardedRead file = readGuarded(path, SettingsStore::MaxFileSize);
    switch (file.outcome) {
    case GuardedRead::Outcome::Missing:
        return DoctorCheck::pass(id, fileTitle(),
                                 SettingsChecks::tr("%1 is not there yet; the factory values are used").arg(path));
    case GuardedRead::Outcome::CannotOpen:
        return DoctorCheck::fail(
            id, fileTitle(),
            SettingsChecks::tr("%1 cannot be read (%2), so the panel starts from the factory values")
                .arg(path, errorText(file.error)),
            SettingsChecks::tr("Give it back to your user ('sudo chown \"$USER\": %1 && chmod 600 %1').").arg(path));
    case GuardedRead::Outcome::NotRegular:
        return DoctorCheck::fail(id, fileTitle(), SettingsChecks::tr("%1 is not a regular file").arg(path), resetFix);
    case GuardedRead::Outcome::TooLarge:
        return DoctorCheck::fail(
            id, fileTitle(),
            SettingsChecks::tr("%1 is damaged (%2 bytes, far more than settings take)").arg(path).arg(file.size),
            resetFix);
    case GuardedRead::Outcome::Read:
        break;
    }

    const std::optional<QVariantMap> values = iniValues(file.bytes);
    if (!values)
        return DoctorCheck::fail(id, fileTitle(), SettingsChecks::tr("%1 is damaged").arg(path), resetFix);
    const QVariant stored = values->value(QStringLiteral("plist"));
    if (!stored.isValid())
        return DoctorCheck::pass(id, fileTitle(),
                                 SettingsChecks::tr("%1 holds no settings yet; the factory values are used").arg(path));
    const QByteArray text = stored.typeId() == QMetaType::QString ? stored.toString().toUtf8() : stored.toByteArray();
    QString error;
    QStringList dropped;
    if (!PropertyList::read(text, &error, &dropped))
        return DoctorCheck::fail(id, fileTitle(),
                                 SettingsChecks::tr("the settings in %1 are damaged (%2)").arg(path, error), resetFix);
    if (!dropped.isEmpty())
        return DoctorCheck::warn(id, fileTitle(),
                                 SettingsChecks::tr("one setting in %1 is damaged (%2) and reads as 0")
                                     .arg(path, dropped.join(QStringLiteral("; "))),
                                 SettingsChecks::tr("Set it again in the panel; the next save writes it whole."));
    return DoctorCheck::pass(id, fileTitle(), path);
}

DoctorCheck checkFolder(const QString& path)
{
    const QString id = QStringLiteral("settings.folder");
    // The save makes missing folders: the nearest one that exists must
    // take new entries.
    QString folder = QFileInfo(path).absolutePath();
    while (!QFileInfo::exists(folder) && QFileInfo(folder).absolutePath() != folder)
        folder = QFileInfo(folder).absolutePath();
    const QFileInfo info(folder);
    if (!info.isDir())
        return DoctorCheck::fail(
            id, folderTitle(), SettingsChecks::tr("%1 is not a folder").arg(folder),
            SettingsChecks::tr("Move %1 aside, so the panel can make its settings folder.").arg(folder));
    // As the panel's own writes would be judged: by the effective ids.
    if (::faccessat(AT_FDCWD, QFile::encodeName(folder).constData(), W_OK | X_OK, AT_EACCESS) != 0) {
        const int error = errno;
        return DoctorCheck::fail(
            id, folderTitle(),
            SettingsChecks::tr("the panel cannot write into %1 (%2), so no setting is kept")
                .arg(folder, errorText(error)),
            SettingsChecks::tr("Give the folder back to your user ('sudo chown -R \"$USER\": %1').").arg(folder));
    }
    return DoctorCheck::pass(id, folderTitle(), folder);
}

} // namespace

SettingsChecks::SettingsChecks()
    : SettingsChecks(SettingsStore::defaultSettingsFile())
{
}

SettingsChecks::SettingsChecks(QString settingsFile)
    : m_settingsFile(std::move(settingsFile))
{
}

std::vector<DoctorCheck> SettingsChecks::run()
{
    return {checkFile(m_settingsFile), checkFolder(m_settingsFile)};
}
