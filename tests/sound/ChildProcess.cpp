// SPDX-License-Identifier: GPL-3.0-or-later
#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace navicella::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv)
{
    int in[2];
    int out[2];
    if (pipe2(in, O_CLOEXEC) != 0)
        return;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return;
    }
    char errTemplate[] = "/tmp/navicella-child-stderr.XXXXXX";
    const int err = mkstemp(errTemplate);
    m_errorPath = errTemplate;

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (err >= 0)
        posix_spawn_file_actions_adddup2(&actions, err, 2);

    std::vector<char*> args;
    for (const std::string& a : argv)
        args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0)
        m_pid = pid;
    posix_spawn_file_actions_destroy(&actions);

    close(in[0]);
    close(out[1]);
    if (err >= 0)
        close(err);
    m_in = in[1];
    m_out = out[0];
    // A child that died must not kill the test with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
}

ChildProcess::~ChildProcess()
{
    finish(std::chrono::seconds(3));
    if (m_out >= 0)
        close(m_out);
    if (!m_errorPath.empty())
        unlink(m_errorPath.c_str());
}

bool ChildProcess::writeLine(const std::string& line)
{
    if (m_in < 0)
        return false;
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(m_in, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (const auto nl = m_pending.find('\n'); nl != std::string::npos) {
            std::string line = m_pending.substr(0, nl);
            m_pending.erase(0, nl + 1);
            return line;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || m_out < 0)
            return std::nullopt;
        pollfd p{m_out, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        char buffer[4096];
        const ssize_t n = read(m_out, buffer, sizeof buffer);
        if (n <= 0)
            return std::nullopt;
        m_pending.append(buffer, static_cast<std::size_t>(n));
    }
}

int ChildProcess::finish(std::chrono::milliseconds timeout)
{
    if (m_in >= 0) {
        close(m_in);
        m_in = -1;
    }
    if (m_pid <= 0)
        return -1;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        const pid_t r = waitpid(m_pid, &status, WNOHANG);
        if (r == m_pid) {
            m_pid = -1;
            return status;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    terminate();
    return -1;
}

void ChildProcess::terminate()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGKILL);
    waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

std::string ChildProcess::errorText() const
{
    std::ifstream in(m_errorPath);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace navicella::test
