#include "audio/PulseDefaultsWitness.h"

#include <QLoggingCategory>

#include <algorithm>
#include <iterator>

#include <pulse/timeval.h>

Q_DECLARE_LOGGING_CATEGORY(lcPulseAudio)

namespace {

constexpr int kChecks = static_cast<int>(std::size(PulseDefaultsWitness::kCheckDelaysMs));
// Client ids of recent checks; their removal events come after the check.
constexpr std::size_t kOwnClientsKept = 8;

} // namespace

PulseDefaultsWitness::PulseDefaultsWitness(pa_threaded_mainloop* loop, NewContext newContext, Followed followed,
                                           Disagrees disagrees)
    : m_loop(loop)
    , m_newContext(std::move(newContext))
    , m_followed(std::move(followed))
    , m_disagrees(std::move(disagrees))
    , m_next(kChecks)
{
}

// The owner stops the loop's thread first: nothing runs concurrently.
PulseDefaultsWitness::~PulseDefaultsWitness()
{
    if (m_timer) {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
        api->time_free(m_timer);
    }
}

// Clients may come and go faster than the checks run (another panel's own
// checks do): a disagreement keeps its second reading, or it would never
// come.
void PulseDefaultsWitness::suspect()
{
    if (m_unconfirmed && (m_timer || m_reading)) {
        m_next = 0;
        return;
    }
    armFirst();
}

// The request waits for this reading: it comes soon, also when a
// disagreement waits for its confirmation.
void PulseDefaultsWitness::recheck()
{
    m_fresh.reset();
    armFirst();
}

bool PulseDefaultsWitness::freshlyRead(bool sink, const std::string& name)
{
    if (!m_fresh || (sink ? m_fresh->first : m_fresh->second) != name)
        return false;
    if (*m_fresh != m_followed()) {
        m_unconfirmed = m_fresh;
        armIn(0);
    }
    return true;
}

void PulseDefaultsWitness::heard()
{
    m_next = kChecks;
    m_unconfirmed.reset();
    if (m_timer) {
        pa_threaded_mainloop_get_api(m_loop)->time_free(m_timer);
        m_timer = nullptr;
    }
}

void PulseDefaultsWitness::cancel()
{
    heard();
    m_witness.reset();
    m_reading = false;
}

bool PulseDefaultsWitness::isOwnClient(std::uint32_t index) const
{
    return std::find(m_ownClients.begin(), m_ownClients.end(), index) != m_ownClients.end();
}

// The first check of a series, unless one is due sooner: putting it off
// at each event could put it off for good.
void PulseDefaultsWitness::armFirst()
{
    m_unconfirmed.reset();
    m_next = 1;
    if (!m_timer || m_timerDue > std::chrono::steady_clock::now() + std::chrono::milliseconds(kCheckDelaysMs[0]))
        armIn(kCheckDelaysMs[0]);
}

void PulseDefaultsWitness::arm()
{
    if (m_next >= kChecks) {
        armIn(-1);
        return;
    }
    const int delay = kCheckDelaysMs[m_next] - (m_next > 0 ? kCheckDelaysMs[m_next - 1] : 0);
    ++m_next;
    armIn(delay);
}

// The next check in `delayMs`; none when negative.
void PulseDefaultsWitness::armIn(int delayMs)
{
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
    if (m_timer) {
        api->time_free(m_timer);
        m_timer = nullptr;
    }
    if (delayMs < 0)
        return;
    timeval when{};
    pa_gettimeofday(&when);
    pa_timeval_add(&when, static_cast<pa_usec_t>(delayMs) * PA_USEC_PER_MSEC);
    m_timer = api->time_new(api, &when, timerThunk, this);
    m_timerDue = std::chrono::steady_clock::now() + std::chrono::milliseconds(delayMs);
}

// Loop thread: one check over a new connection; a check still running
// answers for this one too.
void PulseDefaultsWitness::check()
{
    if (m_witness && pa_context_get_state(m_witness.get()) != PA_CONTEXT_READY
        && PA_CONTEXT_IS_GOOD(pa_context_get_state(m_witness.get())))
        return;
    m_witness = m_newContext();
    if (!m_witness)
        return;
    pa_context_set_state_callback(m_witness.get(), stateThunk, this);
    if (pa_context_connect(m_witness.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        m_witness.reset();
    m_reading = m_witness != nullptr;
}

void PulseDefaultsWitness::onState(pa_context* context)
{
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        m_ownClients.push_back(pa_context_get_index(context));
        if (m_ownClients.size() > kOwnClientsKept)
            m_ownClients.erase(m_ownClients.begin());
        PulseOperationPtr info(pa_context_get_server_info(context, serverInfoThunk, this));
        if (!info)
            retire();
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        retire();
    }
}

void PulseDefaultsWitness::onServerInfo(const pa_server_info* info)
{
    if (!info || !m_witness) {
        retire();
        return;
    }
    const std::string sink = info->default_sink_name ? info->default_sink_name : "";
    const std::string source = info->default_source_name ? info->default_source_name : "";
    if (!m_fresh)
        m_fresh.emplace(sink, source);
    const auto [followedSink, followedSource] = m_followed();
    if (sink == followedSink && source == followedSource) {
        m_unconfirmed.reset();
        retire();
        arm();
        return;
    }
    std::pair<std::string, std::string> read{sink, source};
    if (m_unconfirmed != read) {
        m_unconfirmed = std::move(read);
        retire();
        armIn(kConfirmDelayMs);
        return;
    }
    m_unconfirmed.reset();
    qCInfo(lcPulseAudio, "our connection still reports %s and %s as the defaults, a new one %s and %s; "
                         "following them over the new one",
           followedSink.empty() ? "none" : followedSink.c_str(),
           followedSource.empty() ? "none" : followedSource.c_str(), sink.empty() ? "none" : sink.c_str(),
           source.empty() ? "none" : source.c_str());
    m_next = kChecks;
    m_reading = false;
    pa_context_set_state_callback(m_witness.get(), nullptr, nullptr);
    m_disagrees(std::move(m_witness));
}

// A connection is not freed within its own callback: it goes from the loop
// a moment later, unless a new check has replaced it by then.
void PulseDefaultsWitness::retire()
{
    m_reading = false;
    if (!m_witness)
        return;
    pa_context_set_state_callback(m_witness.get(), nullptr, nullptr);
    pa_mainloop_api_once(pa_threaded_mainloop_get_api(m_loop), retireThunk, this);
}

// ---- Trampolines (main loop thread) ----

void PulseDefaultsWitness::timerThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval*, void* self)
{
    auto* witness = static_cast<PulseDefaultsWitness*>(self);
    api->time_free(event);
    witness->m_timer = nullptr;
    witness->check();
}

void PulseDefaultsWitness::stateThunk(pa_context* context, void* self)
{
    static_cast<PulseDefaultsWitness*>(self)->onState(context);
}

void PulseDefaultsWitness::serverInfoThunk(pa_context*, const pa_server_info* info, void* self)
{
    static_cast<PulseDefaultsWitness*>(self)->onServerInfo(info);
}

void PulseDefaultsWitness::retireThunk(pa_mainloop_api*, void* self)
{
    auto* witness = static_cast<PulseDefaultsWitness*>(self);
    // A check started since has a connection of its own in the making.
    if (witness->m_witness && pa_context_get_state(witness->m_witness.get()) != PA_CONTEXT_CONNECTING
        && pa_context_get_state(witness->m_witness.get()) != PA_CONTEXT_AUTHORIZING
        && pa_context_get_state(witness->m_witness.get()) != PA_CONTEXT_SETTING_NAME)
        witness->m_witness.reset();
}
