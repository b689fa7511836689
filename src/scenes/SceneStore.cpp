#include "scenes/SceneStore.h"

#include "presets/StoreText.h"
#include "scenes/ScenesLog.h"

#include <QDir>
#include <QStandardPaths>

#include <algorithm>

Q_LOGGING_CATEGORY(lcScenes, "quorel.scenes")

namespace {

const QString kFormat = QStringLiteral("quorel-scenes");

bool sameApplication(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

SceneStore::SceneStore(QString file, QObject* parent)
    : QObject(parent)
    , m_file(std::move(file))
{
    connect(&m_file, &StoreFile::setAside, this, [this](const QString& keptAs) {
        fail(tr("Your scenes in %1 could not be read; that file is kept as %2 and the scenes are stored anew")
                 .arg(m_file.path(), keptAs));
    });
    connect(&m_file, &StoreFile::failed, this,
            [this](const QString& why) { fail(tr("Cannot store the scenes in %1: %2").arg(m_file.path(), why)); });
}

QString SceneStore::defaultFile()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("quorel-panel/scenes"));
}

QStringList SceneStore::load()
{
    m_scenes.clear();
    m_enabled = true;
    m_unreadHeader.clear();
    m_unreadSections.clear();
    const QString path = m_file.path();
    QStringList losses;
    bool missing = false;
    QString why;
    const std::optional<QByteArray> bytes = m_file.read(&missing, &why);
    std::optional<StoreText::Sectioned> text;
    if (bytes)
        text = StoreText::read(*bytes, kFormat, Version, tr("a scene store"), &why);
    m_file.setUnreadable(!missing && !text);
    if (!missing && !text) {
        losses << tr("Your scenes in %1 cannot be read (%2); no scene is followed, and the file is kept under "
                     "another name when the scenes next change")
                      .arg(path, why);
    }
    if (text) {
        for (const auto& [number, line] : text->header) {
            const std::optional<StoreText::Line> pair = StoreText::split(line);
            if (pair && pair->first == QLatin1String("enabled")
                && (pair->second == QLatin1String("on") || pair->second == QLatin1String("off"))) {
                m_enabled = pair->second == QLatin1String("on");
                continue;
            }
            losses << tr("In %1, line %2 before the first scene is not understood; it is kept as it is")
                          .arg(path)
                          .arg(number);
            m_unreadHeader += text->rawLine(number);
        }
        for (const StoreText::Section& section : text->sections) {
            QString damage = section.damage;
            if (damage.isEmpty())
                validName(section.name, &damage);
            QString preset;
            if (damage.isEmpty()) {
                if (section.pairs.size() != 1 || section.pairs[0].first != QLatin1String("preset"))
                    damage = tr("a scene holds one line, preset=<name>");
                else if (validName(section.pairs[0].second, &damage))
                    preset = section.pairs[0].second;
            }
            if (damage.isEmpty() && find(section.name))
                damage = tr("an earlier scene is for the same application");
            if (damage.isEmpty() && m_scenes.size() >= MaxScenes)
                damage = tr("there are already %1 scenes").arg(MaxScenes);
            if (!damage.isEmpty()) {
                losses << tr("In %1, the scene at line %2 is damaged (%3): it is left out and kept in the file")
                              .arg(path)
                              .arg(section.number)
                              .arg(damage);
                m_unreadSections << section.raw;
                continue;
            }
            m_scenes.append(Scene{section.name, preset});
        }
    }
    for (const QString& loss : losses)
        qCWarning(lcScenes).noquote() << loss;
    emit changed();
    return losses;
}

const Scene* SceneStore::find(const QString& application) const
{
    const auto found = std::find_if(m_scenes.cbegin(), m_scenes.cend(),
                                    [&](const Scene& scene) { return sameApplication(scene.application, application); });
    return found == m_scenes.cend() ? nullptr : &*found;
}

void SceneStore::setEnabled(bool on)
{
    if (on == m_enabled)
        return;
    m_enabled = on;
    qCInfo(lcScenes) << "scenes" << (on ? "on" : "off");
    store();
    emit changed();
}

bool SceneStore::validName(const QString& name, QString* why)
{
    const bool fits = !name.isEmpty() && name.size() <= MaxNameLength && name.trimmed() == name
                      && !name.startsWith(QLatin1Char('['))
                      && std::none_of(name.cbegin(), name.cend(),
                                      [](QChar c) { return c.category() == QChar::Other_Control; });
    if (!fits) {
        *why = tr("\"%1\" cannot be named in a scene: a name takes 1 to %2 characters, without control characters, "
                  "not starting with \"[\" nor starting or ending with a space")
                   .arg(name)
                   .arg(MaxNameLength);
    }
    return fits;
}

bool SceneStore::add(const Scene& scene, QString* why)
{
    if (!validName(scene.application, why) || !validName(scene.preset, why))
        return false;
    const auto known = std::find_if(m_scenes.begin(), m_scenes.end(),
                                    [&](const Scene& s) { return sameApplication(s.application, scene.application); });
    if (known != m_scenes.end()) {
        *known = scene;
    } else if (m_scenes.size() >= MaxScenes) {
        *why = tr("there are already %1 scenes; remove one first").arg(MaxScenes);
        return false;
    } else {
        m_scenes.append(scene);
    }
    qCInfo(lcScenes).noquote() << "scene for" << scene.application << "with the preset" << scene.preset;
    store();
    emit changed();
    return true;
}

bool SceneStore::remove(const QString& application, QString* why)
{
    if (m_scenes.removeIf([&](const Scene& s) { return sameApplication(s.application, application); }) == 0) {
        *why = tr("there is no scene for \"%1\"").arg(application);
        return false;
    }
    qCInfo(lcScenes).noquote() << "removed the scene for" << application;
    store();
    emit changed();
    return true;
}

void SceneStore::store()
{
    QByteArray text = QStringLiteral("# quorel-panel's scenes; edit with care\nformat=%1\nversion=%2\nenabled=%3\n")
                          .arg(kFormat)
                          .arg(Version)
                          .arg(m_enabled ? QStringLiteral("on") : QStringLiteral("off"))
                          .toUtf8()
                      + m_unreadHeader;
    for (const Scene& scene : m_scenes)
        text += '\n' + StoreText::section(scene.application, {{QStringLiteral("preset"), scene.preset}});
    for (const QByteArray& section : m_unreadSections)
        text += '\n' + section;
    m_file.write(text);
}

void SceneStore::fail(const QString& message)
{
    qCWarning(lcScenes).noquote() << message;
    emit failed(message);
}
