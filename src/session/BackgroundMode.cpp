#include "session/BackgroundMode.h"

#include "session/PanelPort.h"
#include "session/SessionLog.h"
#include "settings/GuardedFile.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QSystemTrayIcon>
#include <QWidget>

#include <cstring>
#include <optional>

namespace {

const QString kKeepRunningKey = QStringLiteral("keepRunning");
// The options take a few bytes; anything far larger is not the panel's.
constexpr qint64 kMaxOptionsSize = 16 * 1024;

// The link images of the window's skin stand for the link state.
QIcon linkIcon(bool linked)
{
    return QIcon(linked ? QStringLiteral(":/images/linkEnable.svg") : QStringLiteral(":/images/linkDisable.svg"));
}

} // namespace

BackgroundMode::BackgroundMode(QWidget* window, PanelPort& port, Config config, QObject* parent)
    : QObject(parent)
    , m_window(window)
    , m_port(port)
    , m_config(std::move(config))
{
    m_menu = new QMenu(window);
    m_show = m_menu->addAction(tr("Show the panel"), &port, &PanelPort::showWindow);
    m_menu->addSeparator();
    m_monitor = m_menu->addAction(tr("Monitor"));
    // The English name is the one the log gives.
    m_monitor->setObjectName(QStringLiteral("Monitor"));
    m_monitor->setCheckable(true);
    connect(m_monitor, &QAction::triggered, this,
            [this] { setSwitch(m_monitor, PanelSetting::Monitor); });
    m_denoise = m_menu->addAction(tr("Denoise"));
    m_denoise->setObjectName(QStringLiteral("Denoise"));
    m_denoise->setCheckable(true);
    connect(m_denoise, &QAction::triggered, this,
            [this] { setSwitch(m_denoise, PanelSetting::Denoise); });
    if (m_config.checkMicrophone) {
        m_micCheck = m_menu->addAction(tr("Check microphone"));
        m_micCheck->setCheckable(true);
        connect(m_micCheck, &QAction::triggered, this,
                [this] { m_micCheck->setChecked(m_config.checkMicrophone()); });
        window->addAction(m_micCheck);
    }
    m_presets = m_menu->addMenu(tr("Presets"));
    if (m_config.editScenes) {
        // From the tray the window may be hidden: the dialog is modal to it.
        m_scenes = m_menu->addAction(tr("Scenes…"), this, [this] {
            m_port.showWindow();
            m_config.editScenes();
        });
    }
    m_menu->addSeparator();
    readOptions();
    m_keepRunningAction = m_menu->addAction(tr("Keep running when the window is closed"));
    m_keepRunningAction->setCheckable(true);
    m_keepRunningAction->setChecked(m_keepRunning);
    connect(m_keepRunningAction, &QAction::triggered, this, &BackgroundMode::setKeepRunning);
    m_startAtLogin = m_menu->addAction(tr("Start at login"));
    m_startAtLogin->setCheckable(true);
    connect(m_startAtLogin, &QAction::triggered, this, &BackgroundMode::setStartAtLogin);
    m_menu->addSeparator();
    if (m_config.diagnose) {
        // From the tray the window may be hidden: the dialog is modal to it.
        m_diagnostics = m_menu->addAction(tr("Diagnostics…"), this, [this] {
            m_port.showWindow();
            m_config.diagnose();
        });
    }
    m_quit = m_menu->addAction(tr("Quit"), this, [this] { m_config.quit(); });
    // The entry may have been added or removed outside the panel.
    connect(m_menu, &QMenu::aboutToShow, this,
            [this] { m_startAtLogin->setChecked(m_config.autostart.isEnabled()); });

    window->addAction(m_presets->menuAction());
    if (m_scenes)
        window->addAction(m_scenes);
    window->addActions({m_keepRunningAction, m_startAtLogin});
    if (m_diagnostics)
        window->addAction(m_diagnostics);
    window->addAction(m_quit);
    window->setContextMenuPolicy(Qt::ActionsContextMenu);
    window->installEventFilter(this);

    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray = new QSystemTrayIcon(this);
        m_tray->setContextMenu(m_menu);
        connect(m_tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                m_port.showWindow();
        });
    } else {
        qCInfo(lcSession) << "no system tray; the background options are in the window's context menu";
    }

    connect(&port, &PanelPort::stateMayHaveChanged, this, &BackgroundMode::refresh);
    refresh();
    if (m_tray)
        m_tray->show();
}

