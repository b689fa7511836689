#include "presets/PresetStore.h"

#include "presets/FactoryPresets.h"
#include "presets/PresetFile.h"
#include "presets/PresetFormat.h"
#include "presets/PresetsLog.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

Q_LOGGING_CATEGORY(lcPresets, "quorel.presets")

PresetStore::PresetStore(QString file, QObject* parent)
    : QObject(parent)
    , m_file(std::move(file))
{
    connect(&m_file, &StoreFile::setAside, this, [this](const QString& keptAs) {
        fail(tr("Your presets in %1 could not be read; that file is kept as %2 and the presets are stored anew")
                 .arg(m_file.path(), keptAs));
    });
    connect(&m_file, &StoreFile::failed, this, [this](const QString& why) {
        fail(tr("Cannot store the presets in %1: %2").arg(m_file.path(), why));
    });
}

PresetStore::~PresetStore() = default;

QString PresetStore::defaultFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("quorel-panel/presets"));
}

QStringList PresetStore::load()
{
    m_user.clear();
    m_active.clear();
    m_unread = {};
    QStringList losses;
    bool missing = false;
    QString why;
    const std::optional<QByteArray> bytes = m_file.read(&missing, &why);
    std::optional<PresetFormat::Store> stored;
    if (bytes)
        stored = PresetFormat::readStore(*bytes, &why);
    const QString path = m_file.path();
    const bool unreadable = !missing && !stored;
    m_file.setUnreadable(unreadable);
    if (unreadable) {
        losses << tr("Your presets in %1 cannot be read (%2); only the factory presets are offered, and the file "
                     "is kept under another name when the presets next change")
                      .arg(path, why);
    }
    if (stored) {
        m_unread = stored->unread;
        for (const QString& damage : stored->damaged)
            losses << tr("In %1, %2").arg(path, damage);
        qsizetype pastCap = 0;
        for (qsizetype i = 0; i < stored->presets.size(); ++i) {
            const Preset& preset = stored->presets[i];
            if (FactoryPresets::find(preset.name)) {
                losses << tr("In %1, the preset \"%2\" has a factory preset's name: it is left out and kept in "
                             "the file")
                              .arg(path, preset.name);
            } else if (m_user.size() < MaxUserPresets) {
                m_user.append(preset);
                continue;
            } else {
                ++pastCap;
            }
            m_unread.sections << stored->sections[i];
        }
        if (pastCap > 0) {
            losses << tr("%1 holds more than %2 presets: only the first %2 are offered, and the other %3 are kept "
                         "in the file")
                          .arg(path)
                          .arg(MaxUserPresets)
                          .arg(pastCap);
        }
        m_active = find(stored->active) ? stored->active : QString();
    }
    for (const QString& loss : losses)
        qCWarning(lcPresets).noquote() << loss;
    emit changed();
    return losses;
}

QList<Preset> PresetStore::all() const
{
    return FactoryPresets::all() + m_user;
}

QStringList PresetStore::names() const
{
    QStringList names;
    for (const Preset& preset : all())
        names << preset.name;
    return names;
}

const Preset* PresetStore::find(const QString& name) const
{
    for (const Preset& preset : FactoryPresets::all()) {
        if (preset.name == name)
            return &preset;
    }
    for (const Preset& preset : m_user) {
        if (preset.name == name)
            return &preset;
    }
    return nullptr;
}

Preset* PresetStore::findUser(const QString& name)
{
    for (Preset& preset : m_user) {
        if (preset.name == name)
            return &preset;
    }
    return nullptr;
}

void PresetStore::setActive(const QString& name)
{
    if (name == m_active)
        return;
    m_active = name;
    store();
    emit changed();
}

bool PresetStore::checkNewName(const QString& name, QString* why)
{
    if (!PresetFormat::validName(name, why))
        return false;
    if (FactoryPresets::find(name)) {
        *why = QStringLiteral("\"%1\" is a factory preset, which cannot be changed; choose another name").arg(name);
        return false;
    }
    return true;
}

