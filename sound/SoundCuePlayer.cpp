// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/SoundCuePlayer.h"

#include "game/CueSynth.h"
#include "sound/CueFeed.h"

#include <pthread.h>
#include <pulse/pulseaudio.h>
#include <sndfile.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <system_error>
#include <utility>

namespace navicella {
namespace {

// A cue is a short sound; a longer file is refused rather than played for minutes.
constexpr sf_count_t LongestCueSeconds = 60;

pa_sample_spec formatOf(const CueSource& source)
{
    return {PA_SAMPLE_FLOAT32NE, source.rate, static_cast<std::uint8_t>(source.channels)};
}

// One of the program's own cues, read from its samples.
CueSource ownCue(const std::vector<std::int16_t>& samples)
{
    const auto read = [&samples, position = std::size_t{0}](float* out,
                                                            std::size_t frames) mutable {
        const std::size_t n = std::min(frames, samples.size() - position);
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<float>(samples[position + i]) / 32768.0f;
        position += n;
        return n;
    };
    return {synth::SampleRate, 1, read};
}

// A file at the path itself, in any format libsndfile reads; or nothing, and the fault in words.
std::optional<CueSource> openFile(const std::string& path, std::string& fault)
{
    SF_INFO info{};
    const std::shared_ptr<SNDFILE> file(sf_open(path.c_str(), SFM_READ, &info), [](SNDFILE* f) {
        if (f)
            sf_close(f);
    });
    const pa_sample_spec format{PA_SAMPLE_FLOAT32NE,
                                static_cast<std::uint32_t>(std::max(info.samplerate, 0)),
                                static_cast<std::uint8_t>(std::clamp(info.channels, 0, 255))};
    if (!file)
        fault = sf_strerror(nullptr);
    else if (info.channels > 255 || !pa_sample_spec_valid(&format))
        fault = "more channels or a higher rate than a sound server takes";
    else if (info.frames <= 0)
        fault = "there is no sound in it";
    else if (info.frames > LongestCueSeconds * info.samplerate)
        fault = "it is longer than a minute";
    if (fault.empty()) {
        const auto read = [file](float* out, std::size_t frames) {
            const sf_count_t got = sf_readf_float(file.get(), out, static_cast<sf_count_t>(frames));
            return static_cast<std::size_t>(std::max<sf_count_t>(got, 0));
        };
        return CueSource{format.rate, format.channels, read};
    }
    if (fault.ends_with('.'))
        fault.pop_back();
    return std::nullopt;
}

}  // namespace

// One stream, and what it carries.
struct SoundCuePlayer::Voice {
    Voice(SoundCuePlayer* owner, CueSource source) : player(owner), feed(std::move(source)) {}
    ~Voice();
    Voice(const Voice&) = delete;
    Voice& operator=(const Voice&) = delete;

    bool open(pa_context* context);

