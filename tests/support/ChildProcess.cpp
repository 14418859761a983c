// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <string_view>

namespace navicella::test {
namespace {

// What an exec wants: a pointer to each string, then a null.
std::vector<char*> pointers(std::vector<std::string>& strings)
{
    std::vector<char*> all;
    all.reserve(strings.size() + 1);
    for (std::string& s : strings)
        all.push_back(s.data());
    all.push_back(nullptr);
    return all;
}

}  // namespace

using std::chrono::milliseconds;

std::int64_t steadyNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& environment)
{
    int fds[6];  // standard input, output and error: a read end, then a write end
    int opened = 0;
    while (opened < 6 && pipe2(fds + opened, O_CLOEXEC) == 0)
        opened += 2;
    if (argv.empty() || opened < 6) {
        for (int i = 0; i < opened; ++i)
            close(fds[i]);
        return;
    }
    // A child that died must not kill the test with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);

    // Everything the spawn needs is prepared first, so that the clock read
    // right before it counts nothing of ours.
    const auto name = [](std::string_view variable) {
        return variable.substr(0, variable.find('='));
    };
    std::vector<std::string> variables;
    for (char** v = environ; *v; ++v) {
        if (std::none_of(environment.begin(), environment.end(),
                         [&](const std::string& e) { return name(e) == name(*v); }))
            variables.emplace_back(*v);
    }
    for (const std::string& e : environment) {
        if (e.find('=') != std::string::npos)
            variables.push_back(e);
    }
    const std::vector<char*> envp = pointers(variables);
    std::vector<std::string> args = argv;
    const std::vector<char*> argp = pointers(args);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fds[3], 1);
    posix_spawn_file_actions_adddup2(&actions, fds[5], 2);
    pid_t spawned = -1;
    m_spawnedAt = steadyNs();
    if (posix_spawnp(&spawned, argp[0], &actions, nullptr, argp.data(), envp.data()) == 0)
        m_pid = spawned;
    posix_spawn_file_actions_destroy(&actions);

    for (const int child : {fds[0], fds[3], fds[5]})
        close(child);
    m_input = fds[1];
    m_output.fd = fds[2];
    m_error.fd = fds[4];
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    for (const int fd : {m_input, m_output.fd, m_error.fd}) {
        if (fd >= 0)
            close(fd);
    }
}

bool ChildProcess::running()
{
    if (m_pid <= 0)
        return false;
    pump(milliseconds(0), false);
    return !reaped();
}

bool ChildProcess::writeLine(const std::string& line)
{
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (m_input >= 0 && done < text.size()) {
        const ssize_t n = write(m_input, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return m_input >= 0;
}

void ChildProcess::closeInput()
{
    if (m_input >= 0)
        close(m_input);
    m_input = -1;
}

bool ChildProcess::pump(milliseconds timeout, bool output)
{
    pollfd fds[2] = {{m_error.fd, POLLIN, 0}, {output ? m_output.fd : -1, POLLIN, 0}};
    if (poll(fds, 2, static_cast<int>(timeout.count())) <= 0)
        return false;
    bool got = false;
    for (int i = 0; i < 2; ++i) {
        Stream& stream = i == 0 ? m_error : m_output;
        if (fds[i].fd < 0 || fds[i].revents == 0)
            continue;
        char buffer[4096];
        const ssize_t n = read(stream.fd, buffer, sizeof buffer);
        if (n > 0) {
            stream.text.append(buffer, static_cast<std::size_t>(n));
            got = true;
        } else if (n == 0 || errno != EINTR) {
            close(stream.fd);  // the program, and whatever it started, closed it
            stream.fd = -1;
        }
    }
    return got;
}

std::optional<std::string> ChildProcess::nextLine(Stream& stream, milliseconds timeout)
{
    const std::int64_t deadline = steadyNs() + timeout.count() * 1'000'000;
    for (;;) {
        if (const auto nl = stream.text.find('\n', stream.taken); nl != std::string::npos) {
            std::string line = stream.text.substr(stream.taken, nl - stream.taken);
            stream.taken = nl + 1;
            return line;
        }
        if (stream.fd < 0)
            return std::nullopt;
        const std::int64_t left = std::max<std::int64_t>(deadline - steadyNs(), 0);
        if (!pump(milliseconds(left / 1'000'000), &stream == &m_output) && left == 0)
            return std::nullopt;
    }
}

std::optional<std::string> ChildProcess::readLine(milliseconds timeout)
{
    return nextLine(m_output, timeout);
}

std::optional<std::string> ChildProcess::readErrorLine(milliseconds timeout)
{
    return nextLine(m_error, timeout);
}

bool ChildProcess::reaped()
{
    if (m_pid <= 0)
        return true;
    rusage usage{};
    int status = 0;
    const pid_t done = wait4(m_pid, &status, WNOHANG, &usage);
    if (done == 0)
        return false;
    m_pid = -1;
    if (done > 0) {
        m_status = status;
        m_peakRssKb = usage.ru_maxrss;
    }
    // What it wrote before it ended is in the pipe still.
    while (pump(milliseconds(0), false)) {
    }
    return true;
}

std::optional<int> ChildProcess::wait(milliseconds timeout)
{
    const std::int64_t deadline = steadyNs() + timeout.count() * 1'000'000;
    while (!reaped()) {
        if (steadyNs() >= deadline)
            return std::nullopt;
        // Keep its standard error drained, so that it cannot block on it.
        pump(milliseconds(10), false);
    }
    return m_status;
}

int ChildProcess::stop()
{
    if (m_pid > 0)
        kill(m_pid, SIGTERM);
    if (!wait(std::chrono::seconds(2)) && m_pid > 0) {
        kill(m_pid, SIGKILL);
        wait(std::chrono::seconds(10));
    }
    return m_status;
}

}  // namespace navicella::test
