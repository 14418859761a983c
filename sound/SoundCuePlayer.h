// SPDX-License-Identifier: GPL-3.0-or-later
// The game's cue player, on the sound server's own client library: PulseAudio's
// asynchronous API, which PipeWire desktops serve too, with libsndfile to read
// a sound file.
//
// Create it before the window and keep it as long as the game that plays
// through it. Its own sound thread connects to the server in the background,
// so creating it costs the window no time.
//
// play(path) hands the cue to the sound thread and returns at once: it never
// waits on the server and never throws. Where the path names a regular file,
// that file is the cue, in any format libsndfile reads, at its own rate (the
// server resamples); otherwise the program's own cue of the same file name;
// otherwise silence. The cue that is sounding fades out within a few
// milliseconds and the new one starts from its beginning, the same cue again
// included; cues never queue. The new cue follows the fade on the same stream
// when its samples are alike, or opens a stream of its own, which begins with
// a little silence so that the cue's opening is heard whole even where the
// server splices a new stream in late (sound/CueFeed.h). A stream closes once
// its cue has played out, so that the device may sleep.
//
// A fault means silence and one line on stderr for each kind of fault: no
// sound thread, no server, a server lost, a stream that cannot start, a path
// without a sound, a file that cannot be played. The game goes on; once the
// server is back, the next cue connects.
#pragma once

#include "game/CuePlayer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

struct pa_context;
struct pa_mainloop;
struct pa_io_event;

namespace navicella {

class SoundCuePlayer final : public CuePlayer {
public:
    // Called once, when the first attempt to connect has ended: on the sound
    // thread, or within the constructor where no sound thread can start;
    // `audible` tells whether a server answered. Cues played before then are
    // not lost: the latest sounds once the server answers.
    using ReadyCallback = std::function<void(bool audible)>;

    // How far ahead of the server a cue's stream is filled: a cut takes
    // effect after this much more of the old cue, which then fades out.
    static constexpr int QueuedMs = 40;

    explicit SoundCuePlayer(ReadyCallback ready = {});
    ~SoundCuePlayer() override;
    SoundCuePlayer(const SoundCuePlayer&) = delete;
    SoundCuePlayer& operator=(const SoundCuePlayer&) = delete;

    void play(std::string_view path) noexcept override;

private:
    struct Voice;
    struct Callbacks;  // the client library's callbacks, each a function of its own

    void run();
    void wake();
    void connect();
    void dropContext();
    void start(const std::string& path);
    void warnOnce(const std::string& kind, const std::string& message);
    void reportReady(bool audible);

    ReadyCallback m_ready;
    pa_mainloop* m_loop = nullptr;
    std::thread m_thread;                 // the sound thread, running m_loop
    int m_wake = -1;                      // an eventfd: play() wakes the sound thread through it
    std::atomic<bool> m_stopping{false};  // and so does the destructor, to end it
    pa_io_event* m_wakeEvent = nullptr;
    std::mutex m_requestMutex;
    std::optional<std::string> m_requested;  // the latest cue asked for, guarded by m_requestMutex

    // The rest belongs to the sound thread.
    pa_context* m_context = nullptr;
    bool m_wasReady = false;
    std::optional<std::string> m_waiting;            // asked for while connecting
    std::list<Voice> m_voices;                       // the newest last; older ones fading out
    std::array<std::vector<std::int16_t>, 4> m_own;  // our own cues, rendered when first played
    std::set<std::string> m_warned;
};

}  // namespace navicella
