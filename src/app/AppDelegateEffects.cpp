// The effect and equaliser handlers: each asks the model for the value the
// user gave its control; the model's writers store it and send the device
// its record.
#include "app/AppDelegate.h"

#include "controls/ProgressIndicator.h"
#include "controls/SpkMicSliderAction.h"

#include <algorithm>
#include <array>

void AppDelegate::applyControl(PanelSetting setting, double value)
{
    m_model.apply(SettingsBatch::of(setting, value), ChangeOrigin::Control);
}

void AppDelegate::MonitorChanged(bool on)
{
    applyControl(PanelSetting::Monitor, on);
}

void AppDelegate::DenoiseChanged(bool on)
{
    applyControl(PanelSetting::Denoise, on);
}

// The reverb control reports its press and its release, while the value it
// was dragged to is the control's own until then.
void AppDelegate::ReverberanceChanged(double value)
{
    applyControl(PanelSetting::Reverb, value);
    if (!Reverb->isMouseDown())
        emit soundStepEnded();
}

// The "On / Off" button; the Mixer bar only shows the state.
void AppDelegate::MixerChanged(QObject*)
{
    applyControl(PanelSetting::Mixer, !m_model.sound().mixer);
}

// All five stages are zeroed at once, so each stage's record carries every
// stage at 0.
void AppDelegate::ResetStage()
{
    SettingsBatch reset;
    for (int n = 1; n <= 5; ++n)
        reset.set(stageSetting(n), 0);
    m_model.apply(reset, ChangeOrigin::StageReset);
}

bool AppDelegate::soundStepGoingOn() const
{
    if (!Reverb)
        return false;
    const std::array stages{Stage1, Stage2, Stage3, Stage4, Stage5};
    return Reverb->isMouseDown() ||
           std::any_of(stages.begin(), stages.end(), [](const SpkMicSliderAction* s) { return s->isSliderDown(); });
}

QString AppDelegate::ReverbText(double value)
{
    return QString::asprintf("%d%%", static_cast<int>(value));
}

QString AppDelegate::MixerText(double value)
{
    return QString::asprintf("%.1f", value);
}
