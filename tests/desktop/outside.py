# What both drivers of the real program share: the run's arguments, the
# program's own texts, checks, the recording link opener and the sound heard.
#   DRIVER MODE PROGRAM WORKDIR
import array, ctypes as c, glob, math, os, re, signal, subprocess as sp, sys, threading, time, traceback

MODE, PROGRAM, WORK = sys.argv[1:4]
TITLE, DAWN = "نيسمور", "حان الان موعد صلاة الفجر"
FAREWELL = "الدرفاني يتمنى لكم الفائدة ويسألكم الدعاء"
failures, programs = [], []


class Stop(Exception): pass  # noqa: E701 (a check failed that the rest cannot go on without)


def check(ok, what, needed=False):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    failures.extend([] if ok else [what])
    if needed and not ok:
        raise Stop()


def until(probe, seconds, step=0.02):  # probe's first true answer in time, else its last one
    deadline = time.monotonic() + seconds
    while not (value := probe()) and time.monotonic() < deadline:
        time.sleep(step)
    return value


def run(*args):
    return sp.run(args, capture_output=True, text=True, errors="replace", timeout=20)


# A start with the clock on 2024-03-15 at `clock`, the opener first on PATH. Files keep their real times:
# with them moved too, Wine takes its prefix for out of date at each new clock and updates it first, for
# longer, now and then, than the time left before the prayer.
def launch(argv, clock, **env):
    env = dict(os.environ, PATH=WORK + "/bin:" + os.environ["PATH"], FAKETIME_DONT_FAKE_MONOTONIC="1", NO_FAKE_STAT="1",
               FAKETIME="@2024-03-15 " + clock, LD_PRELOAD=glob.glob("/usr/lib/*/faketime/libfaketime.so.1")[0],
               **env)
    log = "%s/program-%d.log" % (WORK, len(programs))
    programs.append(sp.Popen(argv, env=env, stdout=open(log, "w"), stderr=sp.STDOUT))
    return programs[-1]


def ended(p, seconds, what):
    until(lambda: p.poll() is not None, seconds)
    check(p.poll() == 0, "%s: ends with status 0 within %d s (status %s)" % (what, seconds, p.poll()))


def record(seconds):  # what the null sink plays (timeout ends the read should the sink stall)
    r = sp.Popen(["timeout", str(seconds + 5), "parec", "--latency-msec=20", "-d", "adhan_null.monitor",
                  "--format=s16le", "--rate=8000", "--channels=1"], stdout=sp.PIPE)
    data = r.stdout.read(int(16000 * seconds))
    r.terminate(), r.wait()
    return array.array("h", data[:len(data) & ~1])


def rms(sound):
    return math.sqrt(sum(x * x for x in sound) / max(len(sound), 1)) / 32768


def opened():  # what the link opener got, a line for each start: the argument count, then them
    return open(WORK + "/opened").read() if os.path.exists(WORK + "/opened") else ""


# With a window manager that guards the focus: the windows it manages (all, or under a title), bottom to top.
def managed(title=None):
    stack = re.findall(r"0x[0-9a-f]+", run("xprop", "-root", "_NET_CLIENT_LIST_STACKING").stdout)
    return [w for w in stack if title is None or '"%s"' % title in run("xprop", "-id", w, "WM_NAME", "_NET_WM_NAME").stdout]


class _Request(c.Structure):  # an X client message: a client's request to the window manager
    _fields_ = [("type", c.c_int), ("serial", c.c_ulong), ("sent", c.c_int), ("display", c.c_void_p),
                ("window", c.c_ulong), ("message_type", c.c_ulong), ("format", c.c_int), ("l", c.c_long * 5)]


class _Event(c.Union):
    _fields_ = [("type", c.c_int), ("request", _Request), ("size", c.c_long * 24)]


