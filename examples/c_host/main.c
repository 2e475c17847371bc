/* A minimal host of the Kpf05520 module in plain C.
 *
 * It links nothing of the module: it loads lib_dll.so and libPkg_Kpf05520.so at run time, has the
 * module create the QApplication that C cannot create, calls the plain entry CriaImpostoRedz for
 * one Z reduction and prints the tax lines of the returned packet, one line each.
 *
 *   example_c_host [--lib-dir DIR] [--home DIR] [--connection TEXT] [--confirm-after-ms N]
 *                  BRANCH TILL ZCOUNTER YYYY-MM-DD
 *
 * --lib-dir: where the two libraries are (default: beside this program, or the installed module
 * directory when built against an installed Kpf05520). --home: where PARAMETROSKVR.CDS,
 * KAVIRON.CDS and the embedded database are (default: beside this program). --confirm-after-ms:
 * touches Confirm after N ms, for tests; without it an operator confirms or cancels on the
 * display. Exit status: 0 confirmed, 1 left without confirmation, 2 failed or bad usage. */
#include "kpf05520.h"
#include "kpf_dll.h"

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef int (*EnsureApplicationFn)(int *, char **);
typedef void (*VoidFn)(void);
typedef int (*EntryFn)(const char *, const char *, const char *, double, double, const char *, int,
                       char **, char **);
typedef void (*FreeFn)(char *);
typedef void (*SetTextFn)(const char *);
typedef void (*SetObserverFn)(KpfDll_MessageCallback, void *);
typedef void (*SetIntFn)(int);
typedef int (*ScheduleClickFn)(const char *, int);

struct Options {
    const char *libDir;
    const char *home;
    const char *connection;
    int confirmAfterMs; /* -1: interactive */
    const char *key[4]; /* branch, till, Z counter, date */
};

static int usage(const char *why)
{
    fprintf(stderr,
            "example_c_host: %s\nusage: example_c_host [--lib-dir DIR] [--home DIR] "
            "[--connection TEXT] [--confirm-after-ms N] BRANCH TILL ZCOUNTER YYYY-MM-DD\n",
            why);
    return 2;
}

/* Days since 1899-12-30 (a TDateTime at midnight); -1 for a malformed date. */
static double tdatetime_of(const char *text)
{
    int y, m, d;
    char rest;
    if (sscanf(text, "%4d-%2d-%2d%c", &y, &m, &d, &rest) != 3 || m < 1 || m > 12 || d < 1 || d > 31)
        return -1;
    /* Days from civil (proleptic Gregorian), then shifted to the TDateTime epoch. */
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153L * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long unixDays = era * 146097 + doe - 719468;
    return (double)(unixDays + 25569);
}

static int parse(int argc, char **argv, struct Options *o)
{
    int positional = 0;
    o->confirmAfterMs = -1;
    for (int i = 1; i < argc; ++i) {
        const char *a = argv[i];
        const int hasValue = i + 1 < argc;
        if (!strcmp(a, "--lib-dir") && hasValue)
            o->libDir = argv[++i];
        else if (!strcmp(a, "--home") && hasValue)
            o->home = argv[++i];
        else if (!strcmp(a, "--connection") && hasValue)
            o->connection = argv[++i];
        else if (!strcmp(a, "--confirm-after-ms") && hasValue)
            o->confirmAfterMs = atoi(argv[++i]);
        else if (a[0] == '-' && a[1] == '-')
            return usage("unknown option or missing value");
        else if (positional < 4)
            o->key[positional++] = a;
        else
            return usage("too many arguments");
    }
    return positional == 4 ? 0 : usage("the Z reduction's key is missing");
}

static void *load(const char *dir, const char *name)
{
    char path[4096];
    snprintf(path, sizeof path, "%s/%s", dir, name);
    void *handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
    if (!handle)
        fprintf(stderr, "example_c_host: %s\n", dlerror());
    return handle;
}

static void *symbol(void *handle, const char *name)
{
    void *found = dlsym(handle, name);
    if (!found)
        fprintf(stderr, "example_c_host: missing %s\n", name);
    return found;
}

static void on_message(const char *text, int kind, void *context)
{
    (void)context;
    printf("MESSAGE %d %s\n", kind, text);
    fflush(stdout);
}

