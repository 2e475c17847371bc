/** @file
 * The plain C interface of the host library (lib_dll.so) for hosts that load it at run time.
 *
 * Texts are UTF-8 and NUL-terminated. A text given to the library is copied. A text the library
 * returns is copied into the caller's buffer, NUL-terminated and cut to size bytes, and the
 * function returns the length in bytes of the whole text without the NUL, so that a host can
 * size its buffer (NULL/0 to ask). Call these from the host's user-interface thread, before or
 * between calls of the module's entry. */
#ifndef KPF_DLL_H
#define KPF_DLL_H

#include "kpf05520_version.h"
#include "kpf_dll_export.h"

#ifdef __cplusplus
extern "C" {
#endif

/** The version of the loaded host library, as KPF05520_VERSION_NUMBER gives it. */
KPF_DLL_EXPORT int KpfDll_Version(void);

/** The connection string the module is given. NULL or "" removes the setting: the environment
 * variable KPF_CONNECTION applies then, or else the SQLite file kpf05520.db in the directory of
 * the host program. */
KPF_DLL_EXPORT void KpfDll_SetConnectionString(const char *utf8);

/** Kinds of messages (the ordinals of TTipoMsg). */
enum KpfDllMessageKind {
    KPF_MSG_INFORMATION = 0, /**< a box titled "Informação" */
    KPF_MSG_WARNING = 1,     /**< a box titled "Aviso" */
    KPF_MSG_ERROR = 2,       /**< a box titled "Erro" */
    KPF_MSG_ATTENTION = 3,   /**< a box titled "Atenção": failed checks */
    KPF_MSG_QUESTION = 4     /**< a box titled "Pergunta" */
};

/** Called with every message the library is about to show, and with every error box of the
 * platform's event-handler guard (KPF_MSG_ERROR), just before the box appears (the box is still
 * shown). utf8Text is valid only during the call. */
typedef void (*KpfDll_MessageCallback)(const char *utf8Text, int kind, void *context);

/** Installs the observer; NULL removes it. */
KPF_DLL_EXPORT void KpfDll_SetMessageObserver(KpfDll_MessageCallback cb, void *context);

/** The connection string the module is given (the setting, else KPF_CONNECTION, else the embedded
 * default). A host that stores the module's result opens its own connection with it. */
KPF_DLL_EXPORT int KpfDll_GetConnectionString(char *buffer, int size);

/** The directory the module treats as the host program's: the settings files PARAMETROSKVR.CDS and
 * KAVIRON.CDS and the embedded database are looked for there. Needed by hosts whose executable is
 * an interpreter (python3). NULL or "" restores the executable's own directory. */
KPF_DLL_EXPORT void KpfDll_SetProgramDirectory(const char *utf8Dir);

/** The module's connection as Qt SQL opens it, for a host that writes the result on a connection of
 * its own: the connection string the module is given, read by the same rules, as one JSON object
 * with the QSqlDatabase settings "driver" (QSQLITE, QPSQL, QODBC, QOCI), "databaseName",
 * "hostName", "port" (-1: the driver's default), "userName", "password" and "connectOptions", to
 * be set as they are, and "description" for messages (it never holds the password). For QODBC the
 * password is inside databaseName, braced, and "password" is empty. When the string cannot be used:
 * {"error": "<why>"}, without the password. */
KPF_DLL_EXPORT int KpfDll_GetQtConnection(char *buffer, int size);

/** Names the host's own window, so that the module's screen is shown transient for it: a window
 * manager keeps the screen above that window, and the window gets the activation back when the
 * screen closes. nativeWindowId is the window's native id: QWidget::winId() of a Qt host's main
 * window, the X11 id of another toolkit's top-level window (a GTK host gives
 * GDK_WINDOW_XID(gtk_widget_get_window(window))). 0, the default, forgets it; give 0 before that
 * window is destroyed. On Wayland a client cannot name another client's window: there only a Qt
 * window of the same process is used, and a foreign id is kept but has no effect. Call it before
 * the entry, from the user-interface thread. Since 1.1. */
KPF_DLL_EXPORT void KpfDll_SetHostWindow(unsigned long nativeWindowId);

/* Automation, for hosts' integration tests and demos (the examples, kpfhost's scripts); a till's
 * host calls neither. They stay in this library, not in kpf_test.h, since they act on its own
 * message boxes and the Pascal and Python bindings call them here. */

/** Non-zero: every message box the library shows, the platform's error boxes included, is
 * acknowledged shortly after it appears, by an Enter key sent to the box as an operator would
 * press it, so that a scripted host needs nobody at the screen. Zero (the default): boxes wait
 * for the operator. */
KPF_DLL_EXPORT void KpfDll_SetAutoAcknowledge(int on);

/** After delayMs milliseconds, clicks the control named controlName (its object name, e.g.
 * "blsConfirm") on the window on top, as an operator's touch would (press and release at its
 * centre), as soon as that control is visible and enabled on the application's active window (for
 * the module's screen: once its activation has run, which needs no focus from the window system),
 * waiting for it up to 30 seconds. It runs in the event loop of the screen's modal showing, so
 * call it just before the entry. Several clicks may be scheduled; they run in the order of their
 * times. Returns 0, or -1 when there is no QApplication or the name is empty. */
KPF_DLL_EXPORT int KpfDll_ScheduleClick(const char *controlName, int delayMs);

#ifdef __cplusplus
}
#endif

#endif /* KPF_DLL_H */
