"""A small Xlib client through ctypes: window properties, geometry and client messages.

The rig reads what the window manager and the program tell the X server (frame extents, the work
area, size hints, window states, titles) and sends the requests a pager or panel would send
(close, maximize, activate). libX11 comes with every X client package the rig installs.
"""

import ctypes
import ctypes.util

_lib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")

Window = ctypes.c_ulong
Atom = ctypes.c_ulong
_p = ctypes.c_void_p

_lib.XOpenDisplay.restype = _p
_lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
_lib.XCloseDisplay.argtypes = [_p]
_lib.XDefaultRootWindow.restype = Window
_lib.XDefaultRootWindow.argtypes = [_p]
_lib.XInternAtom.restype = Atom
_lib.XInternAtom.argtypes = [_p, ctypes.c_char_p, ctypes.c_int]
_lib.XGetAtomName.restype = ctypes.c_void_p
_lib.XGetAtomName.argtypes = [_p, Atom]
_lib.XFree.argtypes = [_p]
_lib.XSync.argtypes = [_p, ctypes.c_int]
_lib.XFlush.argtypes = [_p]
_lib.XGetWindowProperty.argtypes = [
    _p, Window, Atom, ctypes.c_long, ctypes.c_long, ctypes.c_int, Atom,
    ctypes.POINTER(Atom), ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_ulong),
    ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.c_void_p)]
_lib.XQueryTree.argtypes = [
    _p, Window, ctypes.POINTER(Window), ctypes.POINTER(Window), ctypes.POINTER(ctypes.POINTER(Window)),
    ctypes.POINTER(ctypes.c_uint)]
_lib.XTranslateCoordinates.argtypes = [
    _p, Window, Window, ctypes.c_int, ctypes.c_int, ctypes.POINTER(ctypes.c_int),
    ctypes.POINTER(ctypes.c_int), ctypes.POINTER(Window)]
_lib.XGetSelectionOwner.restype = Window
_lib.XGetSelectionOwner.argtypes = [_p, Atom]
_lib.XSendEvent.argtypes = [_p, Window, ctypes.c_int, ctypes.c_long, _p]
_lib.XGetImage.restype = _p
_lib.XGetImage.argtypes = [_p, Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                           ctypes.c_ulong, ctypes.c_int]
_lib.XGetPixel.restype = ctypes.c_ulong
_lib.XGetPixel.argtypes = [_p, ctypes.c_int, ctypes.c_int]
_lib.XDestroyImage.argtypes = [_p]
_lib.XSelectInput.argtypes = [_p, Window, ctypes.c_long]
_lib.XPending.argtypes = [_p]
_lib.XNextEvent.argtypes = [_p, _p]
_ZPixmap = 2

# Windows come and go while the rig looks at them: a request about a window that is gone fails
# quietly (the default handler would end the process).
_ErrorHandler = ctypes.CFUNCTYPE(ctypes.c_int, _p, _p)
_ignore_errors = _ErrorHandler(lambda display, event: 0)
_lib.XSetErrorHandler.argtypes = [_ErrorHandler]
_lib.XSetErrorHandler(_ignore_errors)


