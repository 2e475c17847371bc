/* Prints the module's required packages and the connection string the host library hands it;
 * fails unless the module names _dll. */
#include <kpf05520.h>
#include <kpf_dll.h>

#include <stdio.h>
#include <string.h>

int main(void)
{
    int namesDll = 0;
    for (const char *const *name = GetPackageRequires(); name && *name; ++name) {
        printf("REQUIRES %s\n", *name);
        namesDll |= strcmp(*name, "_dll") == 0;
    }
    KpfDll_SetConnectionString("Provider=SQLite;Data Source=/nowhere/kpf05520.db");
    char connection[128];
    if (KpfDll_GetConnectionString(connection, (int)sizeof connection) < 0)
        return 1;
    printf("CONNECTION %s\n", connection);
    return namesDll ? 0 : 1;
}
