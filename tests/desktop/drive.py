#!/usr/bin/python3
# Drives the real program from outside as its user meets it: reads and presses
# its windows through the accessibility bus (AT-SPI), listens to the sound
# server and reads its tray icon over D-Bus. run.sh has started the display,
# the session bus and the tray of one kind of desktop.
#
#   drive.py x11|wayland|sni PROGRAM WORKDIR
import os, subprocess as sp, time
import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, Gio, GLib  # noqa: E402
from outside import MODE, PROGRAM, WORK, TITLE, DAWN, FAREWELL, check, until, run, launch, ended, record, \
    rms, opened, outcome, programs, managed, busy_elsewhere  # noqa: E402

WATCHER = ("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher")


def start(clock="05:05:45" if MODE == "sni" else "05:05:52", **extra):
    # The clock a few seconds before dawn (more for the tray's scenario), Qt's
    # accessibility on, the user's own data folder.
    return launch([PROGRAM], clock, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                  QT_QPA_PLATFORM="wayland" if MODE == "wayland" else "xcb", XDG_DATA_HOME=WORK + "/data",
                  XDG_DATA_DIRS=WORK + "/machine:/usr/share", QT_MESSAGE_PATTERN="%{type}: %{message}", **extra)


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


def prop(dest, path, iface, name):
    return Gio.bus_get_sync(Gio.BusType.SESSION).call_sync(dest, path, "org.freedesktop.DBus.Properties", "Get",
                                                           GLib.Variant("(ss)", (iface, name)), None, 0, 3000,
                                                           None).unpack()[0]


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
    sound = record(1.5)
    # On x11 the user's own clip sounds (a loud tone in XDG_DATA_HOME), on wayland the one put there
    # for every user of the machine (a softer one in XDG_DATA_DIRS); the installed adhan in sni().
    level = rms(sound)
    check(level > 0.3 if MODE == "x11" else 0.05 < level < 0.2, "the athan sounds: RMS %.3f" % level)
    press(alert, "push button", "حسنًا")  # Qt's own words are Arabic too
    check(until(lambda: not windows(text=DAWN), 3), "OK closes the dawn box")
    check(until(lambda: not run("pactl", "list", "short", "sink-inputs").stdout, 40), "the athan plays to its end")

    press(main, "push button", "الموقع")
    until(opened, 5), time.sleep(0.5)
    check(opened() == "1 http://example.com\n", "the link opener got one address: %r" % opened())

    press(main, "push button", "خروج")
    press(box("مكتبة الدرفاني للمعلومات الدينية", FAREWELL, 5), "push button", "حسنًا")
    ended(first, 5, "OK on the farewell box")
    log = open(WORK + "/program-0.log").read()
    check(not any(k in log.lower() for k in ("warning", "critical")), "no warning on stderr: %r" % log)


def sni():
    first = first_start()
    name, _, path = prop(*WATCHER, "RegisteredStatusNotifierItems")[0].partition("/")
    path, iface = "/" + (path or "StatusNotifierItem"), "org.kde.StatusNotifierItem"
    check("".join((tip := prop(name, path, iface, "ToolTip"))[2:]) == TITLE, "its ToolTip %r says %r" % (tip, TITLE))
    press(box("Project1", DAWN, 25), "push button", "حسنًا")
    check(rms(record(1)) > 0.01, "the athan sounds")
    press(windows("frame", TITLE)[0], "menu item", "خروج")
    ended(first, 5, "the menu's Exit during the athan, with no box")
    check(rms(record(1)) < 0.01 and not run("pactl", "list", "short", "sink-inputs").stdout, "and the athan with it")
    stranger()


# Another user listens first where a clock without XDG_RUNTIME_DIR may look: in the shared temporary
# folder, and (moved there, as if by a lax folder) in the runtime folder Qt makes for the user.
STRANGER = """import select, socket, sys
heard, listening = open(sys.argv[1], "a"), [socket.socket(socket.AF_UNIX) for _ in sys.argv[2:]]
[(s.bind(path), s.listen()) for s, path in zip(listening, sys.argv[2:])]
while True:
    for s in select.select(listening, [], [])[0]:
        heard.write(s.accept()[0].recv(99).decode()), heard.flush()
"""


def stranger():
    tmp, name = WORK + "/tmp", "adhan-clock-xcb-" + os.environ["DISPLAY"]
    for d, mode in ((WORK, 0o755), (tmp, 0o1777), (tmp + "/runtime-root", 0o700), (tmp + "/lax", 0o777)):
        os.makedirs(d, exist_ok=True), os.chmod(d, mode)
    listening = (tmp + "/adhan-clock-%d-xcb-%s" % (os.getuid(), os.environ["DISPLAY"]), tmp + "/lax/" + name)
    programs.append(sp.Popen(["/usr/bin/python3", "-c", STRANGER, tmp + "/heard", *listening], user=65534, group=65534))
    check(until(lambda: all(map(os.path.exists, listening)), 5), "a stranger listens at %s" % (listening,), True)
    os.rename(listening[1], tmp + "/runtime-root/" + name)
    start(XDG_RUNTIME_DIR="", TMPDIR=tmp)
    check(until(lambda: windows("frame", TITLE), 15), "a stranger's sockets do not stop the clock")
    check(open(tmp + "/heard").read() == "", "the stranger is told nothing: %r" % open(tmp + "/heard").read())


def focus():  # under mutter: the dawn box with the clock's window minimised, the sunset box with it behind
    for clock, minimised, what in (("05:05:52", True, "minimised"), ("17:17:52", False, "behind")):
        program = start(clock)
        main = until(lambda: managed(TITLE), 15)
        check(len(main) == 1, what + ": the main window %r shows" % TITLE, True)
        busy_elsewhere(main[0], minimised, what)
        program.kill(), program.wait()


for folder in ("data", "machine"):
    os.makedirs(WORK + "/%s/adhan-clock" % folder)
MODE == "x11" and run("sox", "-n", "-r", "44100", WORK + "/data/adhan-clock/athan.mp3", "synth", "8", "sine", "440")
MODE != "sni" and run("sox", "-n", "-r", "44100", WORK + "/machine/adhan-clock/athan.mp3", "synth", "8", "sine", "330",
                      "vol", "0.15")
outcome({"sni": sni, "focus": focus}.get(MODE, desktop))
