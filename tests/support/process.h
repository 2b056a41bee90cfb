// tests/support/process.h
// Runs a built program as a user would: with its own environment, standard input from a
// text or from a real pseudo-terminal, bounded in time, its output captured.
#ifndef ZAPFILE_TEST_PROCESS_H
#define ZAPFILE_TEST_PROCESS_H

#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace testproc {

struct Result {
    int exitCode = -1;      // -1 when killed or timed out
    std::string out;        // standard output (with a terminal: everything it showed)
    std::string err;        // standard error (empty with a terminal)
};

// Starts argv through env(1), the current environment with `changes` applied (an empty value
// removes the variable); `spawn` forks the new process and sets it up. Everything is made
// before the fork: the child of a test with threads must not allocate.
template <typename Spawn>
pid_t Start(const std::vector<std::string>& argv, const std::map<std::string, std::string>& changes,
            Spawn spawn) {
    std::vector<std::string> all = {"/usr/bin/env"}, set;
    for (const auto& [name, value] : changes) {
        if (value.empty())
            all.insert(all.end(), {"-u", name});
        else
            set.push_back(name + "=" + value);
    }
    all.insert(all.end(), set.begin(), set.end());
    all.insert(all.end(), argv.begin(), argv.end());
    std::vector<char*> a;
    for (const auto& s : all)
        a.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    const pid_t pid = spawn();
    if (pid == 0) {
        execv(a[0], a.data());
        _exit(127);
    }
    return pid;
}

using Deadline = std::chrono::steady_clock::time_point;
inline Deadline After(int ms) { return std::chrono::steady_clock::now() + std::chrono::milliseconds(ms); }

// Milliseconds left until `deadline`, at least 0.
inline int Left(Deadline deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Waits for pid, killing it at `deadline`; its exit code, -1 when killed.
inline int WaitExit(pid_t pid, Deadline deadline) {
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(pid, &status, WNOHANG)) == 0 && Left(deadline) > 0)
        usleep(2000);
    if (done == 0) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    return done == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs argv without a terminal, standard input read from `input`; output goes to files.
inline Result Run(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                  const std::string& input = "", int timeoutMs = 10000) {
    FILE* files[3] = {tmpfile(), tmpfile(), tmpfile()};
    fputs(input.c_str(), files[0]);
    rewind(files[0]);
    const pid_t pid = Start(argv, env, [&] {
        const pid_t p = fork();
        if (p == 0) {
            setsid();  // no controlling terminal
            for (int fd = 0; fd < 3; ++fd)
                dup2(fileno(files[fd]), fd);
        }
        return p;
    });
    Result r;
    r.exitCode = WaitExit(pid, After(timeoutMs));
    for (int fd = 1; fd < 3; ++fd) {
        rewind(files[fd]);
        for (int c; (c = fgetc(files[fd])) != EOF;)
            (fd == 1 ? r.out : r.err) += static_cast<char>(c);
    }
    for (FILE* f : files)
        fclose(f);
    return r;
}

// Runs argv in a new pseudo-terminal. Whenever the screen shows the next prompt of
// `dialogue`, the matching answer is typed. Everything shown is in Result::out.
inline Result RunInTerminal(const std::vector<std::string>& argv,
                            const std::map<std::string, std::string>& env,
                            const std::vector<std::pair<std::string, std::string>>& dialogue,
                            int timeoutMs = 10000) {
    int master = -1;
    const pid_t pid = Start(argv, env, [&] { return forkpty(&master, nullptr, nullptr, nullptr); });
    Result r;
    size_t step = 0, seen = 0;
    const Deadline deadline = After(timeoutMs);
    char buf[4096];
    pollfd fd = {master, POLLIN, 0};
    while (Left(deadline) > 0) {
        if (poll(&fd, 1, Left(deadline)) <= 0)
            continue;
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0)
            break;  // the program ended and closed the terminal
        r.out.append(buf, n);
        const size_t at = step < dialogue.size() ? r.out.find(dialogue[step].first, seen) : std::string::npos;
        if (at != std::string::npos) {
            seen = at + dialogue[step].first.size();
            if (write(master, dialogue[step].second.data(), dialogue[step].second.size()) < 0)
                break;
            ++step;
        }
    }
    close(master);
    r.exitCode = WaitExit(pid, deadline);
    return r;
}

}  // namespace testproc

#endif
