"""When a window titled so is first shown on the session's X server, told by
the server: the watcher hears the root window's children being mapped (and
their titles changing) instead of asking for the window list over and over.
A new xdotool every few milliseconds takes a good part of a core of a
two-core machine, and slows the start it times."""
import ctypes
import ctypes.util
import re
import select
import time

import harness as h

_SUBSTRUCTURE_NOTIFY, _PROPERTY_CHANGE = 1 << 19, 1 << 22
_MAP_NOTIFY, _PROPERTY_NOTIFY = 19, 28
# Xlib's XEvent is 24 longs; the window is word 5 of a map event, word 4 of a
# property event.
_WINDOW_WORD = {_MAP_NOTIFY: 5, _PROPERTY_NOTIFY: 4}
# A window gone before its title is read must not end the benchmark through
# Xlib's default error handler.
_ignore_errors = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda display, event: 0)


class MapWatch:
    """Begin watching before starting the program; wait() then gives the
    moment (time.monotonic()) a window whose title matches was first shown."""

    def __init__(self):
        self._x = x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XDefaultRootWindow.restype = ctypes.c_ulong
        x.XSetErrorHandler(_ignore_errors)
        self._display = ctypes.c_void_p(x.XOpenDisplay(h.env()["DISPLAY"].encode()))
        if not self._display.value:
            raise h.Failure("could not open the X display %s" % h.env()["DISPLAY"])
        root = ctypes.c_ulong(x.XDefaultRootWindow(self._display))
        x.XSelectInput(self._display, root, ctypes.c_long(_SUBSTRUCTURE_NOTIFY))
        x.XFlush(self._display)
        self._shown = []  # (moment, title) as windows were mapped or renamed

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self._x.XCloseDisplay(self._display)

    def _title(self, window):
        name = ctypes.c_char_p()
        if not self._x.XFetchName(self._display, window, ctypes.byref(name)) or not name.value:
            return ""
        title = name.value.decode("latin-1")
        self._x.XFree(name)
        return title

    def wait(self, title_regex, timeout=30.0):
        pattern = re.compile(title_regex)
        deadline = time.monotonic() + timeout
        event = (ctypes.c_long * 24)()
        while True:
            while self._x.XPending(self._display):
                self._x.XNextEvent(self._display, event)
                kind = event[0] & 0xFFFFFFFF
                if kind in _WINDOW_WORD:
                    window = ctypes.c_ulong(event[_WINDOW_WORD[kind]])
                    if kind == _MAP_NOTIFY:
                        # Its title may come after it is shown.
                        self._x.XSelectInput(self._display, window, ctypes.c_long(_PROPERTY_CHANGE))
                    self._shown.append((time.monotonic(), self._title(window)))
            for moment, title in self._shown:
                if pattern.search(title):
                    return moment
            left = deadline - time.monotonic()
            if left <= 0:
                raise h.Failure("timed out after %.0f s waiting for a window %s" % (timeout, title_regex))
            select.select([self._x.XConnectionNumber(self._display)], [], [], left)
