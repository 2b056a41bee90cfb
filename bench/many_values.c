/* bench/many_values.c
 * Fills HKEY_CURRENT_USER\Software\Big (made before with zapfile-reg) in the registry's SQLite
 * database $REGISTRY_DB with COUNT text values "v1" ... "vCOUNT", in one transaction, as
 * another program could have left them. */
#include <sqlite3.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    sqlite3* db = NULL;
    char sql[512];
    const char* path = getenv("REGISTRY_DB");
    if (argc != 2 || path == NULL || sqlite3_open(path, &db) != SQLITE_OK)
        return 1;
    snprintf(sql, sizeof sql,
             "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %d)"
             " INSERT INTO vals(key, name, type, data) SELECT (SELECT id FROM keys WHERE"
             " name = 'Big' AND parent = (SELECT id FROM keys WHERE name = 'Software' AND"
             " parent = 2)), 'v' || i, 1, CAST('x' AS BLOB) FROM n",
             atoi(argv[1]));
    const int rc = sqlite3_exec(db, sql, NULL, NULL, NULL);
    sqlite3_close(db);
    return rc != SQLITE_OK;
}