    SoundCuePlayer* player;
    CueFeed feed;
    pa_stream* stream = nullptr;
};

struct SoundCuePlayer::Callbacks {
    static void wake(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t, void* self);
    static void contextState(pa_context* context, void* self);
    static void streamState(pa_stream* stream, void* self);
    static void streamWrite(pa_stream* stream, std::size_t bytes, void* self);
    static void drained(pa_stream* stream, int success, void*);
};

SoundCuePlayer::SoundCuePlayer(ReadyCallback ready) : m_ready(std::move(ready))
{
    m_loop = pa_mainloop_new();
    m_wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (m_loop && m_wake >= 0) {
        pa_mainloop_api* api = pa_mainloop_get_api(m_loop);
        m_wakeEvent = api->io_new(api, m_wake, PA_IO_EVENT_INPUT, Callbacks::wake, this);
    }
    // Our own thread, not the library's threaded main loop, which takes a
    // thread that could not start for one that runs.
    try {
        if (m_wakeEvent) {
            m_thread = std::thread([this] { run(); });
            wake();  // the first wake-up connects, on the sound thread
            return;
        }
    } catch (const std::system_error&) {
    }
    warnOnce("server", "cannot start the sound thread, cues are silent");
    reportReady(false);
}

SoundCuePlayer::~SoundCuePlayer()
{
    if (m_thread.joinable()) {
        m_stopping = true;
        wake();
        m_thread.join();
    }
    // No callback runs any more: what is sounding stops with the program.
    m_voices.clear();
    if (m_context) {
        pa_context_set_state_callback(m_context, nullptr, nullptr);
        pa_context_disconnect(m_context);
        pa_context_unref(m_context);
    }
    if (m_wakeEvent)
        pa_mainloop_get_api(m_loop)->io_free(m_wakeEvent);
    if (m_loop)
        pa_mainloop_free(m_loop);
    if (m_wake >= 0)
        close(m_wake);
}

void SoundCuePlayer::run()
{
    pthread_setname_np(pthread_self(), "navicella-sound");
    // The loop ends when the player asks it to, or when it cannot poll.
    if (pa_mainloop_run(m_loop, nullptr) < 0 && !m_stopping) {
        warnOnce("thread", "the sound thread failed, cues are silent");
        reportReady(false);
    }
}

void SoundCuePlayer::play(std::string_view path) noexcept
{
    try {
        const std::lock_guard lock(m_requestMutex);
        m_requested.emplace(path);
    } catch (...) {
        return;  // out of memory for a path: the cue is silent and the game goes on
    }
    wake();
}

void SoundCuePlayer::wake()
{
    // Only an overflowing counter fails, and then the thread is awake already.
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = m_wake >= 0 ? write(m_wake, &one, sizeof one) : 0;
}

// play() has asked for a cue: the latest asked for sounds, once the server answers.
void SoundCuePlayer::Callbacks::wake(pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t,
                                     void* self)
{
    auto* player = static_cast<SoundCuePlayer*>(self);
    std::uint64_t count = 0;
    if (read(fd, &count, sizeof count) < 0)
        return;  // a spurious wake-up
    if (player->m_stopping) {
        pa_mainloop_quit(player->m_loop, 0);
        return;
    }
    std::optional<std::string> path;
    {
        const std::lock_guard lock(player->m_requestMutex);
        path.swap(player->m_requested);
    }
    // Without a server every cue tries to reach it again.
    if (!player->m_context)
        player->connect();
    if (!path || !player->m_context)
        return;
    if (pa_context_get_state(player->m_context) == PA_CONTEXT_READY)
        player->start(*path);
    else
        player->m_waiting = std::move(path);
}

void SoundCuePlayer::connect()
{
    // The desktop's volume mixer lists the cues under our name and icon.
    pa_proplist* application = pa_proplist_new();
    pa_proplist_sets(application, PA_PROP_APPLICATION_NAME, "Navicella");
    pa_proplist_sets(application, PA_PROP_APPLICATION_ID, NAVICELLA_APP_ID);
    pa_proplist_sets(application, PA_PROP_APPLICATION_ICON_NAME, NAVICELLA_APP_ID);
    m_context = pa_context_new_with_proplist(pa_mainloop_get_api(m_loop), "Navicella", application);
    pa_proplist_free(application);
    if (!m_context) {
        warnOnce("server", "cannot reach a sound server, cues are silent");
        reportReady(false);
        return;
    }
    pa_context_set_state_callback(m_context, Callbacks::contextState, this);
    // A refusal may have failed the context through its state callback already.
    if (pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 && m_context)
        dropContext();
}

void SoundCuePlayer::Callbacks::contextState(pa_context* context, void* self)
{
    auto* player = static_cast<SoundCuePlayer*>(self);
    const pa_context_state_t state = pa_context_get_state(context);
    if (state == PA_CONTEXT_READY) {
        player->m_wasReady = true;
        player->reportReady(true);
        if (std::optional<std::string> path = std::exchange(player->m_waiting, std::nullopt))
            player->start(*path);
    } else if (!PA_CONTEXT_IS_GOOD(state)) {
        player->dropContext();
    }
}

// No server, or the server lost: silence until the next cue connects anew.
void SoundCuePlayer::dropContext()
{
    const std::string reason = pa_strerror(pa_context_errno(m_context));
    // Once the server is lost, a failed attempt to reach it again says nothing new.
    if (m_wasReady)
        warnOnce("lost",
                 "lost the sound server (" + reason + "), cues are silent until it is back");
    else
        warnOnce("server", "no sound server (" + reason + "), cues are silent");
    reportReady(false);
    m_waiting.reset();
    // Its streams fail after this, and go.
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_unref(m_context);
    m_context = nullptr;
}

void SoundCuePlayer::start(const std::string& path)
{
    // What sounds is cut off, whether or not the new cue can sound.
    for (Voice& voice : m_voices)
        voice.feed.cut();
    std::optional<CueSource> source;
    // Only a regular file: reading a pipe or a device could hang the sound thread.
    struct stat status {};
    if (stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
        std::string fault;
        source = openFile(path, fault);
        if (!source)
            warnOnce("path:" + path,
                     "cannot play \"" + path + "\": " + fault + ", the cue stays silent");
    } else if (const std::optional<synth::Cue> cue = synth::cueFor(path)) {
        std::vector<std::int16_t>& samples = m_own.at(static_cast<std::size_t>(*cue));
        if (samples.empty())
            samples = synth::render(*cue);
        source = ownCue(samples);
    } else {
        warnOnce("path:" + path, "no sound for \"" + path + "\"");
    }
    if (!source)
        return;
    // A cue of the same kind of samples follows the fade on the same stream.
    if (!m_voices.empty() && !m_voices.back().feed.ended()) {
        const pa_sample_spec sounding = formatOf(m_voices.back().feed.source());
        const pa_sample_spec format = formatOf(*source);
        if (pa_sample_spec_equal(&sounding, &format)) {
            m_voices.back().feed.follow(std::move(*source));
            return;
        }
    }
    if (!m_voices.emplace_back(this, std::move(*source)).open(m_context))
        m_voices.pop_back();
}

bool SoundCuePlayer::Voice::open(pa_context* context)
{
    const pa_sample_spec format = formatOf(feed.source());
    pa_channel_map map;
    pa_proplist* properties = pa_proplist_new();
    // Without its role the stream plays all the same.
    const bool named = pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "game") == 0;
    stream = pa_stream_new_with_proplist(
        context, "cue", &format,
        pa_channel_map_init_extend(&map, format.channels, PA_CHANNEL_MAP_DEFAULT),
        named ? properties : nullptr);
    pa_proplist_free(properties);
    pa_buffer_attr buffer{};
    buffer.maxlength = buffer.prebuf = buffer.minreq = buffer.fragsize = UINT32_MAX;
    buffer.tlength =
        static_cast<std::uint32_t>(pa_usec_to_bytes(QueuedMs * PA_USEC_PER_MSEC, &format));
    if (stream) {
        pa_stream_set_state_callback(stream, Callbacks::streamState, this);
        pa_stream_set_write_callback(stream, Callbacks::streamWrite, this);
        // A failure after this comes through the state callback.
        if (pa_stream_connect_playback(stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr,
                                       nullptr) == 0)
            return true;
    }
    player->warnOnce("stream", std::string("cannot open a stream (") +
                                   pa_strerror(pa_context_errno(context)) + "), a cue is silent");
    return false;
}

