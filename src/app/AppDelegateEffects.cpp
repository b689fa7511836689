// The effect and equaliser handlers: each stores its setting, rebuilds the
// whole record with its change code and sends it when the device is present.
#include "app/AppDelegate.h"

#include "controls/Button.h"
#include "controls/CheckButton.h"
#include "controls/ProgressIndicator.h"
#include "controls/SpkMicSliderDelegate.h"
#include "controls/SpkMicSliderAction.h"
#include "settings/SettingsDictionary.h"

#include <QLabel>

void AppDelegate::MonitorChanged()
{
    file->setBool(SettingsKey::monitor, Monitor->checked());
    UpdateInfo(ChangeMonitorOrMixer);
    sendPanelInfo();
}

void AppDelegate::DenoiseChanged()
{
    file->setBool(SettingsKey::dehiss, Denoise->checked());
    UpdateInfo(ChangeDenoise);
    sendPanelInfo();
}

void AppDelegate::Stage1Changed(QObject*)
{
    const int v = Stage1->value();
    Stage1Text->setText(QString::asprintf("%d", v));
    file->setInteger(SettingsKey::stage1, v);
    StageChanged();
}

void AppDelegate::Stage2Changed(QObject*)
{
    const int v = Stage2->value();
    Stage2Text->setText(QString::asprintf("%d", v));
    file->setInteger(SettingsKey::stage2, v);
    StageChanged();
}

void AppDelegate::Stage3Changed(QObject*)
{
    const int v = Stage3->value();
    Stage3Text->setText(QString::asprintf("%d", v));
    file->setInteger(SettingsKey::stage3, v);
    StageChanged();
}

void AppDelegate::Stage4Changed(QObject*)
{
    const int v = Stage4->value();
    Stage4Text->setText(QString::asprintf("%d", v));
    file->setInteger(SettingsKey::stage4, v);
    StageChanged();
}

void AppDelegate::Stage5Changed(QObject*)
{
    const int v = Stage5->value();
    Stage5Text->setText(QString::asprintf("%d", v));
    file->setInteger(SettingsKey::stage5, v);
    StageChanged();
}

void AppDelegate::StageChanged()
{
    UpdateInfo(ChangeStage);
    sendPanelInfo();
}

// All five sliders are zeroed before the first handler runs, so each of the
// five records carries every stage at 0.
void AppDelegate::ResetStage()
{
    for (SpkMicSliderAction* stage : {Stage1, Stage2, Stage3, Stage4, Stage5})
        stage->setValue(0);
    Stage1Changed(resetButton);
    Stage2Changed(resetButton);
    Stage3Changed(resetButton);
    Stage4Changed(resetButton);
    Stage5Changed(resetButton);
}

void AppDelegate::ReverberanceChanged()
{
    file->setInteger(SettingsKey::reverb, static_cast<int>(Reverb->doubleValue()));
    UpdateInfo(ChangeReverb);
    sendPanelInfo();
}

void AppDelegate::MixerChanged(QObject*)
{
    mixerChecked = !mixerChecked;
    Mixer->setDoubleValue(mixerChecked ? 1.0 : 0.0);
    file->setBool(SettingsKey::mixer, mixerChecked);
    UpdateInfo(ChangeMonitorOrMixer);
    sendPanelInfo();
    Mixer->updateToolTip();
}

QString AppDelegate::ReverbText()
{
    return QString::asprintf("%d%%", static_cast<int>(Reverb->doubleValue()));
}

QString AppDelegate::MixerText()
{
    return QString::asprintf("%.1f", Mixer->doubleValue());
}
