/* bench/bare_steps.c
 * The floor of a forced deletion: for each path, open for writing in binary mode (which
 * empties the file), write one byte 0xFF, close, remove. Nothing else. */
#include <stdio.h>

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        FILE* f = fopen(argv[i], "wb");
        if (f != NULL) {
            fputc(0xFF, f);
            fclose(f);
        }
        remove(argv[i]);
    }
    return 0;
}
