#include "transport/GstTransportFactory.h"

#include "transport/GstPlayer.h"
#include "transport/GstRecorder.h"
#include "transport/GstSupport.h"

std::unique_ptr<AudioPlayer> GstTransportFactory::createPlayer(const QUrl& location, QString* error)
{
    return GstPlayer::create(location, error);
}

std::unique_ptr<AudioRecorder> GstTransportFactory::createRecorder(const QUrl& location,
                                                                   const RecorderSettings& settings, QString* error)
{
    if (!location.isLocalFile()) {
        if (error)
            *error = QStringLiteral(QT_TRANSLATE_NOOP("Transport", "recordings can only be written to local files"));
        return nullptr;
    }
    return GstRecorder::create(location.toLocalFile(), settings, error);
}

void GstTransportFactory::prepare()
{
    prepareGstreamer();
}

bool GstTransportFactory::waitForBackgroundWork(std::chrono::milliseconds bound)
{
    return transportWork().waitForAll(bound);
}
