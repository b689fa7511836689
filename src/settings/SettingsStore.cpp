#include "settings/SettingsStore.h"

#include <QFile>
#include <QLoggingCategory>
#include <QSettings>

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

std::optional<SettingsDictionary> SettingsStore::loadStored() const
{
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
    auto dictionary = text.isNull() ? std::nullopt : PropertyList::read(text, &error);
    if (!dictionary) {
        qCWarning(lcSettingsStore).noquote()
            << QStringLiteral("the stored settings in %1 are damaged (%2); starting from the defaults")
                   .arg(m_settingsFile, error);
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

bool SettingsStore::save(const SettingsDictionary& dictionary) const
{
    QSettings settings(m_settingsFile, QSettings::IniFormat);
    // Written to a temporary file, flushed and renamed over the old one.
    settings.setAtomicSyncRequired(true);
    settings.setValue(kStoreKey, QString::fromUtf8(PropertyList::write(dictionary, false)));
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        qCWarning(lcSettingsStore).noquote() << "cannot save the settings to" << m_settingsFile
                                             << (settings.status() == QSettings::AccessError
                                                     ? "(no access)"
                                                     : "(the file is damaged)");
        return false;
    }
    return true;
}
