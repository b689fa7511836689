#include "settings/SettingsStore.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QTemporaryFile>

#include "settings/PropertyList.h"

Q_LOGGING_CATEGORY(lcSettingsStore, "quorel.settings.store")

namespace {

const QString kStoreKey = QStringLiteral("plist");

}

SettingsStore::SettingsStore()
    : SettingsStore(defaultSettingsFile(), defaultDefaultsFile)
{
}

SettingsStore::SettingsStore(QString settingsFile, QString defaultsFile)
    : m_settingsFile(std::move(settingsFile))
    , m_defaultsFile(std::move(defaultsFile))
{
}

QString SettingsStore::defaultSettingsFile()
{
    // The native format on Linux is the INI format, kept as a .conf file.
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("quorel-panel"),
                     QStringLiteral("quorel-panel"))
        .fileName();
}

std::optional<SettingsDictionary> SettingsStore::load() const
{
    // The stored set, once there, replaces the defaults whole: no merging.
    if (auto stored = loadStored())
        return stored;
    return loadDefaults();
}

// Only a regular file of a sane size is read: a FIFO would hang the start,
// a huge file would take seconds and gigabytes to parse.
bool SettingsStore::storedFileReadable() const
{
    const int fd = ::open(QFile::encodeName(m_settingsFile).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) {
            qCWarning(lcSettingsStore).noquote() << "cannot read the settings file" << m_settingsFile << ":"
                                                 << std::strerror(errno) << "- starting from the defaults";
        }
        return false;
    }
    struct stat info {};
    const bool statted = ::fstat(fd, &info) == 0;
    ::close(fd);
    if (!statted || !S_ISREG(info.st_mode)) {
        qCWarning(lcSettingsStore).noquote() << "the settings file" << m_settingsFile
                                             << "is not a regular file; starting from the defaults";
        return false;
    }
    if (info.st_size > MaxFileSize) {
        qCWarning(lcSettingsStore).noquote() << "the settings file" << m_settingsFile << "is damaged (" << info.st_size
                                             << "bytes, far more than settings take); starting from the defaults";
        return false;
    }
    return true;
}

std::optional<SettingsDictionary> SettingsStore::loadStored() const
{
    if (!storedFileReadable())
        return std::nullopt;
    const QSettings settings(m_settingsFile, QSettings::IniFormat);
    if (settings.status() == QSettings::FormatError) {
        qCWarning(lcSettingsStore).noquote() << "the settings file" << m_settingsFile
                                             << "is damaged; starting from the defaults";
        return std::nullopt;
    }
    const QVariant stored = settings.value(kStoreKey);
    if (!stored.isValid())
        return std::nullopt;

    QByteArray text;
    if (stored.typeId() == QMetaType::QString)
        text = stored.toString().toUtf8();
    else if (stored.typeId() == QMetaType::QByteArray)
        text = stored.toByteArray();

    QString error = QStringLiteral("not text");
    QStringList dropped;
    auto dictionary = text.isNull() ? std::nullopt : PropertyList::read(text, &error, &dropped);
    if (!dictionary) {
        qCWarning(lcSettingsStore).noquote()
            << QStringLiteral("the stored settings in %1 are damaged (%2); starting from the defaults")
                   .arg(m_settingsFile, error);
    }
    for (const QString& why : dropped) {
        qCWarning(lcSettingsStore).noquote()
            << QStringLiteral("the stored settings in %1 are damaged in one place: %2; that setting reads as 0 "
                              "and the others keep their values")
                   .arg(m_settingsFile, why);
    }
    return dictionary;
}

std::optional<SettingsDictionary> SettingsStore::loadDefaults() const
{
    QFile file(m_defaultsFile);
    if (!file.open(QIODevice::ReadOnly)) {
        qCWarning(lcSettingsStore).noquote()
            << QStringLiteral("cannot read the default settings %1: %2").arg(m_defaultsFile, file.errorString());
        return std::nullopt;
    }
    QString error;
    auto dictionary = PropertyList::read(file.readAll(), &error);
    if (!dictionary) {
        qCWarning(lcSettingsStore).noquote()
            << QStringLiteral("the default settings %1 are damaged: %2").arg(m_defaultsFile, error);
    }
    return dictionary;
}

// Written whole into a new file beside the old one, flushed to disk and
// renamed over it: a crash mid-save keeps the previous file, and the old
// file (damaged, or not a file at all) is never read.
bool SettingsStore::save(const SettingsDictionary& dictionary) const
{
    const auto fail = [this](const QString& why) {
        qCWarning(lcSettingsStore).noquote() << "cannot save the settings to" << m_settingsFile << "(" + why + ")";
        return false;
    };

    const QFileInfo target(m_settingsFile);
    if (!QDir().mkpath(target.path()))
        return fail(QStringLiteral("cannot create %1").arg(target.path()));
    QTemporaryFile temporary(m_settingsFile + QStringLiteral(".XXXXXX"));
    if (!temporary.open())
        return fail(temporary.errorString());

    {
        QSettings settings(temporary.fileName(), QSettings::IniFormat);
        settings.setValue(kStoreKey, QString::fromUtf8(PropertyList::write(dictionary, false)));
        settings.sync();
        if (settings.status() != QSettings::NoError)
            return fail(QStringLiteral("the new file could not be written"));
    }
    // QSettings wrote through a descriptor of its own; this one sees the
    // same file.
    if (::fsync(temporary.handle()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (::rename(QFile::encodeName(temporary.fileName()).constData(), QFile::encodeName(m_settingsFile).constData())
        != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    temporary.setAutoRemove(false);

    // The rename itself reaches the disk with the folder.
    const int folder = ::open(QFile::encodeName(target.path()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return true;
}
