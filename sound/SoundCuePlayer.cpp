// SPDX-License-Identifier: GPL-3.0-or-later
#include "sound/SoundCuePlayer.h"

#include "game/CueSynth.h"

#include <pulse/pulseaudio.h>
#include <sndfile.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <numbers>
#include <utility>

namespace navicella {
namespace {

// A new stream is heard from a little later than the server's clock says,
// as the server splices it into audio it has already mixed ahead: it opens
// with this much silence, and the cue after it is heard whole.
constexpr pa_usec_t LeadInUs = 20'000;
// A cue is a short sound; a longer file is refused rather than played for minutes.
constexpr sf_count_t LongestCueSeconds = 60;

// What a cue sounds from: one of the program's own cues, or a file read as it plays.
struct Source {
    pa_sample_spec format{PA_SAMPLE_FLOAT32NE, synth::SampleRate, 1};
    const std::vector<std::int16_t>* own = nullptr;
    std::size_t position = 0;
    std::unique_ptr<SNDFILE, decltype(&sf_close)> file{nullptr, &sf_close};

    // Up to `frames` frames; fewer once the sound ends.
    std::size_t read(float* out, std::size_t frames)
    {
        if (file) {
            const sf_count_t got = sf_readf_float(file.get(), out, static_cast<sf_count_t>(frames));
            return static_cast<std::size_t>(std::max<sf_count_t>(got, 0));
        }
        const std::size_t n = std::min(frames, own->size() - position);
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<float>((*own)[position + i]) / 32768.0f;
        position += n;
        return n;
    }
};

// A file at the path itself, in any format libsndfile reads; or nothing, and the fault in words.
std::optional<Source> openFile(const std::string& path, std::string& fault)
{
    SF_INFO info{};
    Source source;
    source.file.reset(sf_open(path.c_str(), SFM_READ, &info));
    source.format.rate = static_cast<std::uint32_t>(std::max(info.samplerate, 0));
    source.format.channels = static_cast<std::uint8_t>(std::clamp(info.channels, 0, 255));
    if (!source.file)
        fault = sf_strerror(nullptr);
    else if (info.channels > 255 || !pa_sample_spec_valid(&source.format))
        fault = "more channels or a higher rate than a sound server takes";
    else if (info.frames <= 0)
        fault = "there is no sound in it";
    else if (info.frames > LongestCueSeconds * info.samplerate)
        fault = "it is longer than a minute";
    if (fault.empty())
        return source;
    if (fault.ends_with('.'))
        fault.pop_back();
    return std::nullopt;
}

}  // namespace

// One stream, and the cue it plays.
struct SoundCuePlayer::Voice {
    Voice(SoundCuePlayer* owner, Source from) : player(owner), source(std::move(from)) {}
    ~Voice();

    std::size_t fadeFrames() const { return source.format.rate * FadeMs / 1000; }
    std::size_t fill(float* out, std::size_t frames);
    bool open(pa_context* context);

