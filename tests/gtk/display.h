// tests/gtk/display.h
// A virtual X display of the test's own: Xvfb on a free display number.
#ifndef ZAPFILE_TEST_DISPLAY_H
#define ZAPFILE_TEST_DISPLAY_H

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace testdisplay {

class VirtualDisplay {
public:
    // Xvfb writes the number it picked, then a newline, once it accepts clients.
    VirtualDisplay() {
        int fds[2];
        if (pipe(fds) != 0 || (pid_ = fork()) < 0)
            return;
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test killed on its time-out leaves no server
            const int devNull = open("/dev/null", O_RDWR);
            for (int fd : {0, 1, 2})
                dup2(devNull, fd);
            // -noreset: else the server refuses clients for a moment whenever its last one leaves.
            execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-screen", "0",
                   "1024x768x24", "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
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
        if (pid_ > 0 && kill(pid_, SIGTERM) == 0)
            waitpid(pid_, nullptr, 0);
    }
    // Empty when Xvfb did not start within 10 s.
    const std::string& name() const { return name_; }

private:
    pid_t pid_ = -1;
    std::string name_;
};

}  // namespace testdisplay

#endif
