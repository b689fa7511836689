#include "app/MainWindow.h"

#include "app/LinkingSheet.h"
#include "app/WindowTitleControls.h"
#include "controls/Button.h"
#include "controls/CheckButton.h"
#include "controls/ImageView.h"
#include "controls/MessageBand.h"
#include "controls/PresetSelector.h"
#include "controls/ProgressIndicator.h"
#include "controls/SpkMicSlider.h"
#include "controls/SpkMicSliderDelegate.h"
#include "controls/SpkMicSliderAction.h"
#include "controls/VSlider.h"

#include "ui_MainWindow.h"

#include <QCloseEvent>
#include <QMetaMethod>

namespace {

// Text and panels around the skinned controls and the linking sheet:
// graphite panels, quiet captions, read-outs in the skin's accent colour.
const char* const kStyleSheet = R"(
QLabel { color: #e7eaee; }
QLabel[class="caption"] { color: #9aa4ae; font-size: 10pt; font-weight: 600; letter-spacing: 1px; }
QLabel[class="title"] { color: #7f8a95; font-size: 10pt; font-weight: 600; letter-spacing: 1px; }
QLabel[class="link"] { font-size: 12pt; font-weight: 600; }
QLabel[class="readout"] { color: #7ae8dc; font-size: 11pt; font-weight: 600; }
QLabel[class="clock"] { color: #e7eaee; font-family: "DejaVu Sans Mono", monospace; font-size: 18pt; }
QFrame[class="panel"] { background: rgba(255, 255, 255, 10); border: 1px solid rgba(255, 255, 255, 22); border-radius: 12px; }
QFrame[class="spectrum"] { background: rgba(0, 0, 0, 70); border: 1px solid rgba(255, 255, 255, 18); border-radius: 12px; }
QPushButton#MixerButton { color: #e7eaee; background: #3a4048; border: 1px solid #4a525c; border-radius: 8px; padding: 4px 12px; font-weight: 600; }
QPushButton#MixerButton:hover { background: #454c55; }
QPushButton#MixerButton:pressed { background: #34d1bf; color: #10201e; }
QPushButton#MixerButton:disabled { color: #6c747d; background: #2c3137; border-color: #363c43; }
QPushButton[class="titleButton"] { color: #e7eaee; background: transparent; border: none; border-radius: 12px; min-width: 24px; min-height: 24px; font-size: 12pt; }
QPushButton[class="titleButton"]:hover { background: #3a4048; }
QPushButton[class="titleButton"]:pressed { background: #34d1bf; color: #10201e; }
QDialog#LinkingPanel { background: #262b31; border: 1px solid #3a414c; border-top: none; }
QDialog#LinkingPanel QLabel { font-size: 11pt; font-weight: 600; }
QDialog#LinkingPanel QProgressBar { background: #1b1f24; border: 1px solid #3a414c; border-radius: 5px; max-height: 10px; }
QDialog#LinkingPanel QProgressBar::chunk { background: #34d1bf; border-radius: 4px; }
)";

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::MainWindow>())
{
    m_ui->setupUi(this);
    setStyleSheet(QString::fromLatin1(kStyleSheet));
    m_linkingSheet = new LinkingSheet(this);
    // Made after the spectrum, so it stacks above the bars drawn there
    // once the device links.
    m_messageBand = new MessageBand(m_ui->rootView);
    m_messageBand->setObjectName(QStringLiteral("messageBand"));
    m_messageBand->lieOver(m_ui->SpectrumView);
    awakeFromNib();
}

MainWindow::~MainWindow() = default;

void MainWindow::awakeFromNib()
{
    for (Button* button : {m_ui->resetButton, m_ui->playButton, m_ui->recordButton, m_ui->pauseButton,
                           m_ui->stopButton})
        button->awakeFromNib();
    m_ui->Monitor->awakeFromNib();
    m_ui->Denoise->awakeFromNib();
    for (SpkMicSliderAction* slider : {m_ui->Spk, m_ui->Mic, m_ui->Stage1, m_ui->Stage2, m_ui->Stage3,
                                       m_ui->Stage4, m_ui->Stage5})
        slider->awakeFromNib();
    m_ui->Reverb->awakeFromNib();
    m_ui->Mixer->awakeFromNib();
}

AppDelegateOutlets MainWindow::outlets()
{
    AppDelegateOutlets o;
    o.window = this;
    o.LinkingPanel = m_linkingSheet;
    o.resetButton = m_ui->resetButton;
    o.playButton = m_ui->playButton;
    o.stopButton = m_ui->stopButton;
    o.pauseButton = m_ui->pauseButton;
    o.recordButton = m_ui->recordButton;
    o.Monitor = m_ui->Monitor;
    o.Denoise = m_ui->Denoise;
    o.Reverb = m_ui->Reverb;
    o.Mixer = m_ui->Mixer;
    o.Spk = m_ui->Spk;
    o.Mic = m_ui->Mic;
    o.SpkCell = m_ui->Spk->cell();
    o.MicCell = m_ui->Mic->cell();
    o.Stage1 = m_ui->Stage1;
    o.Stage2 = m_ui->Stage2;
    o.Stage3 = m_ui->Stage3;
    o.Stage4 = m_ui->Stage4;
    o.Stage5 = m_ui->Stage5;
    o.Stage1Cell = dynamic_cast<VSlider*>(m_ui->Stage1->cell());
    o.Stage2Cell = dynamic_cast<VSlider*>(m_ui->Stage2->cell());
    o.Stage3Cell = dynamic_cast<VSlider*>(m_ui->Stage3->cell());
    o.Stage4Cell = dynamic_cast<VSlider*>(m_ui->Stage4->cell());
    o.Stage5Cell = dynamic_cast<VSlider*>(m_ui->Stage5->cell());
    o.SpkText = m_ui->SpkText;
    o.MicText = m_ui->MicText;
    o.Stage1Text = m_ui->Stage1Text;
    o.Stage2Text = m_ui->Stage2Text;
    o.Stage3Text = m_ui->Stage3Text;
    o.Stage4Text = m_ui->Stage4Text;
    o.Stage5Text = m_ui->Stage5Text;
    o.MixerButton = m_ui->MixerButton;
    o.timerText = m_ui->timerText;
    o.linkText = m_ui->linkText;
    o.linkImg = m_ui->linkImg;
    o.SpectrumView = m_ui->SpectrumView;
    o.messageBand = m_messageBand;
    return o;
}

PresetSelector* MainWindow::presetSelector() const
{
    return m_ui->presetSelector;
}

void MainWindow::addTitleControls()
{
    new WindowTitleControls(this, m_ui->rootView, m_ui->statusRow);
}

// Once the controller has taken over the close button it quits the program
// itself; until then closing the last window ends it the usual way.
void MainWindow::closeEvent(QCloseEvent* event)
{
    if (isSignalConnected(QMetaMethod::fromSignal(&MainWindow::closeRequested))) {
        event->ignore();
        emit closeRequested();
        return;
    }
    QWidget::closeEvent(event);
}
