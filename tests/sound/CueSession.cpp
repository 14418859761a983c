// SPDX-License-Identifier: GPL-3.0-or-later
#include "CueSession.h"

#include "Analysis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>
#include <sstream>
#include <thread>

namespace navicella::test {

bool CueSession::hasSink()
{
    const char* sink = std::getenv("NAVICELLA_SINK");
    return sink && *sink;
}

SinkRecorder* CueSession::sharedRecorder()
{
    static const std::unique_ptr<SinkRecorder> recorder = [] {
        std::unique_ptr<SinkRecorder> r;
        if (hasSink()) {
            r = std::make_unique<SinkRecorder>();
            r->wait(2.5);
        }
        return r;
    }();
    return recorder.get();
}

CueSession::CueSession(SinkRecorder* recorder, const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment)
    : m_recorder(recorder)
{
    std::vector<std::string> command{NAVICELLA_CUE_DRIVER};
    command.insert(command.end(), arguments.begin(), arguments.end());
    m_driver = std::make_unique<ChildProcess>(command, environment);
    for (int lines = 0; lines < 2; ++lines) {
        const auto line = m_driver->readLine(std::chrono::seconds(10));
        if (!line)
            return;
        std::istringstream in(*line);
        std::string word;
        in >> word;
        if (word == "created") {
            in >> m_constructionNs;
        } else if (word == "ready") {
            int audible = 0;
            in >> audible >> m_readyAfterNs;
            m_audible = audible == 1;
            m_ready = true;
        }
    }
}

CueSession::~CueSession() { quit(); }

Press CueSession::play(const std::string& path)
{
    Press press;
    if (!m_driver->writeLine("play " + path))
        return press;
    if (const auto line = m_driver->readLine(std::chrono::seconds(5))) {
        std::istringstream in(*line);
        std::string word;
        in >> word >> press.calledNs >> press.playNs;
    }
    return press;
}

void CueSession::pass(double seconds)
{
    if (m_recorder)
        m_recorder->wait(seconds);
    else
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

Recording CueSession::recording() const
{
    return m_recorder ? m_recorder->snapshot() : Recording{};
}

int CueSession::quit()
{
    m_driver->writeLine("quit");
    m_driver->closeInput();
    return m_driver->wait(std::chrono::seconds(5)).value_or(-1);
}

std::vector<std::string> CueSession::errorLines() const
{
    std::vector<std::string> lines;
    std::istringstream in(m_driver->errorText());
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

Heard findCue(const Recording& r, const BundledCue& cue, std::int64_t pressNs, int withinMs)
{
    Heard heard;
    const std::span<const float> samples(cue.samples);
    const std::size_t first = firstLoud(samples, 0);
    if (first >= samples.size())
        return heard;
    const auto opening =
        samples.subspan(first, std::min<std::size_t>(1323, samples.size() - first));
    const Match m = bestMatch(r.samples, opening, r.indexAt(pressNs - 10 * Ms),
                              r.indexAt(pressNs + withinMs * Ms));
    if (m.at < first || m.at + opening.size() > r.samples.size())
        return heard;
    heard.onset = m.at;
    heard.start = m.at - first;
    heard.firstError = m.maxError;
    if (heard.start + samples.size() <= r.samples.size()) {
        heard.wholeError = 0.0f;
        for (std::size_t i = 0; i < samples.size(); ++i)
            heard.wholeError =
                std::max(heard.wholeError, std::abs(r.samples[heard.start + i] - samples[i]));
    }
    return heard;
}

}  // namespace navicella::test
