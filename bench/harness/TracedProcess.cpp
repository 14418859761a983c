// SPDX-License-Identifier: GPL-3.0-or-later
#include "TracedProcess.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <csignal>
#include <cstring>
#include <fstream>
#include <thread>

namespace navicella::bench {

std::int64_t steadyNs()
{
    // CLOCK_MONOTONIC is what std::chrono::steady_clock reads on Linux, so
    // these times compare with those of the paint trace.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

TracedProcess::TracedProcess(const std::vector<std::string>& argv,
                             const std::vector<std::string>& environment)
{
    int err[2];
    if (argv.empty() || pipe2(err, O_CLOEXEC) != 0)
        return;

    // Everything the spawn needs is prepared first, so that the clock read
    // right before it counts nothing of ours.
    std::vector<std::string> variables;
    for (char** v = environ; *v; ++v) {
        const std::string_view variable(*v);
        bool overridden = false;
        for (const std::string& e : environment)
            overridden |= variable.substr(0, variable.find('=')) == e.substr(0, e.find('='));
        if (!overridden)
            variables.emplace_back(variable);
    }
    variables.insert(variables.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    envp.reserve(variables.size() + 1);
    for (std::string& v : variables)
        envp.push_back(v.data());
    envp.push_back(nullptr);
    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    argp.reserve(args.size() + 1);
    for (std::string& a : args)
        argp.push_back(a.data());
    argp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);

    pid_t spawned = -1;
    m_spawnedAt = steadyNs();
    if (posix_spawn(&spawned, argp[0], &actions, nullptr, argp.data(), envp.data()) == 0)
        m_pid = spawned;
    posix_spawn_file_actions_destroy(&actions);
    close(err[1]);
    m_err = err[0];
}

TracedProcess::~TracedProcess()
{
    if (m_pid > 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    if (m_err >= 0)
        close(m_err);
}

bool TracedProcess::readSome(std::chrono::milliseconds timeout)
{
    if (m_err < 0)
        return false;
    pollfd p{m_err, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(timeout.count())) <= 0)
        return false;
    char buffer[4096];
    const ssize_t n = read(m_err, buffer, sizeof buffer);
    if (n <= 0) {
        // The program closed its stderr: it has ended.
        close(m_err);
        m_err = -1;
        return false;
    }
    m_trace.feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    return true;
}

std::optional<std::int64_t> TracedProcess::nextPaint(std::chrono::milliseconds timeout)
{
    const std::int64_t deadline = steadyNs() + timeout.count() * 1'000'000;
    while (!m_trace.hasPaint()) {
        const std::int64_t left = deadline - steadyNs();
        if (left <= 0 || m_err < 0)
            return std::nullopt;
        readSome(std::chrono::milliseconds(left / 1'000'000 + 1));
    }
    return m_trace.takePaint();
}

std::optional<std::int64_t> TracedProcess::paintAfter(std::int64_t ns,
                                                      std::chrono::milliseconds timeout)
{
    const std::int64_t deadline = steadyNs() + timeout.count() * 1'000'000;
    for (;;) {
        const std::int64_t left = deadline - steadyNs();
        const auto paint =
            nextPaint(std::chrono::milliseconds(std::max<std::int64_t>(left / 1'000'000, 0)));
        if (!paint || *paint >= ns)
            return paint;
    }
}

int TracedProcess::settle(std::chrono::milliseconds quiet)
{
    int paints = 0;
    for (;;) {
        while (m_trace.hasPaint()) {
            m_trace.takePaint();
            ++paints;
        }
        if (!readSome(quiet))
            return paints;
    }
}

TracedProcess::Scheduling TracedProcess::scheduling() const
{
    Scheduling total;
    if (m_pid <= 0)
        return total;
    const std::string tasks = "/proc/" + std::to_string(m_pid) + "/task";
    DIR* dir = opendir(tasks.c_str());
    if (!dir)
        return total;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        std::ifstream stat(tasks + "/" + entry->d_name + "/schedstat");
        std::int64_t onCpu = 0;
        std::int64_t waiting = 0;
        if (stat >> onCpu >> waiting) {
            total.onCpuNs += onCpu;
            total.waitingNs += waiting;
        }
    }
    closedir(dir);
    return total;
}

TracedProcess::Usage TracedProcess::stop()
{
    Usage usage;
    if (m_pid <= 0)
        return usage;
    kill(m_pid, SIGTERM);
    rusage resources{};
    int status = 0;
    // A program that ignores SIGTERM gets two seconds, then SIGKILL.
    for (int waited = 0;; waited += 10) {
        const pid_t done = wait4(m_pid, &status, WNOHANG, &resources);
        if (done == m_pid)
            break;
        if (done < 0)
            return usage;
        if (waited == 2000)
            kill(m_pid, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // Keep the pipe drained, so that a chatty program cannot block on it.
        while (readSome(std::chrono::milliseconds(0))) {
        }
    }
    m_pid = -1;
    usage.peakRssKb = resources.ru_maxrss;
    usage.status = status;
    return usage;
}

}  // namespace navicella::bench
