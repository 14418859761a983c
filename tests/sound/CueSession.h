// SPDX-License-Identifier: GPL-3.0-or-later
// The real cue player in its own process (navicella_cue_driver), heard
// through a recorder of the session's null sink.
//
// Needs tests/support/session.sh around the test program. Without a sink
// (session.sh --no-audio) hasSink() is false and there is nothing to record.
#pragma once

#include "BundledCues.h"
#include "SinkRecorder.h"
#include "support/ChildProcess.h"

#include <memory>
#include <string>
#include <vector>

namespace navicella::test {

struct Press {
    std::int64_t calledNs = 0;  // steady clock just before play()
    std::int64_t playNs = 0;    // time spent inside play()
};

class CueSession {
public:
    static bool hasSink();

    // One recorder of the sink for the whole test program, settled before
    // it is first handed out; null without a sink.
    static SinkRecorder* sharedRecorder();

    // Starts the driver with `arguments` and waits until the player is
    // ready. `environment` entries ("NAME=value") are for the driver only.
    // `recorder` may be null; it is not owned.
    explicit CueSession(SinkRecorder* recorder, const std::vector<std::string>& arguments = {},
                        const std::vector<std::string>& environment = {});
    ~CueSession();

    bool ready() const { return m_ready; }
    bool audible() const { return m_audible; }
    std::int64_t constructionNs() const { return m_constructionNs; }
    std::int64_t readyAfterNs() const { return m_readyAfterNs; }

    Press play(const std::string& path);
    // Lets `seconds` pass, by the recorder's clock where there is one.
    void pass(double seconds);
    Recording recording() const;
    // Ends the driver; its exit status as from waitpid(), -1 if it hung.
    int quit();
    // The driver's standard error, one entry a line.
    std::vector<std::string> errorLines() const;

private:
    SinkRecorder* m_recorder;
    std::unique_ptr<ChildProcess> m_driver;
    bool m_ready = false;
    bool m_audible = false;
    std::int64_t m_constructionNs = -1;
    std::int64_t m_readyAfterNs = -1;
};

inline constexpr std::int64_t Ms = 1'000'000;

// Where a recording holds a bundled cue that was played at `pressNs`.
struct Heard {
    std::size_t start = 0;    // the index of the cue's first sample
    std::size_t onset = 0;    // the index of its first sample above the silence level
    float firstError = 1.0f;  // the largest difference over its first 30 ms of sound
    float wholeError = 1.0f;  // ... over the whole cue, padding included
};

// Looks for the cue's opening from 10 ms before `pressNs` to `withinMs` after.
Heard findCue(const Recording& r, const BundledCue& cue, std::int64_t pressNs, int withinMs = 100);

}  // namespace navicella::test