    SoundCuePlayer* player;
    Source source;
    std::optional<Source> next;  // what follows the fade on this stream
    pa_stream* stream = nullptr;
    std::size_t leadIn = 0;           // frames of silence still to write
    std::optional<std::size_t> fade;  // once cut off: frames of the fade still to write
    bool ended = false;               // all is written; the stream plays out and closes
};

SoundCuePlayer::SoundCuePlayer(ReadyCallback ready) : m_ready(std::move(ready))
{
    m_loop = pa_threaded_mainloop_new();
    m_wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (!m_loop || m_wake < 0) {
        warnOnce("server", "cannot start the sound thread, cues are silent");
        reportReady(false);
        return;
    }
    pa_threaded_mainloop_set_name(m_loop, "navicella-sound");
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(m_loop);
    const auto onWake = [](pa_mainloop_api*, pa_io_event*, int fd, pa_io_event_flags_t,
                           void* self) {
        auto* player = static_cast<SoundCuePlayer*>(self);
        std::uint64_t count = 0;
        if (read(fd, &count, sizeof count) < 0)
            return;  // a spurious wake-up
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
    };
    m_wakeEvent = api->io_new(api, m_wake, PA_IO_EVENT_INPUT, onWake, this);
    // The first wake-up connects, on the sound thread.
    if (pa_threaded_mainloop_start(m_loop) == 0)
        wake();
}

SoundCuePlayer::~SoundCuePlayer()
{
    if (m_loop) {
        pa_threaded_mainloop_stop(m_loop);
        // No callback runs any more: what is sounding stops with the program.
        m_voices.clear();
        if (m_context) {
            pa_context_set_state_callback(m_context, nullptr, nullptr);
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        if (m_wakeEvent)
            pa_threaded_mainloop_get_api(m_loop)->io_free(m_wakeEvent);
        pa_threaded_mainloop_free(m_loop);
    }
    if (m_wake >= 0)
        close(m_wake);
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

void SoundCuePlayer::connect()
{
    m_context = pa_context_new(pa_threaded_mainloop_get_api(m_loop), "Navicella");
    if (!m_context) {
        warnOnce("server", "cannot reach a sound server, cues are silent");
        reportReady(false);
        return;
    }
    const auto onState = [](pa_context* context, void* self) {
        auto* player = static_cast<SoundCuePlayer*>(self);
        const pa_context_state_t state = pa_context_get_state(context);
        if (state == PA_CONTEXT_READY) {
            player->m_wasReady = true;
            player->reportReady(true);
            if (std::optional<std::string> path = std::exchange(player->m_waiting, std::nullopt))
                player->start(*path);
        } else if (!PA_CONTEXT_IS_GOOD(state)) {
            const std::string reason = pa_strerror(pa_context_errno(context));
            // Once the server is lost, a failed attempt to reach it again says nothing new.
            if (player->m_wasReady)
                player->warnOnce("lost", "lost the sound server (" + reason +
                                             "), cues are silent until it is back");
            else
                player->warnOnce("server", "no sound server (" + reason + "), cues are silent");
            player->reportReady(false);
            player->m_waiting.reset();
            // Its streams fail after this, and go; the next cue connects anew.
            pa_context_set_state_callback(context, nullptr, nullptr);
            pa_context_unref(context);
            player->m_context = nullptr;
        }
    };
    pa_context_set_state_callback(m_context, onState, this);
    // A failure comes through the state callback, which lets go of the context.
    pa_context_connect(m_context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
}

void SoundCuePlayer::start(const std::string& path)
{
    // What sounds is cut off, whether or not the new cue can sound.
    for (Voice& voice : m_voices) {
        if (!voice.fade)
            voice.fade = voice.leadIn > 0 ? 0 : voice.fadeFrames();
        voice.next.reset();
    }
    std::optional<Source> source;
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
        source.emplace().own = &samples;
    } else {
        warnOnce("path:" + path, "no sound for \"" + path + "\"");
    }
    if (!source)
        return;
    // A cue of the same kind of samples follows the fade on the same stream:
    // no gap, and nothing of the old cue beside the new one.
    if (!m_voices.empty() && !m_voices.back().ended &&
        pa_sample_spec_equal(&m_voices.back().source.format, &source->format)) {
        m_voices.back().next = std::move(source);
        return;
    }
    if (!m_voices.emplace_back(this, std::move(*source)).open(m_context))
        m_voices.pop_back();
}

bool SoundCuePlayer::Voice::open(pa_context* context)
{
    const pa_sample_spec& format = source.format;
    leadIn = pa_usec_to_bytes(LeadInUs, &format) / pa_frame_size(&format);
    pa_channel_map map;
    pa_channel_map_init_extend(&map, format.channels, PA_CHANNEL_MAP_DEFAULT);
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "game");
    stream = pa_stream_new_with_proplist(context, "cue", &format, &map, properties);
    pa_proplist_free(properties);
    if (!stream) {
        player->warnOnce("stream", std::string("cannot open a stream (") +
                                       pa_strerror(pa_context_errno(context)) +
                                       "), a cue is silent");
        return false;
    }
    const auto onState = [](pa_stream* s, void* self) {
        auto* voice = static_cast<Voice*>(self);
        const pa_stream_state_t state = pa_stream_get_state(s);
        if (PA_STREAM_IS_GOOD(state))
            return;
        SoundCuePlayer* owner = voice->player;
        // A stream fails with its server too; that was said already.
        if (state == PA_STREAM_FAILED && owner->m_context)
            owner->warnOnce("stream", std::string("a cue's stream failed (") +
                                          pa_strerror(pa_context_errno(owner->m_context)) + ")");
        owner->m_voices.remove_if([voice](const Voice& v) { return &v == voice; });
    };
    const auto onWrite = [](pa_stream* s, std::size_t bytes, void* self) {
        auto* voice = static_cast<Voice*>(self);
        void* data = nullptr;
        if (voice->ended || pa_stream_begin_write(s, &data, &bytes) < 0 || !data)
            return;
        const std::size_t frameBytes = pa_frame_size(&voice->source.format);
        const std::size_t frames = voice->fill(static_cast<float*>(data), bytes / frameBytes);
        if (frames > 0)
            pa_stream_write(s, data, frames * frameBytes, nullptr, 0, PA_SEEK_RELATIVE);
        else
            pa_stream_cancel_write(s);
        if (!voice->ended)
            return;
        // Played out, the stream closes, and the device may sleep.
        const auto close = [](pa_stream* drained, int, void*) { pa_stream_disconnect(drained); };
        if (pa_operation* drain = pa_stream_drain(s, close, nullptr))
            pa_operation_unref(drain);
        else
            pa_stream_disconnect(s);
    };
    pa_stream_set_state_callback(stream, onState, this);
    pa_stream_set_write_callback(stream, onWrite, this);
    pa_buffer_attr buffer{};
    buffer.maxlength = buffer.prebuf = buffer.minreq = buffer.fragsize = UINT32_MAX;
    buffer.tlength =
        static_cast<std::uint32_t>(pa_usec_to_bytes(QueuedMs * PA_USEC_PER_MSEC, &format));
    // Failing, the stream fails through its state callback.
    pa_stream_connect_playback(stream, nullptr, &buffer, PA_STREAM_ADJUST_LATENCY, nullptr,
                               nullptr);
    return true;
}

SoundCuePlayer::Voice::~Voice()
{
    if (!stream)
        return;
    pa_stream_set_state_callback(stream, nullptr, nullptr);
    pa_stream_set_write_callback(stream, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream)))
        pa_stream_disconnect(stream);
    pa_stream_unref(stream);
}

// Silence first, then the cue; once cut off, what follows of the cue fades
// out on a raised cosine, and the next cue follows, or the stream ends there.
std::size_t SoundCuePlayer::Voice::fill(float* out, std::size_t frames)
{
    const std::size_t channels = source.format.channels;
    std::size_t done = std::min(leadIn, frames);
    std::fill_n(out, done * channels, 0.0f);
    leadIn -= done;
    for (;;) {
        float* const at = out + done * channels;
        const std::size_t wanted = std::min(frames - done, fade.value_or(frames));
        const std::size_t got = source.read(at, wanted);
        if (fade) {
            const auto length = static_cast<double>(fadeFrames());
            for (std::size_t i = 0; i < got; ++i) {
                const double x = (length - static_cast<double>(*fade - i) + 1.0) / length;
                const auto gain = static_cast<float>(0.5 + 0.5 * std::cos(std::numbers::pi * x));
                for (std::size_t c = 0; c < channels; ++c)
                    at[i * channels + c] *= gain;
            }
            *fade -= got;
        }
        done += got;
        const bool over = got < wanted || fade == std::size_t{0};
        if (!over || !next) {
            ended = over;
            return done;
        }
        source = *std::exchange(next, std::nullopt);
        fade.reset();
    }
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
