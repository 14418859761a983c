// SPDX-License-Identifier: GPL-3.0-or-later
// A program started by a test, with pipes to its standard input and output.
//
// Start it with the argument list; send lines with writeLine(), read its
// answers with readLine(), which gives up after a timeout. Its standard error
// goes to a file that errorText() returns once it has ended. The destructor
// closes its input, waits a moment and kills it if it is still running.
#pragma once

#include <sys/types.h>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace navicella::test {

class ChildProcess {
public:
    explicit ChildProcess(const std::vector<std::string>& argv);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool running() const { return m_pid > 0; }
    int outputFd() const { return m_out; }
    bool writeLine(const std::string& line);
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    // Closes standard input and waits for the exit; returns the exit status
    // as from waitpid(), or -1 if it had to be killed.
    int finish(std::chrono::milliseconds timeout);
    void terminate();
    std::string errorText() const;

private:
    pid_t m_pid = -1;
    int m_in = -1;
    int m_out = -1;
    std::string m_errorPath;
    std::string m_pending;
};

}  // namespace navicella::test