# The windows that a client has asked the window manager to mark as demanding attention since the first call,
# heard as the window manager hears them (a manager that shows a window in full drops the mark at once).
def asked_for_attention(asked=set()):
    if not asked:
        x = c.CDLL("libX11.so.6")
        x.XOpenDisplay.restype, x.XOpenDisplay.argtypes = c.c_void_p, [c.c_char_p]
        x.XInternAtom.restype, x.XInternAtom.argtypes = c.c_ulong, [c.c_void_p, c.c_char_p, c.c_int]
        x.XDefaultRootWindow.restype, x.XDefaultRootWindow.argtypes = c.c_ulong, [c.c_void_p]
        x.XSelectInput.argtypes, x.XFlush.argtypes = [c.c_void_p, c.c_ulong, c.c_long], [c.c_void_p]
        x.XNextEvent.argtypes = [c.c_void_p, c.POINTER(_Event)]
        d = x.XOpenDisplay(None)
        state, attention = (x.XInternAtom(d, n, 0) for n in (b"_NET_WM_STATE", b"_NET_WM_STATE_DEMANDS_ATTENTION"))
        x.XSelectInput(d, x.XDefaultRootWindow(d), 1 << 19), x.XFlush(d)  # SubstructureNotifyMask

        def hear(e=_Event()):
            while x.XNextEvent(d, c.byref(e)) == 0:
                r = e.request
                if e.type == 33 and r.message_type == state and r.l[0] == 1 and attention in (r.l[1], r.l[2]):
                    asked.add(r.window)
        asked.add(0), threading.Thread(target=hear, daemon=True).start()
    return asked


# The user works in another program's window (over the middle of the screen; `above`, kept above the others
# as a call is) and clicked in it last, the clock's window minimised or behind it. At the prayer second the box
# is up, above the user's window or, kept below it, marked as demanding attention (a window manager marks only
# a window it cannot show in full); it has asked for attention, and the keyboard is still the user's. When the
# user puts their work aside and comes to the box, it takes the keyboard and Return closes it; then the user
# goes back to their work.
def busy_elsewhere(main, minimised, what, above=False):
    if not managed("busy"):
        programs.append(sp.Popen(["xmessage", "-name", "busy", "-geometry", "900x700+190+160", "the user's own work"]))
    user = until(lambda: managed("busy"), 10)[0]
    run("xdotool", "windowminimize", "--sync", main) if minimised else run("xdotool", "windowactivate", "--sync", user)
    above and run("wmctrl", "-i", "-r", user, "-b", "add,above")
    run("xdotool", "mousemove", "--window", user, "20", "20", "click", "1")
    asked_for_attention()
    box = until(lambda: managed("Project1"), 20)
    check(len(box) == 1, what + ": the box comes up", True)
    time.sleep(1.5)  # for it to ask
    state, stack = run("xprop", "-id", box[0], "_NET_WM_STATE").stdout.strip(), managed()
    check("IsViewable" in run("xwininfo", "-id", box[0]).stdout and "HIDDEN" not in state and
          (stack.index(box[0]) > stack.index(user) or "DEMANDS_ATTENTION" in state), what + ": it is viewable, above "
          "the user's window or demanding attention (%s)" % state)
    check(int(box[0], 16) in asked_for_attention(), what + ": it asked the window manager for the user's attention")
    focus = run("xdotool", "getwindowfocus").stdout.strip()
    check(focus == str(int(user, 16)), what + ": the keyboard stays in the user's window (%s)" % focus)
    above and (run("wmctrl", "-i", "-r", user, "-b", "remove,above"), run("xdotool", "windowminimize", "--sync", user))
    run("xdotool", "mousemove", "--window", box[0], "10", "10", "click", "1")
    time.sleep(0.5), run("xdotool", "key", "Return")
    check(until(lambda: not managed("Project1"), 5), what + ": the user comes to it, and Return closes it")
    above and run("xdotool", "windowactivate", "--sync", user)


def outcome(scenario):  # runs the scenario with the recording opener first on PATH; the exit status
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    os.makedirs(WORK + "/bin")
    open(WORK + "/bin/xdg-open", "w").write('#!/bin/sh\necho "$# $*" >>"%s/opened"\n' % WORK)
    os.chmod(WORK + "/bin/xdg-open", 0o755)
    try:
        scenario()
    except Exception as e:  # a failed check the rest needed, or the run broke off
        isinstance(e, Stop) or check(False, "the run broke off:\n" + traceback.format_exc())
    finally:
        for p in programs:
            p.poll() is None and (p.kill(), p.wait())
        for log in sorted(glob.glob(WORK + "/program-*.log")) if failures else ():
            print("--- %s:\n%s" % (log, open(log, errors="replace").read()))
    print("%d failed checks" % len(failures) if failures else "all checks passed")
    sys.exit(1 if failures else 0)
