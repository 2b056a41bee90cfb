// win32-linux/programs/close_output.cpp
#include "programs/close_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int CloseOutput(const char* program, int status) {
    const bool failed = ferror(stdout) != 0;
    errno = 0;
    if (fclose(stdout) == 0 && !failed)
        return status;
    if (errno != 0)
        fprintf(stderr, "%s: write error: %s\n", program, strerror(errno));
    else
        fprintf(stderr, "%s: write error\n", program);
    return 1;
}
