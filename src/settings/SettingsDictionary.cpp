#include "settings/SettingsDictionary.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSettingsDictionary, "quorel.settings.dictionary")

const QStringList& SettingsKey::all()
{
    static const QStringList keys = {spkVolume, spkMute, micGain, micMute, monitor, dehiss, reverb,
                                     mixer, stage1, stage2, stage3, stage4, stage5};
    return keys;
}

const QString& SettingsKey::stage(int number)
{
    static const QString* const stages[] = {&stage1, &stage2, &stage3, &stage4, &stage5};
    if (number < 1 || number > 5) {
        static const QString none;
        qCWarning(lcSettingsDictionary) << "there is no equaliser stage" << number;
        return none;
    }
    return *stages[number - 1];
}

int SettingsDictionary::integerValue(const QString& key) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.cend())
        return 0;
    return std::visit([](auto value) { return static_cast<int>(value); }, *it);
}

bool SettingsDictionary::boolValue(const QString& key) const
{
    const auto it = m_values.constFind(key);
    if (it == m_values.cend())
        return false;
    return std::visit([](auto value) { return value != 0; }, *it);
}

void SettingsDictionary::setInteger(const QString& key, int value)
{
    set(key, value);
}

void SettingsDictionary::setBool(const QString& key, bool value)
{
    set(key, value);
}

void SettingsDictionary::set(const QString& key, Value value)
{
    const auto it = m_values.find(key);
    if (it != m_values.end() && *it == value)
        return;
    m_values.insert(key, value);
    if (m_changed)
        m_changed();
}
