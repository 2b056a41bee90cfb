// tests/gtk/display.h
// A virtual X display of the test's own (Xvfb on a free display number), and the built
// program run in the background on it, as a file manager or a desktop starts it.
#ifndef ZAPFILE_TEST_DISPLAY_H
#define ZAPFILE_TEST_DISPLAY_H

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "process.h"
#include "test_env.h"

namespace testdisplay {

class VirtualDisplay {
public:
    // Xvfb picks a free number itself and writes it on a pipe once it accepts clients.
    VirtualDisplay() {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            close(fds[0]);
            const int devNull = open("/dev/null", O_RDWR);
            dup2(devNull, 0);
            dup2(devNull, 1);
            dup2(devNull, 2);
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The number and its newline come in two writes; Xvfb gives up if the pipe is
        // closed between them.
        std::string number;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        pollfd p = {fds[0], POLLIN, 0};
        char c = 0;
        while (c != '\n' && std::chrono::steady_clock::now() < deadline) {
            if (poll(&p, 1, 100) <= 0)
                continue;
            if (read(fds[0], &c, 1) != 1)
                break;
            if (c != '\n')
                number += c;
        }
        close(fds[0]);
        if (c == '\n' && !number.empty())
            name_ = ":" + number;
        if (name_.empty())
            error_ = "Xvfb did not start within 10 s (is the xvfb package installed?)";
    }
    ~VirtualDisplay() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    const std::string& name() const { return name_; }
    const std::string& error() const { return error_; }

private:
    pid_t pid_ = -1;
    std::string name_;
    std::string error_;
};

// A program running in the background without a terminal; its standard error goes to a file.
class Background {
public:
    Background(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env)
        : errPath_(dir_ / "stderr") {
        const std::vector<std::string> childEnv = testproc::MakeEnv(env);
        pid_ = fork();
        if (pid_ == 0) {
            setsid();
            const int devNull = open("/dev/null", O_RDWR);
            const int err = open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            dup2(devNull, 0);
            dup2(devNull, 1);
            dup2(err, 2);
            testproc::Exec(argv, childEnv);
        }
    }
    ~Background() {
        if (pid_ > 0)
            testproc::WaitExit(pid_, true);
    }
    // The exit code, or -1 if the program has not ended within the time (it is then killed).
    int Wait(int timeoutMs = 10000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                testproc::WaitExit(pid_, true);
                pid_ = -1;
                return -1;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Stderr() const { return testenv::ReadFile(errPath_); }

private:
    testenv::TempDir dir_;
    std::string errPath_;
    pid_t pid_ = -1;
};

}  // namespace testdisplay

#endif
