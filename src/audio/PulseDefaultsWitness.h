#pragma once

#include "audio/PulseHandles.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <pulse/introspect.h>
#include <pulse/mainloop-api.h>

// Notices a connection that no longer hears of changes to the server's
// defaults. PipeWire's PulseAudio server (0.3.65) can stop sending default
// changes to every connection at once, and the stale connections keep
// answering with the old defaults; only a connection made afterwards reads
// the current ones. So after an event that may come with a new default
// (another client coming or going, a device or card added or removed) a
// short-lived connection reads the defaults, a few times over about two
// seconds since the session manager makes a change a moment after it is
// asked; when it disagrees with what the followed connection says, and a
// second new connection half a second later reads the same (a loaded
// machine can hand the followed connection its event late), it is handed
// over to take that connection's place. Clients coming and going meanwhile
// neither put a check off nor start that confirmation over. A change of the
// defaults heard on the followed connection shows it is not stale and ends
// the checks. Nothing polls while nothing happens.
//
// Everything runs on the threaded main loop's thread, or with its lock held.
class PulseDefaultsWitness {
public:
    // The defaults the followed connection reports (sink, source names).
    using Followed = std::function<std::pair<std::string, std::string>()>;
    // A ready connection that reads other defaults than `Followed`.
    using Disagrees = std::function<void(PulseContextPtr fresh)>;
    // Makes a new, unconnected context.
    using NewContext = std::function<PulseContextPtr()>;

    PulseDefaultsWitness(pa_threaded_mainloop* loop, NewContext newContext, Followed followed, Disagrees disagrees);
    ~PulseDefaultsWitness();
    PulseDefaultsWitness(const PulseDefaultsWitness&) = delete;
    PulseDefaultsWitness& operator=(const PulseDefaultsWitness&) = delete;

    // An event that may come with a new default: (re)starts the checks.
    void suspect();
    // A default asked for does not show: as suspect(), and freshlyRead()
    // looks only at what is read from now on.
    void recheck();
    // The followed connection heard of a change to the defaults.
    void heard();
    // The connection is gone: no checks until the next suspect().
    void cancel();
    // Whether the first new connection since the last recheck() read `name`
    // as the default of `sink` or source. If so, and the followed connection
    // says otherwise, a new connection that reads the same at once takes its
    // place: the caller has seen the followed one wrong long enough, and the
    // usual confirmation half a second later is not waited for.
    bool freshlyRead(bool sink, const std::string& name);
    // Whether a client event is about one of the witness's own connections,
    // which come and go with each check.
    bool isOwnClient(std::uint32_t index) const;

    // Delays of the checks after a suspect event, in milliseconds.
    static constexpr int kCheckDelaysMs[] = {100, 600, 2000};
    // Delay of the check that confirms a disagreement.
    static constexpr int kConfirmDelayMs = 500;

private:
    void armFirst();
    void arm();
    void armIn(int delayMs);
    void check();
    void onState(pa_context* context);
    void onServerInfo(const pa_server_info* info);
    void retire();

    static void timerThunk(pa_mainloop_api* api, pa_time_event* event, const struct timeval* when, void* self);
    static void stateThunk(pa_context* context, void* self);
    static void serverInfoThunk(pa_context* context, const pa_server_info* info, void* self);
    static void retireThunk(pa_mainloop_api* api, void* self);

    pa_threaded_mainloop* m_loop;
    NewContext m_newContext;
    Followed m_followed;
    Disagrees m_disagrees;
    PulseContextPtr m_witness;
    pa_time_event* m_timer = nullptr;
    std::chrono::steady_clock::time_point m_timerDue;
    // A new connection is on its way to read the defaults.
    bool m_reading = false;
    int m_next = 0; // the next of kCheckDelaysMs; past the end: idle
    // The defaults a new connection read against the followed ones, until
    // the next check confirms them.
    std::optional<std::pair<std::string, std::string>> m_unconfirmed;
    std::optional<std::pair<std::string, std::string>> m_fresh;
    std::vector<std::uint32_t> m_ownClients;
};
