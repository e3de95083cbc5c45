"""When a window titled so is first shown on the session's X server, told by
the server itself: the watcher listens for the root window's children being
mapped (and for their titles changing), instead of asking for the window list
over and over. A start-up benchmark that polls with a new xdotool every few
milliseconds spends a good part of a core of a two-core machine on asking,
and slows what it measures by as much."""
import ctypes
import ctypes.util
import re
import select
import time

import harness as h

_SUBSTRUCTURE_NOTIFY = 1 << 19
_PROPERTY_CHANGE = 1 << 22
_MAP_NOTIFY = 19
_PROPERTY_NOTIFY = 28
# Xlib's XEvent is a union of 24 longs; a map event's window is its sixth
# word, a property event's its fifth.
_EVENT_LONGS = 24
_MAP_WINDOW_WORD = 5
_PROPERTY_WINDOW_WORD = 4

_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
# A window may be gone by the time its title is asked for: that is no reason
# for Xlib's default handler to end the benchmark.
_ignore_errors = _ERROR_HANDLER(lambda display, event: 0)


def _xlib():
    x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XPending.argtypes = [ctypes.c_void_p]
    x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    x.XConnectionNumber.argtypes = [ctypes.c_void_p]
    x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
    x.XFree.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x.XSetErrorHandler(_ignore_errors)
    return x


class MapWatch:
    """Begin watching before starting the program; wait() then gives the
    moment (time.monotonic()) each title pattern's window was first shown."""

    def __init__(self):
        self._x = _xlib()
        self._display = self._x.XOpenDisplay(h.env()["DISPLAY"].encode())
        if not self._display:
            raise h.Failure("could not open the X display %s" % h.env()["DISPLAY"])
        self._x.XSelectInput(self._display, self._x.XDefaultRootWindow(self._display), _SUBSTRUCTURE_NOTIFY)
        self._x.XFlush(self._display)
        self._shown = []  # (moment, title) of windows mapped so far

    def close(self):
        if self._display:
            self._x.XCloseDisplay(self._display)
            self._display = None

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.close()

    def _title(self, window):
        name = ctypes.c_char_p()
        if not self._x.XFetchName(self._display, window, ctypes.byref(name)) or not name.value:
            return ""
        title = name.value.decode("latin-1")
        self._x.XFree(name)
        return title

    def _take_events(self):
        event = (ctypes.c_long * _EVENT_LONGS)()
        while self._x.XPending(self._display):
            self._x.XNextEvent(self._display, event)
            moment = time.monotonic()
            kind = event[0] & 0xFFFFFFFF
            if kind == _MAP_NOTIFY:
                window = event[_MAP_WINDOW_WORD]
                # Its title may come after it is shown: watch that too.
                self._x.XSelectInput(self._display, window, _PROPERTY_CHANGE)
                self._shown.append((moment, window, self._title(window)))
            elif kind == _PROPERTY_NOTIFY:
                window = event[_PROPERTY_WINDOW_WORD]
                self._shown.append((moment, window, self._title(window)))

    def wait(self, title_regex, timeout=30.0):
        """The moment a window whose title matches was first shown."""
        pattern = re.compile(title_regex)
        deadline = time.monotonic() + timeout
        while True:
            self._take_events()
            for moment, _, title in self._shown:
                if title and pattern.search(title):
                    return moment
            left = deadline - time.monotonic()
            if left <= 0:
                raise h.Failure("timed out after %.0f s waiting for a window %s" % (timeout, title_regex))
            select.select([self._x.XConnectionNumber(self._display)], [], [], left)
