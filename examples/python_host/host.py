#!/usr/bin/env python3
"""A minimal host of the Kpf05520 module in Python, through ctypes.

Loads lib_dll.so and libPkg_Kpf05520.so, has the module create the QApplication, calls the plain
entry CriaImpostoRedz for one Z reduction and prints the tax lines of the returned packet.

    host.py --lib-dir DIR [--home DIR] [--connection TEXT] [--confirm-after-ms N]
            [--touch NAME | --key KEY ...] BRANCH TILL ZCOUNTER YYYY-MM-DD

--touch and --key drive the screen as an integration test would, through the test interface
(libkpf_test.so, kpf_test.h): once the screen is active, each control NAME is touched and each KEY
("5", "Return", "Ctrl+Del") pressed in the order given, the screen's state printed as
"STATE {json}" before each and, while the screen is still up, after the last.

Exit status: 0 confirmed, 1 left without confirmation, 2 failed or bad usage.
"""
import argparse
import ctypes
import datetime
import os
import sys
import xml.etree.ElementTree as ET

KPF_CONFIRMED, KPF_NOT_CONFIRMED = 0, 1
MESSAGE_CALLBACK = ctypes.CFUNCTYPE(None, ctypes.c_char_p, ctypes.c_int, ctypes.c_void_p)
SCREEN_CALLBACK = ctypes.CFUNCTYPE(None, ctypes.c_int, ctypes.c_void_p)
KPF_SCREEN_ACTIVE = 3


def tdatetime(date):
    """A TDateTime: days since 1899-12-30."""
    return float((date - datetime.date(1899, 12, 30)).days)


# The version of the C interface this host was written for (KPF05520_VERSION_NUMBER): it takes
# libraries of the same major version and no lower number.
WRITTEN_FOR = 10000


