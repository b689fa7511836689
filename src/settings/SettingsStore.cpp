#include "settings/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QStandardPaths>

#include "settings/GuardedFile.h"
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

// The path QSettings would give the user's native settings, made without
// QSettings: constructing one reads the file, whole and blocking, before
// the guarded read below could refuse it.
QString SettingsStore::defaultSettingsFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("quorel-panel/quorel-panel.conf"));
}

std::optional<SettingsDictionary> SettingsStore::load(bool* storedKept) const
{
    bool kept = false;
    // The stored set, once there, replaces the defaults whole: no merging.
    auto stored = loadStored(&kept);
    if (storedKept)
        *storedKept = kept;
    if (stored)
        return stored;
    return loadDefaults();
}

// Only a regular file of a sane size is read: a FIFO would hang the start,
// a huge file would take seconds and gigabytes to parse.
std::optional<SettingsDictionary> SettingsStore::loadStored(bool* storedKept) const
{
    const GuardedRead file = readGuarded(m_settingsFile, MaxFileSize);
    *storedKept = file.refused();
    if (file.refused()) {
        qCWarning(lcSettingsStore).noquote()
            << QStringLiteral("the settings file %1; starting from the defaults")
                   .arg(file.loggedReason(m_settingsFile));
        return std::nullopt;
    }
    if (file.outcome == GuardedRead::Outcome::Missing)
        return std::nullopt;
    const std::optional<QVariantMap> values = iniValues(file.bytes);
    if (!values) {
        qCWarning(lcSettingsStore).noquote() << "the settings file" << m_settingsFile
                                             << "is damaged; starting from the defaults";
        return std::nullopt;
    }
    const QVariant stored = values->value(kStoreKey);
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
// renamed over it: a crash mid-save keeps the previous file. A damaged
// file is replaced; one the panel could not read at all is kept.
bool SettingsStore::save(const SettingsDictionary& dictionary) const
{
    QString why;
    if (replaceIniFile(m_settingsFile, MaxFileSize,
                       {{kStoreKey, QString::fromUtf8(PropertyList::write(dictionary, false))}}, true, &why))
        return true;
    qCWarning(lcSettingsStore).noquote() << "cannot save the settings to" << m_settingsFile << "(" + why + ")";
    return false;
}