SoundCuePlayer::Voice::~Voice()
{
    if (!stream)
        return;
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    // A stream that cannot disconnect is gone from the server already.
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

// A stream that fails or has closed goes, with what it carried.
void SoundCuePlayer::Callbacks::streamState(pa_stream* stream, void* self)
{
    auto* voice = static_cast<Voice*>(self);
    const pa_stream_state_t state = pa_stream_get_state(stream);
    if (PA_STREAM_IS_GOOD(state))
        return;
    SoundCuePlayer* player = voice->player;
    // A stream fails with its server too; that was said already.
    if (state == PA_STREAM_FAILED && player->m_context)
        player->warnOnce("stream", std::string("a cue's stream failed (") +
                                       pa_strerror(pa_context_errno(player->m_context)) + ")");
    player->m_voices.remove_if([voice](const Voice& v) { return &v == voice; });
}

// The server wants more of the stream.
void SoundCuePlayer::Callbacks::streamWrite(pa_stream* stream, std::size_t bytes, void* self)
{
    auto* voice = static_cast<Voice*>(self);
    void* data = nullptr;
    // A stream that takes nothing is failing, and its state callback lets it go.
    if (voice->feed.ended() || pa_stream_begin_write(stream, &data, &bytes) < 0 || !data)
        return;
    const pa_sample_spec format = formatOf(voice->feed.source());
    const std::size_t frameBytes = pa_frame_size(&format);
    const std::size_t frames = voice->feed.fill(static_cast<float*>(data), bytes / frameBytes);
    const int written = frames > 0 ? pa_stream_write(stream, data, frames * frameBytes, nullptr, 0,
                                                     PA_SEEK_RELATIVE)
                                   : pa_stream_cancel_write(stream);
    if (written == 0 && !voice->feed.ended())
        return;
    // Played out, the stream closes once the server has played it, so that
    // the device may sleep; one that took no more closes at once. Neither
    // fails but for a stream gone already, which its state callback lets go.
    pa_operation* drain = written == 0 ? pa_stream_drain(stream, drained, nullptr) : nullptr;
    if (drain)
        pa_operation_unref(drain);
    else
        pa_stream_disconnect(stream);
}

void SoundCuePlayer::Callbacks::drained(pa_stream* stream, int, void*)
{
    pa_stream_disconnect(stream);
}

void SoundCuePlayer::warnOnce(const std::string& kind, const std::string& message)
{
    if (!m_warned.insert(kind).second)
        return;
    std::fprintf(stderr, "navicella: %s\n", message.c_str());
    std::fflush(stderr);
}

void SoundCuePlayer::reportReady(bool audible)
{
    if (m_ready)
        std::exchange(m_ready, nullptr)(audible);
}

}  // namespace navicella
