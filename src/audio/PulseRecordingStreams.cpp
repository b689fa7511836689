#include "audio/PulseRecordingStreams.h"

#include "audio/PulseDeviceInfo.h"

#include <QLoggingCategory>

#include <algorithm>

#include <pulse/error.h>
#include <pulse/proplist.h>

Q_DECLARE_LOGGING_CATEGORY(lcPulseAudio)

PulseRecordingStreams::PulseRecordingStreams(std::shared_ptr<PulseConnection> connection, QObject* parent)
    : RecordingStreams(parent)
    , m_connection(std::move(connection))
{
    if (!m_connection->loop())
        return;
    const PulseLoopLock guard(m_connection->loop());
    m_connection->addObserver(this);
}

// Nothing calls back once the observer is gone and the questions are
// cancelled; answers already posted are dropped with the receiver.
PulseRecordingStreams::~PulseRecordingStreams()
{
    if (!m_connection->loop())
        return;
    const PulseLoopLock guard(m_connection->loop());
    m_connection->removeObserver(this);
    for (const PulseOperationPtr& operation : m_asked)
        pa_operation_cancel(operation.get());
}

void PulseRecordingStreams::follow(AudioObjectID input)
{
    if (!m_connection->loop())
        return;
    const PulseLoopLock guard(m_connection->loop());
    const std::uint32_t source = pulseid::fits(input, AudioScope::Input) ? pulseid::indexOf(input) : PA_INVALID_INDEX;
    if (source == m_source)
        return;
    m_source = source;
    m_streams.clear();
    tell();
    if (m_connection->isConnected())
        listAll();
}

// ---- Loop thread, or loop locked ----

// The list is made afresh: streams may have closed while the connection
// changed. It is told once the server has answered.
void PulseRecordingStreams::connectionReady(pa_context*, Ready how)
{
    m_streams.clear();
    if (how == Ready::Again) {
        m_source = PA_INVALID_INDEX;
        tell();
    }
    listAll();
}

void PulseRecordingStreams::connectionLost(int)
{
    m_asked.clear();
    m_streams.clear();
    tell();
}

void PulseRecordingStreams::serverEvent(pa_subscription_event_type_t type, std::uint32_t index)
{
    if ((type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK) != PA_SUBSCRIPTION_EVENT_SOURCE_OUTPUT
        || m_source == PA_INVALID_INDEX)
        return;
    if ((type & PA_SUBSCRIPTION_EVENT_TYPE_MASK) == PA_SUBSCRIPTION_EVENT_REMOVE) {
        forget(index);
        tell();
        return;
    }
    ask(pa_context_get_source_output_info(m_connection->context(), index, infoThunk, this));
}

void PulseRecordingStreams::listAll()
{
    if (m_source == PA_INVALID_INDEX || !m_connection->context())
        return;
    ask(pa_context_get_source_output_info_list(m_connection->context(), infoThunk, this));
}

void PulseRecordingStreams::ask(pa_operation* operation)
{
    std::erase_if(m_asked, [](const PulseOperationPtr& asked) {
        return pa_operation_get_state(asked.get()) != PA_OPERATION_RUNNING;
    });
    if (!operation) {
        qCWarning(lcPulseAudio, "cannot read the streams recording from the device: %s",
                  pa_strerror(pa_context_errno(m_connection->context())));
        return;
    }
    m_asked.emplace_back(operation);
}

// A stream moved to another source stops counting here. The panel's own
// streams (the spectrum's capture, the microphone check) are on this
// connection and are no application's.
void PulseRecordingStreams::onInfo(const pa_source_output_info& info)
{
    if (info.source != m_source || info.client == pa_context_get_index(m_connection->context())) {
        forget(info.index);
        return;
    }
    const auto property = [&info](const char* key) {
        return QString::fromUtf8(pa_proplist_gets(info.proplist, key));
    };
    RecordingStream stream{info.index, property(PA_PROP_APPLICATION_NAME), property(PA_PROP_APPLICATION_PROCESS_BINARY)};
    const auto known = std::find_if(m_streams.begin(), m_streams.end(),
                                    [&info](const RecordingStream& s) { return s.id == info.index; });
    if (known != m_streams.end())
        *known = stream;
    else
        m_streams.append(stream);
}

void PulseRecordingStreams::forget(std::uint32_t id)
{
    m_streams.removeIf([id](const RecordingStream& s) { return s.id == id; });
}

void PulseRecordingStreams::tell()
{
    m_mainThread.post([streams = m_streams](PulseRecordingStreams* self) { self->told(streams); });
}

// Loop thread: one call a stream, then the end of the answer.
void PulseRecordingStreams::infoThunk(pa_context*, const pa_source_output_info* info, int eol, void* self)
{
    auto* streams = static_cast<PulseRecordingStreams*>(self);
    if (eol == 0 && info)
        streams->onInfo(*info);
    else
        streams->tell();
}

// ---- Main thread ----

void PulseRecordingStreams::told(const QList<RecordingStream>& streams)
{
    if (streams == m_told)
        return;
    m_told = streams;
    emit streamsChanged(streams);
}
