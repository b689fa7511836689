#include "app/LinkStatusView.h"

#include "controls/ImageView.h"
#include "controls/MessageBand.h"
#include "model/PanelModel.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>

LinkStatusView::LinkStatusView(const PanelModel& model, ImageView* linkImg, QLabel* linkText, MessageBand* band,
                               QString settingsFile, QObject* parent)
    : QObject(parent)
    , m_model(model)
    , m_linkImg(linkImg)
    , m_linkText(linkText)
    , m_band(band)
    , m_settingsFile(std::move(settingsFile))
{
    connect(&model, &PanelModel::linkChanged, this, &LinkStatusView::showLink);
    connect(&model, &PanelModel::linkChanged, this, &LinkStatusView::showFaults);
    connect(&model, &PanelModel::faultsChanged, this, &LinkStatusView::showFaults);
    showLink();
}

// A second arrival while linked keeps the linked look until the link ends.
void LinkStatusView::showLink()
{
    const bool linked = m_model.link().linked;
    m_linkImg->setImageName(linked ? QStringLiteral("linkEnable") : QStringLiteral("linkDisable"));
    m_linkText->setText(linked ? QStringLiteral("TAVO已连接") : QStringLiteral("TAVO未连接"));
}

void LinkStatusView::showFaults()
{
    const PanelFaults& state = m_model.faults();
    const bool isLinked = m_model.link().linked;
    const bool linking = m_model.link().linking;
    QStringList faults{isLinked ? state.device : QString()};
    if (linking && state.awaitingSoundServer)
        faults.append(tr("The Quorel IIS Audio is plugged in, but the sound server does not answer; the "
                         "panel waits for it and links the device's sound as soon as it answers."));
    if (isLinked) {
        if (state.soundServerOutage)
            faults.append(tr("The sound server is gone or does not answer, so the sliders do nothing "
                             "and sound may not reach the Quorel IIS Audio. The panel restores the "
                             "device's sound as soon as the server answers again."));
        faults.append(state.audioRestore);
        if (state.outputVolumeFailed)
            faults.append(tr("The sound server did not take the Speaker volume, so what you hear may "
                             "differ from the slider. Move the slider again, or check the system's "
                             "sound settings."));
        if (state.inputVolumeFailed)
            faults.append(tr("The sound server did not take the Mic gain, so the microphone may be "
                             "louder or quieter than the slider says. Move the slider again, or check "
                             "the system's sound settings."));
    }
    faults.removeAll(QString());
    const QString fault = faults.join(QLatin1Char('\n'));
    QStringList warnings{fault};
    if (!isLinked && !linking)
        warnings.append(state.linkStopped);
    if (state.settingsKept) {
        warnings.append(tr("Your settings file %1 cannot be read (it is not a regular file, or far too large), so "
                           "the panel started from its defaults and saves nothing over it. Move it away to have "
                           "your settings saved again.")
                            .arg(m_settingsFile));
    } else if (state.settingsUnsaved) {
        warnings.append(tr("Your settings could not be saved to %1; check that folder's permissions and "
                           "free space.")
                            .arg(m_settingsFile));
    }
    warnings.removeAll(QString());
    const QString tip = warnings.join(QLatin1Char('\n'));
    if (m_band)
        m_band->setCondition(QStringLiteral("device"), tip);
    for (QWidget* status : std::initializer_list<QWidget*>{m_linkImg, m_linkText}) {
        status->setToolTip(tip);
        status->setAccessibleDescription(tip);
        if (fault.isEmpty()) {
            status->setGraphicsEffect(nullptr);
        } else if (!status->graphicsEffect()) {
            auto* dimmed = new QGraphicsOpacityEffect(status);
            dimmed->setOpacity(0.4);
            status->setGraphicsEffect(dimmed);
        }
    }
}

