// Recorder and player: the controller's transport state machine. Stand-ins
// until the transport subsystem is wired in.
#include "app/AppDelegate.h"

void AppDelegate::Play() {}
void AppDelegate::Record() {}
void AppDelegate::Pause() {}
void AppDelegate::Stop() {}
void AppDelegate::TimerAction(QTimer*) {}
void AppDelegate::audioPlayerDidFinishPlaying(AudioPlayer*, bool) {}
void AppDelegate::audioPlayerDecodeErrorDidOccur(AudioPlayer*, const QString&) {}

void AppDelegate::resetTransport()
{
    actionStatus = 0;
}
