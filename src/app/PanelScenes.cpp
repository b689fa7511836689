#include "app/PanelScenes.h"

#include "app/AppDelegate.h"
#include "audio/RecordingStreams.h"
#include "controls/MessageBand.h"

#include <chrono>

PanelScenes::PanelScenes(AppDelegate& delegate, RecordingStreams& streams, const PresetStore& presets,
                         SceneStore& store, MessageBand* band, QObject* parent)
    : QObject(parent)
    , m_controller(delegate.model(), presets, store, streams)
{
    connect(delegate.link(), &DeviceLink::inputLinked, &streams, &RecordingStreams::follow);
    connect(&delegate.model(), &PanelModel::linkChanged, &streams, [&streams](const LinkState& link) {
        if (!link.linked)
            streams.follow(kAudioObjectUnknown);
    });
    if (band) {
        connect(&m_controller, &SceneController::message, band, [band](const QString& text) {
            band->announce(QStringLiteral("scenes"), text, std::chrono::seconds(5));
        });
    }
}