def check_version(name, version):
    if version // 10000 != WRITTEN_FOR // 10000 or version < WRITTEN_FOR:
        sys.exit("%s is version %d.%d.%d; this host needs %d.%d.%d or a later %d.x" % (
            name, version // 10000, version // 100 % 100, version % 100, WRITTEN_FOR // 10000,
            WRITTEN_FOR // 100 % 100, WRITTEN_FOR % 100, WRITTEN_FOR // 10000))


def load(lib_dir):
    dll = ctypes.CDLL(os.path.join(lib_dir, "lib_dll.so"))
    module = ctypes.CDLL(os.path.join(lib_dir, "libPkg_Kpf05520.so"))
    check_version("libPkg_Kpf05520.so", module.KpfVersion())
    check_version("lib_dll.so", dll.KpfDll_Version())
    module.KpfEnsureApplication.argtypes = [ctypes.POINTER(ctypes.c_int),
                                            ctypes.POINTER(ctypes.c_char_p)]
    module.CriaImpostoRedz.argtypes = [ctypes.c_char_p] * 3 + [ctypes.c_double] * 2 + [
        ctypes.c_char_p, ctypes.c_int, ctypes.POINTER(ctypes.c_void_p),
        ctypes.POINTER(ctypes.c_void_p)]
    module.KpfFree.argtypes = [ctypes.c_void_p]
    dll.KpfDll_SetConnectionString.argtypes = [ctypes.c_char_p]
    dll.KpfDll_SetProgramDirectory.argtypes = [ctypes.c_char_p]
    dll.KpfDll_SetMessageObserver.argtypes = [MESSAGE_CALLBACK, ctypes.c_void_p]
    dll.KpfDll_SetAutoAcknowledge.argtypes = [ctypes.c_int]
    dll.KpfDll_ScheduleClick.argtypes = [ctypes.c_char_p, ctypes.c_int]
    return dll, module


def load_test_interface(lib_dir):
    test = ctypes.CDLL(os.path.join(lib_dir, "libkpf_test.so"))
    test.KpfTest_GetScreenState.argtypes = [ctypes.c_char_p, ctypes.c_int]
    test.KpfTest_Touch.argtypes = [ctypes.c_char_p]
    test.KpfTest_SendKeyName.argtypes = [ctypes.c_char_p]
    test.KpfTest_SetScreenObserver.argtypes = [SCREEN_CALLBACK, ctypes.c_void_p]
    return test


def screen_state(test):
    """The screen's state as JSON text, or None when no screen is shown."""
    size = test.KpfTest_GetScreenState(None, 0)
    if size < 0:
        return None
    buffer = ctypes.create_string_buffer(size + 1)
    test.KpfTest_GetScreenState(buffer, size + 1)
    return buffer.value.decode("utf-8")


def plays_once_active(test, actions):
    """A screen observer that plays the actions, ("touch" | "key", name), once the screen is
    first active."""
    def played(status, _):
        if status != KPF_SCREEN_ACTIVE or not actions:
            return
        pending, actions[:] = list(actions), []
        for kind, name in pending:
            print(f"STATE {screen_state(test)}", flush=True)
            if kind == "touch":
                rc = test.KpfTest_Touch(name.encode())
            else:
                rc = test.KpfTest_SendKeyName(name.encode())
            word = "TOUCH" if kind == "touch" else "KEY"
            print(f"{word}ED {name}" if rc == 0 else f"{word} FAILED {name} {rc}", flush=True)
        state = screen_state(test)
        if state is not None:
            print(f"STATE {state}", flush=True)
    return SCREEN_CALLBACK(played)


def take_text(module, pointer):
    """Copies a text the module allocated and releases it."""
    if not pointer.value:
        return None
    text = ctypes.string_at(pointer.value).decode("utf-8")
    module.KpfFree(pointer)
    return text


def print_rows(packet):
    for row in ET.fromstring(packet).iter("ROW"):
        print("ROW " + " ".join(f'{k}="{v}"' for k, v in row.attrib.items()))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--lib-dir", required=True)
    parser.add_argument("--home")
    parser.add_argument("--connection")
    parser.add_argument("--confirm-after-ms", type=int)
    parser.add_argument("--touch", action="append", dest="actions", default=[],
                        type=lambda name: ("touch", name))
    parser.add_argument("--key", action="append", dest="actions", type=lambda name: ("key", name))
    parser.add_argument("branch")
    parser.add_argument("till")
    parser.add_argument("zcounter")
    parser.add_argument("date", type=datetime.date.fromisoformat)
    args = parser.parse_args()
    automated = args.confirm_after_ms is not None or args.actions
    if automated and not any(
            os.environ.get(v) for v in ("QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY")):
        os.environ["QT_QPA_PLATFORM"] = "offscreen"

    dll, module = load(args.lib_dir)
    argv = (ctypes.c_char_p * 2)(b"python-host", None)
    application = module.KpfEnsureApplication(ctypes.byref(ctypes.c_int(1)), argv)
    if application < 0:
        print("no display (the module says which variables to set)" if application == -2
              else "a non-widget Qt application is already running", file=sys.stderr)
        return 2
    module.Initialize()
    dll.KpfDll_SetProgramDirectory((args.home or args.lib_dir).encode())
    if args.connection:
        dll.KpfDll_SetConnectionString(args.connection.encode())
    # Kept in a variable: the library calls it for as long as it is installed.
    observer = MESSAGE_CALLBACK(
        lambda text, kind, _: print(f"MESSAGE {kind} {text.decode('utf-8')}", flush=True))
    dll.KpfDll_SetMessageObserver(observer, None)
    if automated:
        dll.KpfDll_SetAutoAcknowledge(1)
    if args.confirm_after_ms is not None:
        dll.KpfDll_ScheduleClick(b"blsConfirm", args.confirm_after_ms)
    test = screen_observer = None
    if args.actions:
        test = load_test_interface(args.lib_dir)
        screen_observer = plays_once_active(test, list(args.actions))
        test.KpfTest_SetScreenObserver(screen_observer, None)

    packet, error = ctypes.c_void_p(), ctypes.c_void_p()
    z_date = tdatetime(args.date)
    code = module.CriaImpostoRedz(args.branch.encode(), args.till.encode(), args.zcounter.encode(),
                                  z_date, z_date, None, 0, ctypes.byref(packet),
                                  ctypes.byref(error))
    packet_text, error_text = take_text(module, packet), take_text(module, error)
    dll.KpfDll_SetMessageObserver(MESSAGE_CALLBACK(), None)
    if test:
        test.KpfTest_SetScreenObserver(SCREEN_CALLBACK(), None)
    module.Finalize()
    if code == KPF_CONFIRMED:
        print("CONFIRMED")
        print_rows(packet_text)
        return 0
    if code == KPF_NOT_CONFIRMED:
        print("NOT CONFIRMED")
        return 1
    print(f"FAILED {error_text}")
    return 2


if __name__ == "__main__":
    sys.exit(main())
