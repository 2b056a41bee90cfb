/* bench/bare_sqlite.c
 * The floor with the setting read: the bare steps after what reading one value from the
 * registry's SQLite database takes at the least: an open and one query, which finds
 * HKEY_CURRENT_USER\Software\Zapfile's value "bAskUser" in the database $REGISTRY_DB. */
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    sqlite3* db = NULL;
    sqlite3_stmt* query = NULL;
    const char* path = getenv("REGISTRY_DB");
    if (path != NULL && sqlite3_open_v2(path, &db, SQLITE_OPEN_READWRITE, NULL) == SQLITE_OK &&
        sqlite3_prepare_v2(db,
                           "SELECT type, data FROM vals WHERE name = 'bAskUser' AND key ="
                           " (SELECT id FROM keys WHERE name = 'Zapfile' AND parent ="
                           " (SELECT id FROM keys WHERE name = 'Software' AND parent = 2))",
                           -1, &query, NULL) == SQLITE_OK)
        sqlite3_step(query);
    sqlite3_finalize(query);
    sqlite3_close(db);
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
