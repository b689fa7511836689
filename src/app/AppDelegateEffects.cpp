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
    showAndStoreStage(Stage1, Stage1Text, SettingsKey::stage1);
    StageChanged();
}

void AppDelegate::Stage2Changed(QObject*)
{
    showAndStoreStage(Stage2, Stage2Text, SettingsKey::stage2);
    StageChanged();
}

void AppDelegate::Stage3Changed(QObject*)
{
    showAndStoreStage(Stage3, Stage3Text, SettingsKey::stage3);
    StageChanged();
}

void AppDelegate::Stage4Changed(QObject*)
{
    showAndStoreStage(Stage4, Stage4Text, SettingsKey::stage4);
    StageChanged();
}

void AppDelegate::Stage5Changed(QObject*)
{
    showAndStoreStage(Stage5, Stage5Text, SettingsKey::stage5);
    StageChanged();
}

void AppDelegate::showAndStoreStage(SpkMicSliderAction* stage, QLabel* text, const QString& key)
{
    const int v = stage->value();
    text->setText(QString::asprintf("%d", v));
    file->setInteger(key, v);
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
