#!/usr/bin/python3
# Drives the real program from outside as its user meets it: reads and presses
# its windows through the accessibility bus (AT-SPI), listens to the sound
# server and reads its tray icon over D-Bus. run.sh has started the display,
# the session bus and the tray of one kind of desktop.
#
#   drive.py x11|wayland|sni PROGRAM WORKDIR
import array, glob, math, os, signal, subprocess as sp, sys, time, traceback
import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402

MODE, PROGRAM, WORK = sys.argv[1:4]
TITLE, CLOCK = "نيسمور", "الساعة "
DAWN, FAREWELL = "حان الان موعد صلاة الفجر", "الدرفاني يتمنى لكم الفائدة ويسألكم الدعاء"
WATCHER = ("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher")
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
    return sp.run(args, capture_output=True, text=True, timeout=20)


def start():
    # The clock a few seconds before dawn (the tray's scenario keeps clear of
    # the prayers), Qt's accessibility on, and the recording link opener first.
    env = dict(os.environ, PATH=WORK + "/bin:" + os.environ["PATH"], FAKETIME_DONT_FAKE_MONOTONIC="1",
               FAKETIME="@2024-03-15 " + ("09:00:00" if MODE == "sni" else "05:05:52"),
               LD_PRELOAD=glob.glob("/usr/lib/*/faketime/libfaketime.so.1")[0],
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="wayland" if MODE == "wayland" else "xcb")
    log = "%s/program-%d.log" % (WORK, len(programs))
    programs.append(sp.Popen([PROGRAM], env=env, stdout=open(log, "w"), stderr=sp.STDOUT))
    return programs[-1]


def ended(p, seconds, what):
    until(lambda: p.poll() is not None, seconds)
    check(p.poll() == 0, "%s: ends with status 0 within %d s (status %s)" % (what, seconds, p.poll()))


def children(node):
    return list(filter(None, map(node.get_child_at_index, range(node.get_child_count()))))


def tree(node):
    return [node] + [n for child in children(node) for n in tree(child)]


def states(node):
    node.clear_cache()
    return {s.value_nick for s in node.get_state_set().get_states()}


def find(root, role=None, name=None):
    root.clear_cache()
    return [n for n in tree(root) if role in (None, n.get_role_name()) and name in (None, n.get_name())]


def windows(role=None, name=None, text=None):  # the showing windows of every application
    while GLib.MainContext.default().iteration(False):
        pass
    found, desktop = [], Atspi.get_desktop(0)
    desktop.clear_cache()
    for app in children(desktop):
        try:
            found += [w for w in children(app) if "showing" in states(w) and role in (None, w.get_role_name())
                      and name in (None, w.get_name()) and (text is None or find(w, name=text))]
        except GLib.Error:
            pass  # an application going away while we look
    return found


def press(root, role, name):
    nodes = find(root, role, name)
    len(nodes) == 1 or check(False, "one %s %r to press (found %d)" % (role, name, len(nodes)), True)
    try:
        Atspi.Action.do_action(nodes[0], 0)
    except GLib.Error as e:  # a program ending during the call does not answer
        print("     (no answer to the press: %s)" % e.message)


def box(title, text, seconds):
    boxes = until(lambda: windows(name=title, text=text), seconds)
    check(len(boxes) == 1, "one box %r saying %r (found %d)" % (title, text, len(boxes)), True)
    return boxes[0]


def record(seconds):  # what the null sink plays (timeout ends the read should the sink stall)
    r = sp.Popen(["timeout", str(seconds + 5), "parec", "--latency-msec=20", "-d", "adhan_null.monitor",
                  "--format=s16le", "--rate=8000", "--channels=1"], stdout=sp.PIPE)
    data = r.stdout.read(int(16000 * seconds))
    r.terminate(), r.wait()
    return array.array("h", data[:len(data) & ~1])


def dbus(dest, path, iface, method, *args):  # arguments: strings and integers
    signature = "(" + "".join("s" if isinstance(a, str) else "i" for a in args) + ")"
    return Gio.bus_get_sync(Gio.BusType.SESSION).call_sync(
        dest, path, iface, method, GLib.Variant(signature, args) if args else None, None, 0, 3000, None).unpack()


def prop(dest, path, iface, name):
    return dbus(dest, path, "org.freedesktop.DBus.Properties", "Get", iface, name)[0]


