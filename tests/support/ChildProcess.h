// SPDX-License-Identifier: GPL-3.0-or-later
// A program started by a test or a benchmark, held until it ends.
//
// It starts at once (posix_spawnp), with pipes to its standard input, output
// and error. spawnedAt() is the steady clock read just before the spawn, when
// all the spawn needs is ready, so that a time the program reports less it is
// its whole start as a user waits for it. Send lines with writeLine() and
// read its answers with readLine(), or read its output raw from outputFd(),
// never both. Its standard error is read into the object whenever it waits
// for anything, running() included, so that a chatty program cannot block on
// a full pipe: take it line by line with readErrorLine(), or all of it with
// errorText().
//
// A program ends by itself (wait()) or is stopped (stop()). Its status is as
// from waitpid(), -1 while it is not known; peakRssKb() is its peak resident
// set, from wait4(). The destructor kills a program that is still running.
#pragma once

#include <sys/types.h>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace navicella::test {

// The steady clock (CLOCK_MONOTONIC) in nanoseconds, as the program's paint
// trace and the sound recorder count it.
std::int64_t steadyNs();

class ChildProcess {
public:
    // Each `environment` entry changes the inherited environment:
    // "NAME=value" sets a variable, a bare "NAME" removes it.
    explicit ChildProcess(const std::vector<std::string>& argv,
                          const std::vector<std::string>& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return m_pid; }
    std::int64_t spawnedAt() const { return m_spawnedAt; }
    // False once it has ended, or if it never started.
    bool running();

    bool writeLine(const std::string& line);
    void closeInput();
    // The next line, or nothing if none came within the timeout.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    std::optional<std::string> readErrorLine(std::chrono::milliseconds timeout);
    int outputFd() const { return m_output.fd; }
    const std::string& errorText() const { return m_error.text; }

    // Its status once it has ended, or nothing if it still runs after the timeout.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    // Sends SIGTERM, and SIGKILL two seconds later; returns its status.
    int stop();
    int status() const { return m_status; }
    long peakRssKb() const { return m_peakRssKb; }

private:
    struct Stream {
        int fd = -1;
        std::string text;
        std::size_t taken = 0;  // how much of it readLine() has handed out
    };
    // Reads what comes on standard error, and on standard output when
    // `output`, within the timeout; false if nothing came.
    bool pump(std::chrono::milliseconds timeout, bool output);
    std::optional<std::string> nextLine(Stream& stream, std::chrono::milliseconds timeout);
    // Whether it has ended; collects its status if so.
    bool reaped();

    pid_t m_pid = -1;
    int m_input = -1;
    Stream m_output;
    Stream m_error;
    std::int64_t m_spawnedAt = 0;
    int m_status = -1;
    long m_peakRssKb = 0;
};

}  // namespace navicella::test
