#pragma once

#include <functional>
#include <variant>

#include <QMap>
#include <QString>
#include <QStringList>

// The names of the thirteen settings; no other key is read or written.
namespace SettingsKey {
inline const QString spkVolume = QStringLiteral("spkVolume");
inline const QString micGain = QStringLiteral("micGain");
inline const QString spkMute = QStringLiteral("spkMute");
inline const QString micMute = QStringLiteral("micMute");
inline const QString monitor = QStringLiteral("monitor");
inline const QString dehiss = QStringLiteral("dehiss");
inline const QString reverb = QStringLiteral("reverb");
inline const QString mixer = QStringLiteral("mixer");
inline const QString stage1 = QStringLiteral("stage1");
inline const QString stage2 = QStringLiteral("stage2");
inline const QString stage3 = QStringLiteral("stage3");
inline const QString stage4 = QStringLiteral("stage4");
inline const QString stage5 = QStringLiteral("stage5");

// All thirteen, in the order they are saved.
const QStringList& all();
// "stage1" .. "stage5" for stage 1 .. 5.
const QString& stage(int number);
}

// Every user setting, keyed by name, each an integer or a boolean. Readers
// take a value through either view: an absent key reads 0 or false, a
// boolean reads 1 or 0 as an integer, an integer reads true unless 0.
// Values are not clamped. Main thread only.
class SettingsDictionary {
public:
    using Value = std::variant<int, bool>;

    SettingsDictionary() = default;
    // Copies take the values, not the change listener.
    SettingsDictionary(const SettingsDictionary& other) : m_values(other.m_values) {}
    SettingsDictionary& operator=(const SettingsDictionary& other)
    {
        m_values = other.m_values;
        return *this;
    }

    int integerValue(const QString& key) const;
    bool boolValue(const QString& key) const;

    // Replaces (or creates) the value of `key`.
    void setInteger(const QString& key, int value);
    void setBool(const QString& key, bool value);

    bool contains(const QString& key) const { return m_values.contains(key); }
    const QMap<QString, Value>& values() const { return m_values; }

    // Called after every write that changed a value.
    void setChangeListener(std::function<void()> listener) { m_changed = std::move(listener); }

    bool operator==(const SettingsDictionary& other) const { return m_values == other.m_values; }

private:
    void set(const QString& key, Value value);

    QMap<QString, Value> m_values;
    std::function<void()> m_changed;
};
