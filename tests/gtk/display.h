// tests/gtk/display.h
// A virtual X display of the test's own (Xvfb on a free display number), and the built
// program run in the background, without a terminal, as a desktop or a file manager starts it.
#ifndef ZAPFILE_TEST_DISPLAY_H
#define ZAPFILE_TEST_DISPLAY_H

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
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

// Stands in for the child's standard streams: /dev/null, or a file for standard error.
inline void Redirect(const char* errPath) {
    const int devNull = open("/dev/null", O_RDWR);
    dup2(devNull, 0);
    dup2(devNull, 1);
    dup2(errPath != nullptr ? open(errPath, O_WRONLY | O_CREAT | O_TRUNC, 0600) : devNull, 2);
}

class VirtualDisplay {
public:
    // Xvfb picks a free number and writes it on a pipe once it accepts clients, the number
    // and its newline in two writes: it gives up if the pipe is closed between them.
    VirtualDisplay() {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test killed on its time-out leaves no server
            Redirect(nullptr);
            const std::string fd = std::to_string(fds[1]);
            // -noreset: the server would otherwise reset, refusing clients for a moment,
            // each time the program's run ends and its last client leaves.
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24",
                   "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        std::string number;
        pollfd p = {fds[0], POLLIN, 0};
        char c = 0;
        for (int waited = 0; c != '\n' && waited < 10000; waited += 100)
            if (poll(&p, 1, 100) > 0 && read(fds[0], &c, 1) == 1 && c != '\n')
                number += c;
        close(fds[0]);
        if (c == '\n' && !number.empty())
            name_ = ":" + number;
    }
    ~VirtualDisplay() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    // Empty when Xvfb did not start within 10 s.
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

class Background {
public:
    Background(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env)
        : errPath_(dir_ / "stderr") {
        const std::vector<std::string> childEnv = testproc::MakeEnv(env);
        pid_ = fork();
        if (pid_ == 0) {
            setsid();
            Redirect(errPath_.c_str());
            testproc::Exec(argv, childEnv);
        }
    }
    ~Background() {
        if (pid_ > 0)
            testproc::WaitExit(pid_, true);
    }
    // The exit code, or -1 if the program has not ended in time (it is then killed).
    int Wait(int timeoutMs) {
        int status = 0;
        for (int waited = 0; waitpid(pid_, &status, WNOHANG) == 0; waited += 20) {
            if (waited > timeoutMs) {
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