BackgroundMode::~BackgroundMode()
{
    m_window->removeEventFilter(this);
}

QString BackgroundMode::defaultOptionsFile()
{
    return QDir(Autostart::defaultConfigHome()).filePath(QStringLiteral("quorel-panel/options.conf"));
}

bool BackgroundMode::keepRunning() const
{
    return m_keepRunning;
}

// Closing the window with "keep running" on hides it before the window
// turns the close into a quit.
bool BackgroundMode::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_window && event->type() == QEvent::Close && keepRunning()) {
        event->ignore();
        m_window->hide();
        qCInfo(lcSession) << "window closed; the panel keeps running in the background";
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void BackgroundMode::refresh()
{
    const PanelState state = m_port.state();
    m_monitor->setEnabled(state.linked);
    m_monitor->setChecked(state.value(PanelSetting::Monitor) != 0);
    m_denoise->setEnabled(state.linked);
    m_denoise->setChecked(state.value(PanelSetting::Denoise) != 0);
    refreshPresets();
    m_startAtLogin->setChecked(m_config.autostart.isEnabled());
    if (!m_tray)
        return;
    m_tray->setIcon(linkIcon(state.linked));
    // The link texts are the device's own and read the same in every language.
    QString text = state.linked ? QStringLiteral("TAVO已连接") : QStringLiteral("TAVO未连接");
    if (state.notResponding)
        text = tr("%1 — the device does not respond").arg(text);
    if (!state.soundServerAnswering)
        text = tr("%1 — the sound server does not answer").arg(text);
    m_tray->setToolTip(tr("Quorel Panel: %1").arg(text));
}

void BackgroundMode::setSwitch(QAction* action, PanelSetting setting)
{
    QString why;
    if (!m_port.set(setting, action->isChecked() ? 1 : 0, &why))
        report(QStringLiteral("Cannot change %1: %2").arg(action->objectName(), why),
               tr("Cannot change %1: %2").arg(action->text(), why));
    refresh();
}

// Rebuilt only when the names, the active preset or its mark change.
void BackgroundMode::refreshPresets()
{
    const QStringList names = m_port.presets();
    const QString activePreset = m_port.activePreset();
    const bool modified = m_port.activePresetModified();
    m_presets->menuAction()->setEnabled(!names.isEmpty());
    if (names == m_presetNames && activePreset == m_activePreset && modified == m_presetModified)
        return;
    m_presetNames = names;
    m_activePreset = activePreset;
    m_presetModified = modified;
    m_presets->clear();
    for (const QString& name : names) {
        const bool active = name == activePreset;
        QAction* action = m_presets->addAction(active && modified ? tr("%1 (modified)").arg(name) : name);
        action->setCheckable(true);
        action->setChecked(active);
        connect(action, &QAction::triggered, this, [this, name] { applyPreset(name); });
    }
}

void BackgroundMode::applyPreset(const QString& name)
{
    QString why;
    if (!m_port.applyPreset(name, &why))
        report(QStringLiteral("Cannot apply the preset \"%1\": %2").arg(name, why),
               tr("Cannot apply the preset \"%1\": %2").arg(name, why));
    // The triggered action flipped its own check mark: rebuild the submenu,
    // after the action's signal is done with it.
    m_presetNames.clear();
    QMetaObject::invokeMethod(this, &BackgroundMode::refresh, Qt::QueuedConnection);
}

// Through the guarded read only: a FIFO or a huge file in the options'
// place would otherwise hold the start. What cannot be read is kept and
// the user told, once the tray or the window can show it.
void BackgroundMode::readOptions()
{
    const QString& path = m_config.optionsFile;
    const GuardedRead file = readGuarded(path, kMaxOptionsSize);
    const std::optional<QVariantMap> values
        = file.outcome == GuardedRead::Outcome::Read ? iniValues(file.bytes) : QVariantMap();
    m_keepRunning = values && values->value(kKeepRunningKey).toBool();
    if (!file.refused() && values)
        return;
    QString logged;
    QString shown;
    switch (file.outcome) {
    case GuardedRead::Outcome::CannotOpen:
        shown = tr("%1 cannot be read (%2), so the background options are off; the panel leaves the file as it "
                   "is.")
                    .arg(path, QString::fromLocal8Bit(std::strerror(file.error)));
        break;
    case GuardedRead::Outcome::NotRegular:
        shown = tr("%1 is not a regular file, so the background options are off; the panel leaves it as it is. "
                   "Move it aside to change them.")
                    .arg(path);
        break;
    case GuardedRead::Outcome::TooLarge:
        shown = tr("%1 is far larger than options take, so the background options are off; the panel leaves it "
                   "as it is. Move it aside to change them.")
                    .arg(path);
        break;
    case GuardedRead::Outcome::Read:
    case GuardedRead::Outcome::Missing:
        logged = QStringLiteral("%1 is damaged; the background options are off until one is changed").arg(path);
        shown = tr("%1 is damaged, so the background options are off; changing one writes the file afresh.")
                    .arg(path);
        break;
    }
    if (logged.isEmpty())
        logged = file.loggedReason(path) + QStringLiteral("; the background options are off and the file is kept");
    QMetaObject::invokeMethod(this, [this, logged, shown] { report(logged, shown); }, Qt::QueuedConnection);
}

void BackgroundMode::setKeepRunning(bool on)
{
    // Other options in the file are kept.
    const GuardedRead file = readGuarded(m_config.optionsFile, kMaxOptionsSize);
    QVariantMap values;
    if (file.outcome == GuardedRead::Outcome::Read)
        values = iniValues(file.bytes).value_or(QVariantMap());
    values.insert(kKeepRunningKey, on);
    QString why;
    // The item flipped its own mark when it was clicked; it shows the
    // option, which a refused write leaves as it was.
    if (!replaceIniFile(m_config.optionsFile, kMaxOptionsSize, values, false, &why)) {
        m_keepRunningAction->setChecked(m_keepRunning);
        report(QStringLiteral("Cannot store the option in %1: %2").arg(m_config.optionsFile, why),
               tr("Cannot store the option in %1").arg(m_config.optionsFile));
        return;
    }
    m_keepRunning = on;
    m_keepRunningAction->setChecked(on);
    qCInfo(lcSession) << "keep running when the window is closed:" << on;
}

void BackgroundMode::setStartAtLogin(bool on)
{
    AutostartError why;
    const bool done = on ? m_config.autostart.enable(m_config.program, &why) : m_config.autostart.disable(&why);
    m_startAtLogin->setChecked(m_config.autostart.isEnabled());
    if (!done) {
        report(QStringLiteral("Cannot change \"Start at login\": %1").arg(why.logged),
               tr("Cannot change \"%1\": %2").arg(m_startAtLogin->text(), why.shown));
        return;
    }
    qCInfo(lcSession) << "start at login:" << on << "(" << m_config.autostart.entryPath() << ")";
    // A panel started in the background at login is there to stay: closing
    // the window it was opened to must not end it.
    if (on && !m_keepRunning)
        setKeepRunning(true);
}

// Logged in English, whatever the user's language; shown where the user
// looks, in it: the tray's bubble, or a message over the window when there
// is no tray (never blocking the loop).
void BackgroundMode::report(const QString& logged, const QString& shown)
{
    qCWarning(lcSession).noquote() << logged;
    emit failed(shown);
    if (m_tray) {
        m_tray->showMessage(tr("Quorel Panel"), shown, QSystemTrayIcon::Warning);
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Warning, tr("Quorel Panel"), shown, QMessageBox::Ok, m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