/* The packet is XML; each tax line is one ROW element, printed with its attributes. */
static void print_rows(const char *packet)
{
    const char *at = packet;
    while ((at = strstr(at, "<ROW ")) != NULL) {
        const char *end = strstr(at, "/>");
        if (!end)
            break;
        printf("ROW %.*s\n", (int)(end - at - 5), at + 5);
        at = end + 2;
    }
}

int main(int argc, char **argv)
{
    struct Options o = {0};
    if (parse(argc, argv, &o) != 0)
        return 2;
    const double zDate = tdatetime_of(o.key[3]);
    if (zDate < 0)
        return usage("the date must be YYYY-MM-DD");
    char ownDir[4096] = ".";
    const char *slash = strrchr(argv[0], '/');
    if (slash)
        snprintf(ownDir, sizeof ownDir, "%.*s", (int)(slash - argv[0]), argv[0]);
#ifdef KPF05520_MODULE_DIR
    /* Built against an installed module: its directory as the build found it. */
    const char *libDir = o.libDir ? o.libDir : KPF05520_MODULE_DIR;
#else
    const char *libDir = o.libDir ? o.libDir : ownDir;
#endif
    if (o.confirmAfterMs >= 0 && !getenv("QT_QPA_PLATFORM") && !getenv("DISPLAY") &&
        !getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    /* The host library first: the module needs it, and the host configures it. */
    void *dll = load(libDir, "lib_dll.so");
    void *module = dll ? load(libDir, "libPkg_Kpf05520.so") : NULL;
    if (!module)
        return 2;
    EnsureApplicationFn ensureApplication =
        (EnsureApplicationFn)symbol(module, "KpfEnsureApplication");
    VoidFn initialize = (VoidFn)symbol(module, "Initialize");
    VoidFn finalize = (VoidFn)symbol(module, "Finalize");
    EntryFn entry = (EntryFn)symbol(module, "CriaImpostoRedz");
    FreeFn kpfFree = (FreeFn)symbol(module, "KpfFree");
    SetTextFn setConnection = (SetTextFn)symbol(dll, "KpfDll_SetConnectionString");
    SetTextFn setProgramDirectory = (SetTextFn)symbol(dll, "KpfDll_SetProgramDirectory");
    SetObserverFn setObserver = (SetObserverFn)symbol(dll, "KpfDll_SetMessageObserver");
    SetIntFn setAutoAcknowledge = (SetIntFn)symbol(dll, "KpfDll_SetAutoAcknowledge");
    ScheduleClickFn scheduleClick = (ScheduleClickFn)symbol(dll, "KpfDll_ScheduleClick");
    if (!ensureApplication || !initialize || !finalize || !entry || !kpfFree || !setConnection ||
        !setProgramDirectory || !setObserver || !setAutoAcknowledge || !scheduleClick)
        return 2;

    const int application = ensureApplication(&argc, argv);
    if (application < 0) {
        fprintf(stderr, "example_c_host: %s\n",
                application == -2 ? "no display (the module says which variables to set)"
                                  : "a non-widget Qt application is already running");
        return 2;
    }
    initialize();
    setProgramDirectory(o.home ? o.home : ownDir);
    if (o.connection)
        setConnection(o.connection);
    setObserver(on_message, NULL);
    if (o.confirmAfterMs >= 0) {
        setAutoAcknowledge(1);
        scheduleClick("blsConfirm", o.confirmAfterMs);
    }

    char *packet = NULL;
    char *error = NULL;
    const int code = entry(o.key[0], o.key[1], o.key[2], zDate, zDate, NULL, 0, &packet, &error);
    int status = 2;
    if (code == KPF_CONFIRMED) {
        printf("CONFIRMED\n");
        print_rows(packet);
        status = 0;
    } else if (code == KPF_NOT_CONFIRMED) {
        printf("NOT CONFIRMED\n");
        status = 1;
    } else {
        printf("FAILED %s\n", error ? error : "(no text)");
    }
    kpfFree(packet);
    kpfFree(error);
    finalize();
    /* The libraries stay loaded: the QApplication that the module made lives until exit. */
    return status;
}
