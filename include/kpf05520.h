/** @file
 * The plain C interface of the Kpf05520 tax-entry module (libPkg_Kpf05520.so).
 *
 * Texts are UTF-8 and NUL-terminated; a text the module returns is a copy that the caller frees
 * with KpfFree. Dates are TDateTime doubles: days since 1899-12-30, the
 * fraction being the time of day. Data sets travel as client-dataset XML data packets.
 * Everything runs on the host's user-interface thread; a QApplication must exist before the call.
 * The entry is not re-entrant: a call made while another runs returns KPF_FAILED and leaves the
 * running call untouched. */
#ifndef KPF05520_H
#define KPF05520_H

#include "kpf05520_export.h"
#include "kpf05520_version.h"

#ifdef __cplusplus
extern "C" {
#endif

/** Return codes of CriaImpostoRedz. */
enum KpfResultCode {
    KPF_CONFIRMED = 0,     /**< *resultPacket holds the confirmed tax lines */
    KPF_NOT_CONFIRMED = 1, /**< the screen was left without confirmation; *resultPacket is NULL */
    KPF_FAILED = 2         /**< the call failed; *errorText says why */
};

/** Shows the tax-entry screen for one Z reduction and waits until it closes.
 *   branch, till, zCounter: the Z reduction's key (CDFILIAL, CDCAIXA, NRECFREDZ)
 *   zDate:                  its date (DTREDUCAOZ)
 *   referenceDate:          with zDate, decides whether a first line comes from sourcePacket
 *   sourcePacket:           the host's data set as an XML packet, or NULL for an empty one with the
 *                           fields CDIMPOSTO, VRALIQIMPFIS, VRVENDIDO, VRIMPOSTO; a NUL-terminated
 *                           text, so a host that reads it from a file refuses a file with a NUL
 *                           in it (kpfhost does) rather than pass its first part
 *   sourceRecord:           0-based index of its current record
 *   resultPacket:           receives the confirmed packet (allocated by the module), else NULL
 *   errorText:              receives the error text on KPF_FAILED (allocated by the module), else
 *                           NULL
 * Both output pointers must be given (KPF_FAILED otherwise); dates must be finite, in the years 1
 * to 9999, and the keys no longer than their fields (4, 3 and 10 characters). Release both outputs
 * with KpfFree. */
KPF_EXPORT int CriaImpostoRedz(const char *branch, const char *till, const char *zCounter,
                               double zDate, double referenceDate, const char *sourcePacket,
                               int sourceRecord, char **resultPacket, char **errorText);

/** Releases a text that the module allocated. NULL is allowed. */
KPF_EXPORT void KpfFree(char *text);

/** Optional, for hosts written in languages that cannot create a QApplication (C, Python through
 * ctypes): creates one from argc/argv (copied, so they need not outlive the call) when none
 * exists. Returns 1 when it created it, 0 when a QApplication was already there, -1 when a
 * non-widget QCoreApplication exists (the screen cannot be shown then), -2 when there is no
 * display to show it on (none of DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM set, or the one that
 * QT_QPA_PLATFORM names missing; the text goes to standard error and the process goes on, where Qt
 * would end it). Call it once, on the
 * thread that will call the entry; that thread becomes the user-interface thread. The application
 * lives until the process ends: unload the module only at exit. Set QT_QPA_PLATFORM before the
 * call to choose the platform (e.g. "offscreen" for tests). */
KPF_EXPORT int KpfEnsureApplication(int *argc, char **argv);

/** The version of the loaded module, as KPF05520_VERSION_NUMBER gives it. A host checks it
 * after loading the module: the same major version, and a number not lower than its headers'. */
KPF_EXPORT int KpfVersion(void);

/** Package frame: called by the host once after loading the module, before any other call. */
KPF_EXPORT void Initialize(void);
/** Package frame: called by the host once before unloading the module. */
KPF_EXPORT void Finalize(void);

/** Package information: the packages the module requires, a NULL-terminated list ("_dll"). */
KPF_EXPORT const char *const *GetPackageRequires(void);
/** Package information: the units the module contains, a NULL-terminated list. */
KPF_EXPORT const char *const *GetPackageUnits(void);

#ifdef __cplusplus
}
#endif

#endif /* KPF05520_H */
