#include "app/SettingsControls.h"

#include "controls/Button.h"
#include "controls/CheckButton.h"
#include "controls/ControlImageState.h"
#include "controls/ProgressIndicator.h"
#include "controls/SpkMicSlider.h"
#include "controls/SpkMicSliderAction.h"
#include "controls/VSlider.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr int Enable = static_cast<int>(ControlImageState::Enable);
constexpr int Disable = static_cast<int>(ControlImageState::Disable);

} // namespace

SettingsControls::SettingsControls(PanelModel& model, Controls controls, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_controls(controls)
{
    connect(&model, &PanelModel::settingsChanged, this, &SettingsControls::show);
}

void SettingsControls::wire()
{
    const Controls& c = m_controls;
    c.Monitor->setDelegate(this);
    c.Denoise->setDelegate(this);
    c.resetButton->setDelegate(this);
    c.Reverb->setDelegate(this);
    c.Mixer->setDelegate(this);

    // Each slider's action carries its value; nothing reads it back.
    const auto wireSlider = [this](SpkMicSliderAction* slider, SpkMicSliderDelegate* cell, QLabel* text,
                                   PanelSetting setting) {
        slider->setDelegate(cell);
        slider->setRange(settingRow(setting).min, settingRow(setting).max);
        text->setAlignment(Qt::AlignCenter);
        connect(slider, &SpkMicSliderAction::action, this, [this, setting](int value) { ask(setting, value); });
    };
    wireSlider(c.Spk, c.SpkCell, c.SpkText, PanelSetting::Speaker);
    wireSlider(c.Mic, c.MicCell, c.MicText, PanelSetting::Mic);
    for (int n = 1; n <= 5; ++n) {
        wireSlider(c.stages[n - 1], c.stageCells[n - 1], c.stageTexts[n - 1], stageSetting(n));
        connect(c.stages[n - 1], &QAbstractSlider::sliderReleased, this, &SettingsControls::soundStepEnded);
    }
    // The "On / Off" button; the Mixer bar only shows the state.
    connect(c.MixerButton, &QPushButton::clicked, this, [this] { ask(PanelSetting::Mixer, !m_model.sound().mixer); });

    c.Reverb->setTagId(0);
    c.Mixer->setTagId(1);
    c.Reverb->setMinValue(settingRow(PanelSetting::Reverb).min);
    c.Reverb->setMaxValue(settingRow(PanelSetting::Reverb).max);
    c.Mixer->setMinValue(settingRow(PanelSetting::Mixer).min);
    c.Mixer->setMaxValue(settingRow(PanelSetting::Mixer).max);
}

void SettingsControls::showAll()
{
    show(m_model.settings(), allFields());
}

void SettingsControls::enable(bool enabled)
{
    const Controls& c = m_controls;
    c.resetButton->setStatus(enabled ? Enable : Disable);
    c.resetButton->setEnabled(enabled);
    for (CheckButton* check : {c.Monitor, c.Denoise}) {
        check->changeImage(enabled ? Enable : Disable);
        check->setEnabled(enabled);
    }
    c.Mixer->setEnable(enabled);
    c.MixerButton->setEnabled(enabled);
    c.Reverb->setEnable(enabled);
    c.Spk->setEnabled(enabled);
    c.Mic->setEnabled(enabled);
    for (SpkMicSliderAction* stage : c.stages)
        stage->setEnabled(enabled);
}

// Each read-out shows its value as the control holds it.
void SettingsControls::show(const PanelSettings& settings, PanelFields fields)
{
    const Controls& c = m_controls;
    if (fields & PanelField::Speaker) {
        c.Spk->setValue(settings.speaker);
        c.SpkText->setText(QString::asprintf("%d%%", settings.speaker));
    }
    if (fields & PanelField::Mic) {
        c.Mic->setValue(settings.mic);
        c.MicText->setText(QString::asprintf("%d%%", settings.mic));
    }
    const std::pair<CheckButton*, PanelSetting> checks[] = {{c.Monitor, PanelSetting::Monitor},
                                                            {c.Denoise, PanelSetting::Denoise}};
    for (const auto& [check, setting] : checks) {
        const bool on = settings.value(setting) != 0.0;
        if (!(fields & fieldOf(setting)) || check->checked() == on)
            continue;
        check->setChecked(on);
        check->changeImage(check->isEnabled() ? Enable : Disable);
    }
    for (int n = 1; n <= 5; ++n) {
        if (!(fields & stageField(n)))
            continue;
        c.stages[n - 1]->setValue(settings.sound.stages[n - 1]);
        c.stageTexts[n - 1]->setText(QString::asprintf("%d", settings.sound.stages[n - 1]));
    }
    if (fields & PanelField::Reverb)
        c.Reverb->setDoubleValue(settings.sound.reverb);
    if (fields & PanelField::Mixer) {
        c.Mixer->setDoubleValue(settings.sound.mixer ? 1.0 : 0.0);
        if (c.window && c.window->isVisible())
            c.Mixer->updateToolTip();
    }
}

void SettingsControls::ask(PanelSetting setting, double value)
{
    m_model.apply(SettingsBatch::of(setting, value), ChangeOrigin::Control);
}

void SettingsControls::MonitorChanged(bool on)
{
    ask(PanelSetting::Monitor, on);
}

void SettingsControls::DenoiseChanged(bool on)
{
    ask(PanelSetting::Denoise, on);
}

// The reverb control reports its press and its release, while the value it
// was dragged to is the control's own until then.
void SettingsControls::ReverberanceChanged(double value)
{
    ask(PanelSetting::Reverb, value);
    if (!m_controls.Reverb->isMouseDown())
        emit soundStepEnded();
}

// All five stages are zeroed at once, so each stage's record carries every
// stage at 0.
void SettingsControls::ResetStage()
{
    SettingsBatch reset;
    for (int n = 1; n <= 5; ++n)
        reset.set(stageSetting(n), 0);
    m_model.apply(reset, ChangeOrigin::StageReset);
}

bool SettingsControls::soundStepGoingOn() const
{
    return m_controls.Reverb->isMouseDown() ||
           std::any_of(m_controls.stages.begin(), m_controls.stages.end(),
                       [](const SpkMicSliderAction* s) { return s->isSliderDown(); });
}

QString SettingsControls::ReverbText(double value)
{
    return QString::asprintf("%d%%", static_cast<int>(value));
}

QString SettingsControls::MixerText(double value)
{
    return QString::asprintf("%.1f", value);
}