class _WindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("border_width", ctypes.c_int), ("depth", ctypes.c_int),
                ("visual", _p), ("root", Window), ("c_class", ctypes.c_int),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int),
                ("backing_store", ctypes.c_int), ("backing_planes", ctypes.c_ulong),
                ("backing_pixel", ctypes.c_ulong), ("save_under", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", _p)]


_lib.XGetWindowAttributes.argtypes = [_p, Window, ctypes.POINTER(_WindowAttributes)]


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", _p), ("window", Window), ("message_type", Atom),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("xclient", _ClientMessage), ("pad", ctypes.c_long * 24)]


_ClientMessageType = 33
_SubstructureRedirectMask = (1 << 20)
_SubstructureNotifyMask = (1 << 19)
_StructureNotifyMask = (1 << 17)
IsViewable = 2


class Display:
    """One connection to an X display; closed with close() or as a context manager."""

    def __init__(self, name):
        self._d = _lib.XOpenDisplay(name.encode())
        if not self._d:
            raise OSError("cannot open display " + name)
        self.root = _lib.XDefaultRootWindow(self._d)

    def close(self):
        if self._d:
            _lib.XCloseDisplay(self._d)
            self._d = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def atom(self, name):
        return _lib.XInternAtom(self._d, name.encode(), 0)

    def atom_name(self, atom):
        p = _lib.XGetAtomName(self._d, atom)
        if not p:
            return None
        name = ctypes.cast(p, ctypes.c_char_p).value.decode()
        _lib.XFree(p)
        return name

    def property(self, window, name):
        """The property's items: ints for formats 16 and 32, bytes for format 8, None if absent."""
        _lib.XSync(self._d, 0)
        actual, fmt = Atom(), ctypes.c_int()
        count, after, data = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_void_p()
        status = _lib.XGetWindowProperty(self._d, window, self.atom(name), 0, 1 << 20, 0, 0,
                                         ctypes.byref(actual), ctypes.byref(fmt), ctypes.byref(count),
                                         ctypes.byref(after), ctypes.byref(data))
        if status != 0 or actual.value == 0:
            return None
        try:
            if fmt.value == 8:
                return ctypes.string_at(data, count.value)
            item = ctypes.c_long if fmt.value == 32 else ctypes.c_short
            return list(ctypes.cast(data, ctypes.POINTER(item * count.value)).contents)
        finally:
            if data:
                _lib.XFree(data)

    def text(self, window, name="_NET_WM_NAME"):
        value = self.property(window, name)
        return value.decode("utf-8", "replace") if isinstance(value, bytes) else None

    def atoms(self, window, name):
        return [self.atom_name(a) for a in self.property(window, name) or []]

    def children(self, window):
        root, parent = Window(), Window()
        kids, count = ctypes.POINTER(Window)(), ctypes.c_uint()
        if not _lib.XQueryTree(self._d, window, ctypes.byref(root), ctypes.byref(parent),
                               ctypes.byref(kids), ctypes.byref(count)):
            return []
        result = [kids[i] for i in range(count.value)]
        if kids:
            _lib.XFree(kids)
        return result

    def all_windows(self, window=None):
        window = self.root if window is None else window
        for child in self.children(window):
            yield child
            yield from self.all_windows(child)

    def attributes(self, window):
        a = _WindowAttributes()
        if not _lib.XGetWindowAttributes(self._d, window, ctypes.byref(a)):
            return None
        return a

    def viewable(self, window):
        a = self.attributes(window)
        return a is not None and a.map_state == IsViewable

    def geometry(self, window):
        """The window's (x, y, width, height) on the screen, without its border."""
        a = self.attributes(window)
        if a is None:
            return None
        x, y, child = ctypes.c_int(), ctypes.c_int(), Window()
        _lib.XTranslateCoordinates(self._d, window, self.root, 0, 0, ctypes.byref(x), ctypes.byref(y),
                                   ctypes.byref(child))
        return (x.value, y.value, a.width, a.height)

    def pixels(self, window, x, y, width, height):
        """The colours of a rectangle of the window, as rows of (r, g, b) (a 24-bit TrueColor screen)."""
        _lib.XSync(self._d, 0)
        image = _lib.XGetImage(self._d, window, x, y, width, height, (1 << 32) - 1, _ZPixmap)
        if not image:
            return None
        try:
            rows = []
            for row in range(height):
                line = []
                for col in range(width):
                    p = _lib.XGetPixel(image, col, row)
                    line.append(((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF))
                rows.append(line)
            return rows
        finally:
            _lib.XDestroyImage(image)

    def selection_owner(self, name):
        return _lib.XGetSelectionOwner(self._d, self.atom(name))

    def client_message(self, window, message_type, data, target=None):
        """Sends a 32-bit client message about `window` to `target` (the root: as a pager would)."""
        e = _Event()
        e.xclient.type = _ClientMessageType
        e.xclient.window = window
        e.xclient.message_type = self.atom(message_type)
        e.xclient.format = 32
        for i, v in enumerate(data):
            e.xclient.data[i] = v
        to_root = target is None
        _lib.XSendEvent(self._d, self.root if to_root else target, 0,
                        _SubstructureRedirectMask | _SubstructureNotifyMask if to_root else 0,
                        ctypes.byref(e))
        _lib.XFlush(self._d)

    def watch_requests(self):
        """Receives from now on the client messages sent to the root: requests for the window manager
        and the answers to pings (which reach only those who select the root's own structure events)."""
        _lib.XSelectInput(self._d, self.root, _SubstructureNotifyMask | _StructureNotifyMask)
        _lib.XSync(self._d, 0)

    def client_messages(self):
        """The types of the client messages received since the last call (after watch_requests)."""
        return [name for name, _ in self.client_messages_with_windows()]

    def client_messages_with_windows(self):
        """(type, window) of each client message received since the last call."""
        return [(name, window) for name, window, _ in self.client_messages_with_data()]

    def client_messages_with_data(self):
        """(type, window, the five data words) of each client message received since the last call."""
        received = []
        e = _Event()
        while _lib.XPending(self._d):
            _lib.XNextEvent(self._d, ctypes.byref(e))
            if e.xclient.type == _ClientMessageType:
                received.append((self.atom_name(e.xclient.message_type), e.xclient.window, list(e.xclient.data)))
        return received
