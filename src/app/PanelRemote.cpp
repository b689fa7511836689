#include "app/PanelRemote.h"

#include "app/MainWindow.h"
#include "controls/Button.h"
#include "controls/CheckButton.h"
#include "controls/ControlImageState.h"
#include "controls/Popover.h"
#include "controls/ProgressIndicator.h"
#include "controls/SpkMicSliderAction.h"
#include "device/UsbHID.h"
#include "presets/PresetController.h"
#include "settings/SettingsDictionary.h"

#include <QEvent>
#include <QPushButton>

#include <array>

namespace {

constexpr int Enable = static_cast<int>(ControlImageState::Enable);

} // namespace

PanelRemote::PanelRemote(AppDelegate& controller, const AppDelegateOutlets& outlets, QObject* parent)
    : PanelPort(parent)
    , m_controller(controller)
    , m_outlets(outlets)
{
    m_announce.setSingleShot(true);
    m_announce.setInterval(0);
    connect(&m_announce, &QTimer::timeout, this, &PanelRemote::stateMayHaveChanged);

    connect(&controller, &AppDelegate::linkStateChanged, this, &PanelRemote::scheduleAnnouncement);
    const AppDelegateOutlets& o = m_outlets;
    for (SpkMicSliderAction* slider : {o.Spk, o.Mic, o.Stage1, o.Stage2, o.Stage3, o.Stage4, o.Stage5})
        connect(slider, &QAbstractSlider::valueChanged, this, &PanelRemote::scheduleAnnouncement);
    for (QWidget* control : std::initializer_list<QWidget*>{o.Monitor, o.Denoise, o.Reverb, o.Mixer, o.MixerButton,
                                                            o.resetButton, o.playButton, o.pauseButton,
                                                            o.stopButton, o.recordButton})
        control->installEventFilter(this);
    // The transport's open and save panels are modal: the state changes once
    // the window has its focus back.
    o.window->installEventFilter(this);
}

bool PanelRemote::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::WindowActivate:
        scheduleAnnouncement();
        break;
    default:
        break;
    }
    return false;
}

void PanelRemote::scheduleAnnouncement()
{
    if (!m_announce.isActive())
        m_announce.start();
}

PanelState PanelRemote::state() const
{
    const AppDelegateOutlets& o = m_outlets;
    PanelState s;
    s.linked = m_controller.linked();
    s.devicePresent = m_controller.transport() && m_controller.transport()->find();
    s.notResponding = !m_controller.deviceResponding();
    s.speaker = o.Spk->value();
    s.mic = o.Mic->value();
    s.monitor = o.Monitor->checked();
    s.denoise = o.Denoise->checked();
    s.stages = {o.Stage1->value(), o.Stage2->value(), o.Stage3->value(), o.Stage4->value(), o.Stage5->value()};
    s.reverb = static_cast<int>(o.Reverb->doubleValue());
    // The mixer's on/off state is the stored one; the level control only shows it.
    s.mixer = m_controller.settings() && m_controller.settings()->boolValue(SettingsKey::mixer);
    s.transport = transportStateName(m_controller.transportState());
    return s;
}

SpkMicSliderAction* PanelRemote::stageSlider(int index) const
{
    const std::array stages{m_outlets.Stage1, m_outlets.Stage2, m_outlets.Stage3, m_outlets.Stage4, m_outlets.Stage5};
    return stages[static_cast<std::size_t>(index)];
}

bool PanelRemote::set(PanelSetting setting, int value, QString* why)
{
    if (!m_controller.linked()) {
        *why = QStringLiteral("the device is not linked");
        return false;
    }
    const AppDelegateOutlets& o = m_outlets;
    switch (setting) {
    case PanelSetting::Speaker:
        o.Spk->setValue(value);
        m_controller.SpkVolumeChanged(o.Spk);
        break;
    case PanelSetting::Mic:
        o.Mic->setValue(value);
        m_controller.MicGainChanged(o.Mic);
        break;
    case PanelSetting::Monitor:
        o.Monitor->setChecked(value != 0);
        o.Monitor->changeImage(Enable);
        m_controller.MonitorChanged();
        break;
    case PanelSetting::Denoise:
        o.Denoise->setChecked(value != 0);
        o.Denoise->changeImage(Enable);
        m_controller.DenoiseChanged();
        break;
    case PanelSetting::Stage1:
    case PanelSetting::Stage2:
    case PanelSetting::Stage3:
    case PanelSetting::Stage4:
    case PanelSetting::Stage5: {
        using StageHandler = void (AppDelegate::*)(QObject*);
        constexpr std::array<StageHandler, 5> handlers{&AppDelegate::Stage1Changed, &AppDelegate::Stage2Changed,
                                                       &AppDelegate::Stage3Changed, &AppDelegate::Stage4Changed,
                                                       &AppDelegate::Stage5Changed};
        const int index = static_cast<int>(setting) - static_cast<int>(PanelSetting::Stage1);
        SpkMicSliderAction* slider = stageSlider(index);
        slider->setValue(value);
        (m_controller.*handlers[static_cast<std::size_t>(index)])(slider);
        break;
    }
    case PanelSetting::Reverb:
        o.Reverb->setDoubleValue(value);
        m_controller.ReverberanceChanged();
        break;
    case PanelSetting::Mixer:
        // The mixer's button toggles: nothing to do when it is already so.
        if (state().mixer == (value != 0))
            break;
        m_controller.MixerChanged(o.MixerButton);
        // The toggle pops the value up under the control, which only makes
        // sense over a window the user sees.
        if (!o.window->isVisible() && o.Mixer->popoverTooltip())
            o.Mixer->popoverTooltip()->close();
        break;
    }
    scheduleAnnouncement();
    return true;
}

void PanelRemote::showWindow()
{
    QWidget* window = m_outlets.window;
    window->showNormal();
    window->raise();
    window->activateWindow();
}

void PanelRemote::setPresets(PresetController* presets)
{
    m_presets = presets;
    connect(presets, &PresetController::stateChanged, this, &PanelRemote::scheduleAnnouncement);
    scheduleAnnouncement();
}

QStringList PanelRemote::presets() const
{
    return m_presets ? m_presets->names() : QStringList();
}

QString PanelRemote::activePreset() const
{
    return m_presets ? m_presets->active() : QString();
}

bool PanelRemote::activePresetModified() const
{
    return m_presets && m_presets->modified();
}

bool PanelRemote::applyPreset(const QString& name, QString* why)
{
    *why = QStringLiteral("the panel's presets are not available yet");
    return m_presets && m_presets->apply(name, why);
}

bool PanelRemote::savePreset(const QString& name, QString* why)
{
    *why = QStringLiteral("the panel's presets are not available yet");
    return m_presets && m_presets->saveCurrent(name, why);
}