bool PresetStore::save(const QString& name, const PresetSound& sound, QString* why)
{
    if (!checkNewName(name, why))
        return false;
    if (!sound.inRange(why))
        return false;
    if (Preset* existing = findUser(name)) {
        existing->sound = sound;
    } else {
        if (m_user.size() >= MaxUserPresets) {
            *why = tr("there are already %1 presets; delete one first").arg(MaxUserPresets);
            return false;
        }
        m_user.append(Preset{name, sound, false});
    }
    qCInfo(lcPresets).noquote() << "saved the preset" << name;
    store();
    emit changed();
    return true;
}

bool PresetStore::rename(const QString& from, const QString& to, QString* why)
{
    Preset* preset = findUser(from);
    if (!preset) {
        *why = FactoryPresets::find(from) ? tr("\"%1\" is a factory preset, which cannot be renamed").arg(from)
                                          : tr("there is no preset \"%1\"").arg(from);
        return false;
    }
    if (!checkNewName(to, why))
        return false;
    if (to != from && findUser(to)) {
        *why = tr("there is already a preset \"%1\"").arg(to);
        return false;
    }
    preset->name = to;
    if (m_active == from)
        m_active = to;
    store();
    emit changed();
    return true;
}

bool PresetStore::remove(const QString& name, QString* why)
{
    const qsizetype removed = m_user.removeIf([&](const Preset& p) { return p.name == name; });
    if (removed == 0) {
        *why = FactoryPresets::find(name) ? tr("\"%1\" is a factory preset, which cannot be deleted").arg(name)
                                          : tr("there is no preset \"%1\"").arg(name);
        return false;
    }
    if (m_active == name)
        m_active.clear();
    store();
    emit changed();
    return true;
}

// The base is shortened where the number would take the name past the
// limit, without splitting a character in two.
QString PresetStore::freeName(const QString& name) const
{
    if (!find(name) && !FactoryPresets::find(name))
        return name;
    for (int n = 2;; ++n) {
        const QString suffix = QStringLiteral(" %1").arg(n);
        QString base = name.left(PresetFormat::MaxNameLength - suffix.size());
        if (base.size() < name.size() && base.back().isHighSurrogate())
            base.chop(1);
        const QString candidate = base + suffix;
        if (!find(candidate) && !FactoryPresets::find(candidate))
            return candidate;
    }
}

void PresetStore::importFile(const QString& path)
{
    m_file.queue().ask(
        this,
        // File thread: the file and the copies only.
        [path] {
            PresetFile::ReadStatus status{};
            QString why;
            std::optional<Preset> preset;
            if (const std::optional<QByteArray> bytes = PresetFile::read(path, &status, &why))
                preset = PresetFormat::read(*bytes, &why);
            return std::pair(preset, why);
        },
        [path](PresetStore* store, const std::pair<std::optional<Preset>, QString>& read) {
            if (read.first)
                store->addImported(*read.first, path);
            else
                store->fail(tr("Cannot import %1: %2").arg(path, read.second));
        });
}

void PresetStore::addImported(Preset preset, const QString& path)
{
    if (m_user.size() >= MaxUserPresets) {
        fail(tr("Cannot import %1: there are already %2 presets; delete one first").arg(path).arg(MaxUserPresets));
        return;
    }
    preset.name = freeName(preset.name);
    preset.factory = false;
    m_user.append(preset);
    qCInfo(lcPresets).noquote() << "imported the preset" << preset.name << "from" << path;
    store();
    emit changed();
    emit imported(preset.name);
}

bool PresetStore::exportFile(const QString& name, const QString& path, QString* why)
{
    const Preset* preset = find(name);
    if (!preset) {
        *why = tr("there is no preset \"%1\"").arg(name);
        return false;
    }
    m_file.queue().ask(
        this,
        // File thread.
        [path, text = PresetFormat::write(*preset)] {
            QString failure;
            const bool ok = PresetFile::write(path, text, &failure);
            return std::pair(ok, failure);
        },
        [path](PresetStore* store, const std::pair<bool, QString>& written) {
            if (written.first)
                emit store->exported(path);
            else
                store->fail(tr("Cannot export to %1: %2").arg(path, written.second));
        });
    return true;
}

void PresetStore::waitForFiles()
{
    m_file.waitForWrites();
}

// The whole store, copied here and written on the file thread.
void PresetStore::store()
{
    m_file.write(PresetFormat::writeStore(m_user, m_active, m_unread));
}

void PresetStore::fail(const QString& message)
{
    qCWarning(lcPresets).noquote() << message;
    emit failed(message);
}
