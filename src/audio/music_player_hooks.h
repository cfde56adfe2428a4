#pragma once
// Process-wide hooks of the music players that are not part of a player's own interface: the end-of-track
// wake-up that lets the slots loop without waiting for their timer, and what tests observe of the pipelines.

#include <functional>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

namespace kelvora {

// Called on the UI thread soon after any player's track reached its end. The slots run their loop tick from
// here, so a looping track restarts within milliseconds instead of within one timer period.
void setMusicEndHook(std::function<void()> hook);

// Tests: sees every bus message of every player, on the streaming thread that posted it.
void setMusicBusObserverForTests(std::function<void(GstMessage*)> observer);
// Tests: sees each player's pipeline once it is built, before it prerolls.
void setMusicPipelineObserverForTests(std::function<void(GstElement*)> observer);
// Tests: forget the cached answer of audioOutputAvailable() (the environment changed).
void resetAudioOutputProbeForTests();

} // namespace kelvora
