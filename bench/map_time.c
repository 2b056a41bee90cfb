/* bench/map_time.c
 * map_time TITLE COMMAND...: starts COMMAND and prints the microseconds from its start until
 * a window titled TITLE is mapped on the X display (under a window manager, the frame that
 * holds it), then ends COMMAND. Exits 1 when no such window is mapped within 10 seconds. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static long long now_us(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000000LL + t.tv_nsec / 1000;
}

/* True when the window or one of its descendants, two levels down, bears the title. */
static int has_title(Display* d, Window w, const char* title, int depth) {
    char* name = NULL;
    int found = XFetchName(d, w, &name) && name != NULL && strcmp(name, title) == 0;
    if (name != NULL)
        XFree(name);
    Window root, parent, *children = NULL;
    unsigned int n = 0;
    if (!found && depth > 0 && XQueryTree(d, w, &root, &parent, &children, &n)) {
        for (unsigned int i = 0; i < n && !found; ++i)
            found = has_title(d, children[i], title, depth - 1);
    }
    if (children != NULL)
        XFree(children);
    return found;
}

static int ignore_errors(Display* d, XErrorEvent* e) {
    (void)d;
    (void)e;
    return 0;  /* a window may vanish while it is looked at */
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: map_time TITLE COMMAND...\n");
        return 2;
    }
    Display* d = XOpenDisplay(NULL);
    if (d == NULL) {
        fprintf(stderr, "map_time: cannot open the display\n");
        return 2;
    }
    XSetErrorHandler(ignore_errors);
    XSelectInput(d, DefaultRootWindow(d), SubstructureNotifyMask);
    XSync(d, False);
    const long long start = now_us();
    const pid_t child = fork();
    if (child == 0) {
        close(ConnectionNumber(d));
        execvp(argv[2], argv + 2);
        _exit(127);
    }
    long long mapped = -1;
    while (mapped < 0 && now_us() - start < 10000000) {
        if (!XPending(d)) {
            struct pollfd p = {ConnectionNumber(d), POLLIN, 0};
            poll(&p, 1, 100);
            continue;
        }
        XEvent e;
        XNextEvent(d, &e);
        if (e.type == MapNotify && has_title(d, e.xmap.window, argv[1], 2))
            mapped = now_us();
    }
    kill(child, SIGTERM);
    waitpid(child, NULL, 0);
    if (mapped < 0) {
        fprintf(stderr, "map_time: no window \"%s\" mapped within 10 s\n", argv[1]);
        return 1;
    }
    printf("%lld\n", mapped - start);
    return 0;
}
