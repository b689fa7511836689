#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// Identifies one audio device of the system. 0 is never a device.
using AudioObjectID = std::uint32_t;
inline constexpr AudioObjectID kAudioObjectUnknown = 0;

// The direction a device property is read or set in.
enum class AudioScope { Output, Input };

// Status codes of the audio system; 0 is success, anything else a failure.
namespace AudioStatus {
inline constexpr int Ok = 0;
inline constexpr int NotConnected = 1;  // no sound server at the moment
inline constexpr int Timeout = 2;       // the server did not answer in time
inline constexpr int NoSuchDevice = 3;  // unknown id, or not a device of that direction
inline constexpr int ServerError = 4;   // the server refused or failed the request
inline constexpr int NotRegistered = 5; // removing a listener that was never added
inline constexpr int WrongThread = 6;   // a blocking request from the audio system's own thread
inline constexpr int BadValue = 7;      // a volume that is not a number or below 0
inline constexpr int NoMainVolume = 8;  // the device has no main volume in that direction
// The server took a request but did not carry it out within the bound (a
// new default its session manager did not make).
inline constexpr int NotCarriedOut = 9;
}

// Whether a failed request left the server unanswering or gone, so that the
// same request may work once it is back.
inline bool audioServerUnavailable(int status)
{
    return status == AudioStatus::NotConnected || status == AudioStatus::Timeout;
}

// A device with its name in each direction; none where it does not work in
// that direction or its name cannot be read.
struct AudioDeviceNames {
    AudioObjectID id = kAudioObjectUnknown;
    std::optional<std::string> outputName;
    std::optional<std::string> inputName;
};

// Answers of the requests that never wait; they run on the main thread.
using AudioDone = std::function<void(int status)>;
using AudioDevicesDone = std::function<void(int status, std::vector<AudioDeviceNames> devices)>;

// Called on the audio system's own thread (never the main thread) when the
// main volume of `device` in `scope` has changed, with the new volume as a
// scalar 0.0..1.0 (above 1.0 when amplified). It must not touch widgets or
// the settings there, nor call back into the system. The return value is
// ignored; return 0.
using AudioVolumeListenerProc = int (*)(AudioObjectID device, AudioScope scope, float scalar, void* clientData);

// What the audio system announces about itself.
enum class AudioSystemEvent {
    Reconnected, // the system is back after it was lost; ids handed out before are stale
    DeviceAdded, // a device appeared
    // The system is gone or stopped answering (it is looked for again;
    // Reconnected follows once it is back).
    Lost,
    // A volume sent with sendDefaultVolume() was refused or failed; told
    // once until one in that direction is taken again (then *VolumeTaken).
    OutputVolumeRefused,
    InputVolumeRefused,
    OutputVolumeTaken,
    InputVolumeTaken,
};
// Called on the audio system's own thread; must only hand the event over.
using AudioSystemEventProc = void (*)(AudioSystemEvent event, void* clientData);

// The system audio layer as the panel uses it: the device list with names,
// the default output and input device, and the main volume of a device in
// one direction with change notification. Calls are made from the main
// thread and never wait on the system, but for hasMainVolume(), which may
// block for a bounded time while the system answers. The requests answer
// later with a status (AudioStatus, 0 on success); the other operations
// but hasMainVolume() and isConnected() return one.
class AudioSystem {
public:
    virtual ~AudioSystem() = default;

    // ---- Requests answered later ----
    // Each returns at once; `done` runs later on the main thread (never
    // within the call) with the status, at the latest when the system's
    // bound for an answer has passed.

    // The device list in the system's order with every device's names.
    virtual void requestDevices(AudioDevicesDone done) = 0;
    // Makes `device` the default of `scope`, answered once the system
    // reports it (NotCarriedOut when it accepted but did not make it).
    virtual void requestDefaultDevice(AudioScope scope, AudioObjectID device, AudioDone done) = 0;
    // Sets the device's main volume, as a scalar 0.0..1.0 (above 1.0 when
    // amplified); NoMainVolume when it has none.
    virtual void requestVolumeScalar(AudioObjectID device, AudioScope scope, float scalar, AudioDone done) = 0;

    // Whether the device has a main volume in `scope`.
    virtual bool hasMainVolume(AudioObjectID device, AudioScope scope) = 0;
    // Sets the main volume of the current default device of `scope` (as the
    // system last reported it) without waiting for the system: it returns
    // once the write is on its way, and writes arrive in the order sent, so
    // the last one wins. NoSuchDevice when no default is known, NoMainVolume
    // when it has none. A write the system refuses or fails later is told
    // through the event listener (OutputVolumeRefused, InputVolumeRefused).
    virtual int sendDefaultVolume(AudioScope scope, float scalar) = 0;

    // Registers `proc` with `clientData` for changes of the device's main
    // volume in `scope`. Adding the same registration twice keeps one.
    virtual int addVolumeListener(AudioObjectID device, AudioScope scope,
                                  AudioVolumeListenerProc proc, void* clientData) = 0;
    // Once this returns, `proc` is not called again for this registration.
    virtual int removeVolumeListener(AudioObjectID device, AudioScope scope,
                                     AudioVolumeListenerProc proc, void* clientData) = 0;

    // Whether the system answers right now, as far as it knows.
    virtual bool isConnected() const { return true; }

    // Sets the one receiver of the system's own events (none: nullptr).
    // Once this returns, a receiver set before is not called again. A system
    // that never reconnects nor changes its devices announces nothing.
    virtual void setEventListener(AudioSystemEventProc proc, void* clientData)
    {
        static_cast<void>(proc);
        static_cast<void>(clientData);
    }
};
