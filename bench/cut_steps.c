/* bench/cut_steps.c
 * The floor of many forced deletions in one process: for each path, open it for writing
 * without following a link, write one byte 0xFF over its first byte, cut it after that byte,
 * close, remove. This leaves the same one byte 0xFF as emptying and writing would, with no
 * data written out at the close, and does nothing else. */
#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    static const unsigned char mark = 0xFF;
    for (int i = 1; i < argc; ++i) {
        int fd = open(argv[i], O_WRONLY | O_NOFOLLOW);
        if (fd >= 0) {
            if (pwrite(fd, &mark, 1, 0) == 1)
                (void)ftruncate(fd, 1);
            close(fd);
        }
        unlink(argv[i]);
    }
    return 0;
}
