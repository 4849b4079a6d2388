"""What xdotool cannot do, straight through Xlib.

x11.py close WINDOW          the close request a window frame's close button sends (there is
                             no window manager to send it for us)
x11.py cover X Y W H SECONDS a red window over that part of the screen for a while
x11.py pixel X Y             the colour of a point of the screen, as rrggbb
"""
import ctypes
import sys
import time

x = ctypes.CDLL("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XCreateSimpleWindow.restype = ctypes.c_ulong
x.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                  ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
x.XMapRaised.argtypes = x.XDestroyWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
x.XGetImage.restype = ctypes.c_void_p
x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                        ctypes.c_ulong, ctypes.c_int]
x.XGetPixel.restype = ctypes.c_ulong
x.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
x.XFlush.argtypes = x.XCloseDisplay.argtypes = [ctypes.c_void_p]


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]


x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.POINTER(XEvent)]

display = x.XOpenDisplay(None)
command, args = sys.argv[1], [int(a) if a.isdigit() else a for a in sys.argv[2:]]
if command == "close":
    event = XEvent()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = args[0]
    event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x.XSendEvent(display, args[0], 0, 0, ctypes.byref(event))
    x.XFlush(display)
elif command == "cover":
    window = x.XCreateSimpleWindow(display, x.XDefaultRootWindow(display), *args[:4], 0, 0, 0xff0000)
    x.XMapRaised(display, window)
    x.XSync(display, 0)
    time.sleep(float(args[4]))
    x.XDestroyWindow(display, window)
    x.XSync(display, 0)
elif command == "pixel":
    image = x.XGetImage(display, x.XDefaultRootWindow(display), args[0], args[1], 1, 1, 0xffffffff, 2)  # ZPixmap
    print("%06x" % (x.XGetPixel(image, 0, 0) & 0xffffff))
else:
    sys.exit("usage: x11.py close WINDOW | cover X Y W H SECONDS | pixel X Y")
x.XCloseDisplay(display)
