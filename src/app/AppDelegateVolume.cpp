// Speaker volume and microphone gain: the controller's side of the system
// audio layer. Stand-ins until the audio subsystem is wired in.
#include "app/AppDelegate.h"

void AppDelegate::SpkVolumeChanged(QObject*) {}
void AppDelegate::MicGainChanged(QObject*) {}
void AppDelegate::setVolume(float) {}
void AppDelegate::setMicGain(float) {}
void AppDelegate::VolumeChanged(float) {}
void AppDelegate::MicChanged(float) {}

int AppDelegate::OutputVolumeListener(AudioObjectID, AudioScope, void*)
{
    return 0;
}

int AppDelegate::InputVolumeListener(AudioObjectID, AudioScope, void*)
{
    return 0;
}

bool AppDelegate::addVolumeListeners()
{
    return true;
}

bool AppDelegate::removeVolumeListeners()
{
    return true;
}
