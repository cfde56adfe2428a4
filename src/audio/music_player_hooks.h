#pragma once
// Process-wide hooks of the music players that are not part of a player's own interface: the end-of-track
// wake-up that lets the slots loop without waiting for their timer, and what tests observe of the pipelines.
//
// The sink: the environment variable KELVORA_AUDIO_SINK, when set, names the players' sink as a pipeline
// description (tests: "fakesink sync=true", or "level ! fakesink" to measure the level); it is taken as a
// sound output as it is. Otherwise each player plays into autoaudiosink, and a player whose autoaudiosink
// settles on its fake fallback rather than a real device fails with MusicFailure::NoOutput. That is asked
// anew by every player, so a speaker plugged in or a sound server started later is heard at the next use.

#include <chrono>
#include <functional>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

namespace kelvora {

// Called on the UI thread soon after any player's track reached its end. The slots run their loop tick from
// here, so a looping track restarts within milliseconds instead of within one timer period.
void setMusicEndHook(std::function<void()> hook);

// Tests: sees every bus message of every player, on the thread that posted it.
void setMusicBusObserverForTests(std::function<void(GstMessage*)> observer);
// Tests: sees each player's pipeline once it is built, before it prerolls.
void setMusicPipelineObserverForTests(std::function<void(GstElement*)> observer);
// Tests: how long a new player may take to preroll before it fails (10 s unless set; zero restores that).
void setMusicPrerollTimeoutForTests(std::chrono::milliseconds timeout);

} // namespace kelvora
