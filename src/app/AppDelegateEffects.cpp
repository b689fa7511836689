// The effect and equaliser handlers: each puts its setting into the model
// (which the stored settings follow), rebuilds the whole record with its
// change code and sends it when the device is present. The controls'
// handlers pass on the value the user gave the control; the change
// operations are also the session interface's and the tray's way in.
#include "app/AppDelegate.h"

#include "app/MainWindow.h"
#include "controls/CheckButton.h"
#include "controls/ProgressIndicator.h"
#include "controls/SpkMicSliderAction.h"

#include <QWidget>

#include <algorithm>
#include <array>

void AppDelegate::MonitorChanged(bool on)
{
    changeMonitor(on);
}

void AppDelegate::DenoiseChanged(bool on)
{
    changeDenoise(on);
}

// The reverb control reports its press and its release, while the value it
// was dragged to is the control's own until then.
void AppDelegate::ReverberanceChanged(double value)
{
    changeReverb(value);
    if (!Reverb->isMouseDown())
        emit soundStepEnded();
}

// The "On / Off" button; the Mixer bar only shows the state.
void AppDelegate::MixerChanged(QObject*)
{
    toggleMixer();
    Mixer->updateToolTip();
}

void AppDelegate::changeMonitor(bool on)
{
    m_model.setMonitor(on);
    UpdateInfo(ChangeMonitorOrMixer);
    sendPanelInfo();
}

void AppDelegate::changeDenoise(bool on)
{
    m_model.setDenoise(on);
    UpdateInfo(ChangeDenoise);
    sendPanelInfo();
}

void AppDelegate::changeStage(int number, int value)
{
    if (number < 1 || number > 5)
        return;
    m_model.setStage(number, value);
    UpdateInfo(ChangeStage);
    sendPanelInfo();
}

// All five stages are zeroed before the first record is built, so each of
// the five records carries every stage at 0.
void AppDelegate::ResetStage()
{
    SoundValues sound = m_model.sound();
    sound.stages = {};
    m_model.setSound(sound);
    for (int n = 1; n <= 5; ++n)
        changeStage(n, 0);
}

void AppDelegate::changeReverb(double value)
{
    m_model.setReverb(value);
    UpdateInfo(ChangeReverb);
    sendPanelInfo();
}

void AppDelegate::changeMixer(bool on)
{
    if (m_model.sound().mixer == on)
        return;
    toggleMixer();
    // The value pops up under the bar only over a window the user sees.
    if (window && window->isVisible())
        Mixer->updateToolTip();
}

void AppDelegate::toggleMixer()
{
    m_model.setMixer(!m_model.sound().mixer);
    UpdateInfo(ChangeMonitorOrMixer);
    sendPanelInfo();
}

void AppDelegate::applySoundValues(const SoundValues& values)
{
    storeSoundValues(values);
    UpdateInfo(ChangeFullRefresh);
    sendPanelInfo();
}

void AppDelegate::storeSoundValues(const SoundValues& values)
{
    m_model.setSound(values);
}

bool AppDelegate::soundStepGoingOn() const
{
    if (!Reverb)
        return false;
    const std::array stages{Stage1, Stage2, Stage3, Stage4, Stage5};
    return Reverb->isMouseDown() ||
           std::any_of(stages.begin(), stages.end(), [](const SpkMicSliderAction* s) { return s->isSliderDown(); });
}

QString AppDelegate::ReverbText()
{
    return QString::asprintf("%d%%", static_cast<int>(Reverb->doubleValue()));
}

QString AppDelegate::MixerText()
{
    return QString::asprintf("%.1f", m_model.sound().mixer ? 1.0 : 0.0);
}
