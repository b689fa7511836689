#pragma once

#include <QObject>
#include <QString>

class ImageView;
class MessageBand;
class PanelModel;
class QLabel;

// The link image and text, and the window's warning while something keeps
// the device's sound from working: they follow the model's link and faults.
// The link texts stay the device's own; the image dims and its tooltip says
// what is wrong and what to do, while the linked device cannot be written
// or its sound does not go where the panel says; the message band says the
// same, and that the settings could not be saved. Main thread.
class LinkStatusView final : public QObject {
    Q_OBJECT

public:
    // `model` must outlive the view; `band` may be null.
    LinkStatusView(const PanelModel& model, ImageView* linkImg, QLabel* linkText, MessageBand* band,
                   QString settingsFile, QObject* parent = nullptr);

private:
    void showLink();
    void showFaults();

    const PanelModel& m_model;
    ImageView* m_linkImg;
    QLabel* m_linkText;
    MessageBand* m_band;
    QString m_settingsFile;
};
