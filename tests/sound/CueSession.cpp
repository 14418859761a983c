// SPDX-License-Identifier: GPL-3.0-or-later
#include "CueSession.h"

#include <cstdlib>
#include <sstream>

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

CueSession::CueSession(const std::vector<std::string>& arguments,
                       const std::vector<std::string>& environment)
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
            in >> audible;
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

}  // namespace navicella::test