def opaque(width, height, argb):  # the size of an icon's opaque part (Qt pads icons to squares)
    dots = [i for i in range(min(width * height, len(argb) // 4)) if argb[4 * i] > 127]
    xs, ys = {i % width for i in dots} or {-1}, {i // width for i in dots} or {-1}
    return max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def first_start():  # the program, then a second start in the same session
    first = start()
    icons = {"x11": lambda: run("xwininfo", "-name", "panel", "-tree").stdout.count('("adhan-clock" '),
             "sni": lambda: len(prop(*WATCHER, "RegisteredStatusNotifierItems"))}.get(MODE)
    check(until(lambda: windows("frame", TITLE), 15), "the main window %r shows" % TITLE, True)
    icons and check(until(icons, 10), "the tray icon is up", True)
    # No window manager runs here: a window becomes the active one only when the
    # program asks for it (headless weston makes none active).
    main, x11 = windows("frame", TITLE)[0], MODE != "wayland"
    x11 and check("active" not in states(main), "the main window is not yet the active one")
    ended(second := start(), 5, "a second start in the same session")
    x11 and check(until(lambda: "active" in states(main), 3), "the second start made it the active window")
    check(len(windows("frame", TITLE)) == 1, "one main window on the accessibility bus, the first's")
    icons and check(icons() == 1, "one tray icon (found %d)" % icons())
    second.poll() is None and (second.kill(), second.wait(), time.sleep(0.5))  # its window goes
    return first


def desktop():
    first = first_start()
    main = windows("frame", TITLE)[0]
    alert = box("Project1", DAWN, 12)
    clock = lambda: {n.get_name() for n in find(main, "label") if n.get_name().startswith(CLOCK)}
    ticks, sound = clock(), record(1.5)
    ticks |= until(lambda: clock() - ticks, 2)
    rms = math.sqrt(sum(x * x for x in sound) / max(len(sound), 1)) / 32768
    streams = len(run("pactl", "list", "short", "sink-inputs").stdout.splitlines())
    check(len(windows(text=DAWN)) == 1, "still one dawn box a second later")
    check(streams == 1, "one stream plays (%d)" % streams)
    check(rms > 0.01, "the athan sounds: RMS %.3f of %d samples" % (rms, len(sound)))
    check(len(ticks) >= 2, "the clock goes on while the box is open: %s" % sorted(ticks))
    press(alert, "push button", None)
    check(until(lambda: not windows(text=DAWN), 3), "OK closes the dawn box")

    press(main, "push button", "الموقع")
    opened = lambda: open(WORK + "/opened").read() if os.path.exists(WORK + "/opened") else ""
    until(opened, 5), time.sleep(0.5)
    check(opened() == "1 http://example.com\n", "the link opener got one address: %r" % opened())

    press(main, "push button", "خروج")
    press(box("مكتبة الدرفاني للمعلومات الدينية", FAREWELL, 5), "push button", None)
    ended(first, 5, "OK on the farewell box")


def sni():
    first = first_start()
    name, _, path = prop(*WATCHER, "RegisteredStatusNotifierItems")[0].partition("/")
    path, iface = "/" + (path or "StatusNotifierItem"), "org.kde.StatusNotifierItem"
    check("".join((tip := prop(name, path, iface, "ToolTip"))[2:]) == TITLE, "its ToolTip %r says %r" % (tip, TITLE))
    pixmaps = [(w, h, opaque(w, h, argb)) for w, h, argb in prop(name, path, iface, "IconPixmap")]
    check(pixmaps and all(abs(3 * w - 2 * h) <= 3 and h > 10 for _, _, (w, h) in pixmaps),
          "its IconPixmap shows the 100x150 portrait scaled: %s" % pixmaps)
    shown = lambda: [(w.get_role_name(), w.get_name()) for w in windows()]
    before, _, _ = shown(), dbus(name, path, iface, "Activate", 0, 0), time.sleep(1)
    check(first.poll() is None and shown() == before, "Activate changes nothing: windows %s" % before)
    press(windows("frame", TITLE)[0], "menu item", "خروج")
    ended(first, 5, "the menu's Exit, with no box")


def main():
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    os.makedirs(WORK + "/bin")
    # The link opener logs how many arguments it got, then them.
    open(WORK + "/bin/xdg-open", "w").write('#!/bin/sh\necho "$# $*" >>"%s/opened"\n' % WORK)
    os.chmod(WORK + "/bin/xdg-open", 0o755)
    try:
        sni() if MODE == "sni" else desktop()
    except Exception as e:  # a failed check the rest needed, or the run broke off
        isinstance(e, Stop) or check(False, "the run broke off:\n" + traceback.format_exc())
    finally:
        for p in programs:
            p.poll() is None and (p.kill(), p.wait())
        for log in sorted(glob.glob(WORK + "/program-*.log")) if failures else ():
            print("--- %s:\n%s" % (log, open(log).read()))
    print("%d failed checks" % len(failures) if failures else "all checks passed")
    return 1 if failures else 0


sys.exit(main())
