#pragma once

#include <QString>

class AudioPlayer;

// Told when a playback ends by itself. Both calls arrive on the main thread.
class AudioPlayerDelegate {
public:
    virtual ~AudioPlayerDelegate() = default;
    // The stream reached its end.
    virtual void audioPlayerDidFinishPlaying(AudioPlayer* player, bool successfully) = 0;
    // The stream failed while playing (decoder, file or output error).
    virtual void audioPlayerDecodeErrorDidOccur(AudioPlayer* player, const QString& error) = 0;
};

// One audio file played through the default output. Created by a
// TransportFactory, which gives no player at all for a location that is
// no file to play. The file is opened in the background: one that turns
// out not to play reaches the delegate as a decode error. Used on the main
// thread only.
class AudioPlayer {
public:
    virtual ~AudioPlayer() = default;

    // Non-owning; the delegate must outlive the player or be reset first.
    virtual void setDelegate(AudioPlayerDelegate* delegate) = 0;
    // Starts or resumes playback; false when the player has already failed.
    virtual bool play() = 0;
    virtual void pause() = 0;
    // Ends playback and releases the output. The position stays readable;
    // a later play() starts from the beginning.
    virtual void stop() = 0;
    virtual bool isPlaying() const = 0;
    // The play position in seconds.
    virtual double currentTime() const = 0;
};
