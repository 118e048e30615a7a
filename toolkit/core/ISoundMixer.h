#pragma once

// What the application frame asks of the sound mixer it owns: the sweep of finished voices on
// every 256th heartbeat, and silence at exit.
class ISoundMixer {
public:
    virtual ~ISoundMixer() = default;

    // Closes and removes the voices that have finished playing.
    virtual void RemoveFinished() = 0;
    // Stops, closes and frees every voice.
    virtual void StopAll() = 0;
};
