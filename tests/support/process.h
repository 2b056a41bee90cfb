// tests/support/process.h
// Runs a built program as a user would: with its own environment, standard input from a
// text or from a real pseudo-terminal, bounded in time, its output captured.
#ifndef ZAPFILE_TEST_PROCESS_H
#define ZAPFILE_TEST_PROCESS_H

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace testproc {

struct Result {
    int exitCode = -1;      // -1 when killed or timed out
    bool timedOut = false;
    std::string out;        // standard output (with a terminal: everything it showed)
    std::string err;        // standard error (empty with a terminal)
};

// The current environment with `changes` applied; an empty value removes the variable.
inline std::vector<std::string> MakeEnv(const std::map<std::string, std::string>& changes) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        std::string entry = *e;
        if (changes.count(entry.substr(0, entry.find('='))) == 0)
            env.push_back(entry);
    }
    for (const auto& [name, value] : changes)
        if (!value.empty())
            env.push_back(name + "=" + value);
    return env;
}

[[noreturn]] inline void Exec(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    std::vector<char*> a, e;
    for (const auto& s : argv)
        a.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    for (const auto& s : env)
        e.push_back(const_cast<char*>(s.c_str()));
    e.push_back(nullptr);
    execve(a[0], a.data(), e.data());
    _exit(127);
}

inline int WaitExit(pid_t pid, bool kill_it) {
    if (kill_it)
        kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs argv with standard input fed from `input` (then closed) and no terminal at all.
inline Result Run(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
                  const std::string& input = "", int timeoutMs = 10000) {
    int in[2], out[2], err[2];
    if (pipe(in) != 0 || pipe(out) != 0 || pipe(err) != 0)
        return {};
    const std::vector<std::string> childEnv = MakeEnv(env);
    const pid_t pid = fork();
    if (pid == 0) {
        setsid();  // no controlling terminal
        dup2(in[0], 0);
        dup2(out[1], 1);
        dup2(err[1], 2);
        for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]})
            close(fd);
        Exec(argv, childEnv);
    }
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (!input.empty() && write(in[1], input.data(), input.size()) < 0) {
    }
    close(in[1]);
    Result r;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int open = 2;
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            r.timedOut = true;
            break;
        }
        if (poll(fds, 2, static_cast<int>(left)) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP)))
                continue;
            char buf[4096];
            const ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? r.out : r.err).append(buf, n);
            }
        }
    }
    for (auto& f : fds)
        if (f.fd >= 0)
            close(f.fd);
    r.exitCode = WaitExit(pid, r.timedOut);
    return r;
}

// Runs argv in a new pseudo-terminal. Whenever the screen shows the next prompt of
// `dialogue`, the matching answer is typed. Everything shown is in Result::out.
inline Result RunInTerminal(const std::vector<std::string>& argv,
                            const std::map<std::string, std::string>& env,
                            const std::vector<std::pair<std::string, std::string>>& dialogue,
                            int timeoutMs = 10000) {
    const std::vector<std::string> childEnv = MakeEnv(env);
    int master = -1;
    const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0)
        Exec(argv, childEnv);
    Result r;
    size_t step = 0, seen = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) {
            r.timedOut = true;
            break;
        }
        pollfd fd = {master, POLLIN, 0};
        if (poll(&fd, 1, static_cast<int>(left)) <= 0)
            continue;
        char buf[4096];
        const ssize_t n = read(master, buf, sizeof buf);
        if (n <= 0)
            break;  // the program ended and closed the terminal
        r.out.append(buf, n);
        if (step < dialogue.size()) {
            const size_t at = r.out.find(dialogue[step].first, seen);
            if (at != std::string::npos) {
                seen = at + dialogue[step].first.size();
                const std::string& answer = dialogue[step].second;
                if (write(master, answer.data(), answer.size()) < 0) {
                }
                ++step;
            }
        }
    }
    close(master);
    r.exitCode = WaitExit(pid, r.timedOut);
    return r;
}

}  // namespace testproc

#endif
