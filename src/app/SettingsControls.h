#pragma once

#include <QObject>
#include <QString>

#include "controls/ButtonDelegate.h"
#include "controls/CheckButtonDelegate.h"
#include "controls/ProgressDelegate.h"
#include "model/PanelModel.h"

class Button;
class CheckButton;
class ProgressIndicator;
class QLabel;
class QPushButton;
class QWidget;
class SpkMicSlider;
class SpkMicSliderAction;
class VSlider;

// The window's controls of the eleven settings: the two volume sliders,
// Monitor and Denoise, the five stages and their reset, Reverb and the
// mixer. They show what the model holds and ask it for the user's changes
// (ChangeOrigin::Control); setting a control from here reports nothing
// back. Main thread.
class SettingsControls final : public QObject,
                               public ButtonDelegate,
                               public CheckButtonDelegate,
                               public ProgressDelegate {
    Q_OBJECT

public:
    struct Controls {
        // The mixer's value pops up only over a window the user sees.
        QWidget* window = nullptr;
        Button* resetButton = nullptr;
        CheckButton* Monitor = nullptr;
        CheckButton* Denoise = nullptr;
        ProgressIndicator* Reverb = nullptr;
        ProgressIndicator* Mixer = nullptr;
        QPushButton* MixerButton = nullptr;
        SpkMicSliderAction* Spk = nullptr;
        SpkMicSliderAction* Mic = nullptr;
        SpkMicSlider* SpkCell = nullptr;
        SpkMicSlider* MicCell = nullptr;
        std::array<SpkMicSliderAction*, 5> stages{};
        std::array<VSlider*, 5> stageCells{};
        QLabel* SpkText = nullptr;
        QLabel* MicText = nullptr;
        std::array<QLabel*, 5> stageTexts{};
    };

    // `model` must outlive the controls.
    SettingsControls(PanelModel& model, Controls controls, QObject* parent = nullptr);

    // The controls take their delegates, actions and ranges from the
    // settings' table. Only once there are settings for them to change:
    // until then the window stays as loaded and inert.
    void wire();
    // Every control shows the model's value.
    void showAll();
    // All enabled (linked) or disabled.
    void enable(bool enabled);
    // A stage slider or the reverb bar is held: the sound changes as it
    // moves, and the step ends with soundStepEnded() at the release.
    bool soundStepGoingOn() const;

    void MonitorChanged(bool on) override;
    void DenoiseChanged(bool on) override;
    void ResetStage() override;
    void ReverberanceChanged(double value) override;
    QString ReverbText(double value) override;
    QString MixerText(double value) override;

signals:
    // A held stage slider or reverb bar was released.
    void soundStepEnded();

private:
    void ask(PanelSetting setting, double value);
    void show(const PanelSettings& settings, PanelFields fields);

    PanelModel& m_model;
    Controls m_controls;
};
