#pragma once

#include "audio/PulseConnection.h"
#include "audio/PulseHandles.h"
#include "audio/RecordingStreams.h"
#include "base/WorkQueue.h"

#include <memory>
#include <vector>

// The recording streams (the server's source outputs) of one source, on the
// panel's connection: listed when following begins, then kept by the
// server's events. A reconnect to a server that may have handed out new
// ids forgets them until follow() names the source again (the link's
// restore does); a renewed connection to the same server lists them again.
// The list goes to the main thread with each answer that changes it.
class PulseRecordingStreams final : public RecordingStreams, private PulseConnection::Observer {
    Q_OBJECT

public:
    explicit PulseRecordingStreams(std::shared_ptr<PulseConnection> connection, QObject* parent = nullptr);
    ~PulseRecordingStreams() override;

    void follow(AudioObjectID input) override;

private:
    // ---- Loop thread, or loop locked ----
    void connectionReady(pa_context* context, Ready how) override;
    void connectionLost(int error) override;
    void serverEvent(pa_subscription_event_type_t type, std::uint32_t index) override;
    void listAll();
    void ask(pa_operation* operation);
    void onInfo(const pa_source_output_info& info);
    void forget(std::uint32_t id);
    void tell();

    static void infoThunk(pa_context* context, const pa_source_output_info* info, int eol, void* self);

    // Main thread.
    void told(const QList<RecordingStream>& streams);

    std::shared_ptr<PulseConnection> m_connection;
    const MainThreadLink<PulseRecordingStreams> m_mainThread{this};
    // Guarded by the loop's lock.
    std::uint32_t m_source = PA_INVALID_INDEX;
    QList<RecordingStream> m_streams;
    std::vector<PulseOperationPtr> m_asked;
    // Main thread: what was last told.
    QList<RecordingStream> m_told;
};
