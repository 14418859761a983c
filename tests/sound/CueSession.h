// SPDX-License-Identifier: GPL-3.0-or-later
// The real cue player in its own process (navicella_cue_driver), heard
// through a recorder of the session's null sink.
//
// Needs tests/support/session.sh around the test program. Without a sink
// (session.sh --no-audio) hasSink() is false and there is nothing to record.
#pragma once

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
    explicit CueSession(const std::vector<std::string>& arguments = {},
                        const std::vector<std::string>& environment = {});
    ~CueSession();

    bool ready() const { return m_ready; }
    bool audible() const { return m_audible; }
    std::int64_t constructionNs() const { return m_constructionNs; }

    Press play(const std::string& path);
    // Ends the driver; its exit status as from waitpid(), -1 if it hung.
    int quit();
    // The driver's standard error, one entry a line.
    std::vector<std::string> errorLines() const;

private:
    std::unique_ptr<ChildProcess> m_driver;
    bool m_ready = false;
    bool m_audible = false;
    std::int64_t m_constructionNs = -1;
};

inline constexpr std::int64_t Ms = 1'000'000;

}  // namespace navicella::test
