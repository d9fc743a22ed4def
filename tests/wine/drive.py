#!/usr/bin/python3
# Drives the real Windows program under Wine from outside, on the X display
# with the tray and the window manager that guards the focus (mutter) run.sh
# started: its window, one clock per session, the dawn box and the adhan at the
# prayer second, its icon docked, a link to the opener through Wine's browser
# launcher, the menu's Exit silencing the adhan; then a run without Media
# Foundation, a planted mfplat.dll never run, the sunset box reaching the user
# busy in another program's window with the clock's minimised, left by the
# farewell. Box texts are read as a Windows user copies them: Ctrl+C.
# With "install", the setup program beside build-windows/bin in a fresh
# prefix instead: refusing Windows 8.1, its language, then for all users and
# for one: installed silently twice, the mode kept, an upgrade keeping the
# Startup shortcut away, the installed program started from its shortcut
# sounding the machine's adhan and the user's (for one user, the user's), a
# running copy keeping an install off, and the uninstaller.
#   drive.py wine|install PROGRAM.exe WORKDIR
import atexit, getpass, os, re, subprocess as sp, sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "desktop"))
from outside import MODE, PROGRAM, WORK, TITLE, DAWN, FAREWELL, check, until, run, launch, ended, record, \
    rms, opened, outcome, programs, busy_elsewhere  # noqa: E402

WINE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "run.sh")


def windows(name):
    return run("xdotool", "search", "--onlyvisible", "--name", "^%s$" % name).stdout.split()


def box_text(box):  # what Ctrl+C on the box copies
    run("xdotool", "windowfocus", "--sync", box, "key", "--clearmodifiers", "ctrl+c")
    return until(lambda: run("xclip", "-o", "-selection", "clipboard").stdout, 3)


def docked():
    return sum(int(n) for n in re.findall(r"(\d+) childr?e?n?:", run("xwininfo", "-name", "panel", "-tree").stdout))


def scenario():
    trays = docked()
    first = launch([WINE, PROGRAM], "05:05:40")
    main = until(lambda: windows(TITLE), 60)  # a new prefix is made first
    check(len(main) == 1, "the main window %r shows" % TITLE, True)
    check(until(lambda: docked() > trays, 10), "its icon docks in the tray")
    ended(launch([WINE, PROGRAM], "05:05:45"), 15, "a second start in the same session")

    boxes = until(lambda: windows("Project1"), 30)
    check(len(boxes) == 1, "one box titled Project1 at the prayer second (found %d)" % len(boxes), True)
    sound = record(1.5)
    check(rms(sound) > 0.01, "the adhan sounds: RMS %.3f of %d samples" % (rms(sound), len(sound)))
    text = box_text(boxes[0])
    check(all(t in text for t in (DAWN, "Project1", "حسنًا")), "the box says %r, its button Arabic: %r" % (DAWN, text))
    run("xdotool", "key", "Return")  # closes it, or the click below would not reach the window

    run("xdotool", "mousemove", "--window", main[0], "264", "226", "click", "1")  # the site's button
    until(opened, 10)
    check(opened() == "1 http://example.com/\n", "the link opener got the site: %r" % opened())
    # Wine's teardown of a process that played sound dies of SIGSEGV (run.sh).
    run("xdotool", "windowfocus", "--sync", main[0], "key", "ctrl+e")
    check(until(lambda: first.poll() is not None, 5) and first.poll() in (0, 139),
          "the menu's Exit (Ctrl+E) during the adhan ends it within 5 s (status %s)" % first.poll())
    check(rms(record(1)) < 0.01, "and the adhan with it")

    # Without Media Foundation (Windows N): the sunset box at its second, silent, and why said once; an
    # mfplat.dll planted beside the program (the one place Wine looks for a DLL it has its own of) never run.
    planted = os.path.dirname(PROGRAM) + "/mfplat.dll"
    sp.run(["x86_64-w64-mingw32-gcc-posix", "-shared", "-o", planted, "-x", "c", "-"], text=True, check=True,
           input='#include <windows.h>\nBOOL WINAPI DllMain(HINSTANCE h, DWORD r, void *p) { return r != 1 || CloseHandle('
           'CreateFileA("Z:%s/planted-ran", GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0)); }' % WORK)
    atexit.register(os.remove, planted)
    for dll in ("mfplat", "mfplay"):  # Wine's own kept from this program alone: a native one only
        run(WINE, "reg", "add", r"HKCU\Software\Wine\AppDefaults\adhan-clock.exe\DllOverrides", "/v", dll, "/d", "n", "/f")
    # The user busy in another program's window meanwhile, the clock's window minimised: the box reaches them.
    # Windows keeps a window that may not take the foreground below the user's; here the user's is kept above.
    quiet = launch([WINE, PROGRAM], "17:17:40")
    main = until(lambda: windows(TITLE), 30)
    check(len(main) == 1, "without Media Foundation: the main window", True)
    busy_elsewhere(main[0], True, "without Media Foundation, the main window minimised", above=True)
    check(rms(record(1)) < 0.01 and not os.path.exists(WORK + "/planted-ran"),
          "without Media Foundation: silent, the planted mfplat.dll not run", True)
    run("xdotool", "windowactivate", "--sync", main[0])
    run("xdotool", "mousemove", "--window", main[0], "56", "226", "click", "1")  # Exit
    farewell = until(lambda: windows("مكتبة الدرفاني للمعلومات الدينية"), 10)
    check(len(farewell) == 1 and FAREWELL in box_text(farewell[0]), "the farewell box", True)
    run("xdotool", "key", "Return")
    check(until(lambda: quiet.poll() is not None, 10) and quiet.poll() == 0,
          "OK on the farewell box ends a run that played nothing, with status 0 (%s)" % quiet.poll())
    log = open("%s/program-%d.log" % (WORK, programs.index(quiet)), errors="replace").read()
    check(log.count("Media Foundation") == 1, "why nothing is heard, said once: %r" % log)


def install():
    drive_c = os.environ["ADHAN_WINEPREFIX"] + "/drive_c/"
    user = drive_c + "users/%s/AppData/" % getpass.getuser()
    clips = [user + "Local/adhan-clock/athan.mp3", drive_c + "ProgramData/adhan-clock/athan.mp3"]
    menu = "Microsoft/Windows/Start Menu/Programs/"
    modes = [("/AllUsers", drive_c + "Program Files/AdhanClock/", drive_c + "ProgramData/" + menu, "HKLM"),
             ("/CurrentUser", user + "Local/Programs/AdhanClock/", user + "Roaming/" + menu, "HKCU")]
    setup_exe = os.path.dirname(PROGRAM) + "/../adhan-clock-setup-1.0.0.0.exe"
    setup = lambda *mode: sp.run([WINE, setup_exe, "/S", *mode], capture_output=True, timeout=120).returncode
    shortcuts = lambda menu: [menu + TITLE + ".lnk", menu + "StartUp/" + TITLE + ".lnk"]

    def entry(hive):  # the uninstall entry's values, as the registry editor exports them
        key = hive + r"\Software\Microsoft\Windows\CurrentVersion\Uninstall\AdhanClock"
        found = run(WINE, "reg", "export", key, "Z:" + WORK + "/entry.reg", "/y").returncode == 0
        return open(WORK + "/entry.reg", encoding="utf-16").read() if found else ""
    sp.run([WINE, "winecfg", "-v", "win81"], capture_output=True, timeout=120)  # the prefix is made first
    launch([WINE, setup_exe], "09:00:00", WINEDEBUG="+msgbox")  # Wine's trace has the box's text
    said = lambda: "".join(re.sub(r"\\([0-9a-f]{4})", lambda m: chr(int(m[1], 16)), line) for line in
                           open(WORK + "/program-0.log", errors="replace") if ":msgbox:" in line)
    check(until(lambda: windows("تنصيب " + TITLE), 60) and "ويندوز 10 (الإصدار 1809)" in until(said, 5),
          "on Windows 8.1 the setup program says in a box, in Arabic, why it cannot install: %r" % said())
    run(WINE, "taskkill", "/f", "/im", os.path.basename(setup_exe))
    check(setup() == 3 and not os.path.exists(modes[0][1]), "and a silent run installs nothing, with status 3")
    run(WINE, "winecfg", "-v", "win10")
    for i, (mode, home, menu, hive) in enumerate(modes):
        links, (_, home2, menu2, hive2) = shortcuts(menu), modes[1 - i]
        for args, round in (([mode], mode + ": a silent install"), ([], mode + ": a second one over it, not told the mode")):
            check(setup(*args) == 0 and os.path.exists(home + "adhan-clock.exe") and all(map(os.path.exists, links))
                  and not os.path.exists(home2 + "adhan-clock.exe") and not any(map(os.path.exists, shortcuts(menu2)))
                  and not entry(hive2), round + ": the program, its shortcuts there, and not the other mode's", True)
            values = entry(hive)
            check(all('"%s"="%s"' % v in values for v in (("DisplayName", TITLE), ("DisplayVersion", "1.00"),
                  ("Publisher", "الدرفاني"))), round + ": the uninstall entry under " + hive + " %r" % values)
        os.remove(links[1])  # the user takes it out of the Startup folder
        check(setup() == 0 and not os.path.exists(links[1]), mode + ": an upgrade keeps it out")
        # The user's adhan (AppData) before the machine's (ProgramData) before its own, the start folder its own:
        # for every user, the machine's tone, then the user's over a silent machine's; for one user, the user's.
        for put, whose in (({clips[1]: "1"}, "machine's"), ({clips[0]: "1", clips[1]: "0"}, "user's"))[i:]:
            for clip, volume in put.items():
                os.makedirs(os.path.dirname(clip), exist_ok=True)
                run("sox", "-n", "-r", "44100", clip, "synth", "20", "sine", "440", "vol", volume)
            launch([WINE, "start", "/unix", links[0]], "05:05:50")
            boxes = until(lambda: windows("Project1"), 30)
            loud = until(lambda: rms(record(1)) > 0.3, 5)  # a second of it within 5 s (its start may lag the box)
            check(len(boxes) == 1 and loud and "حسنًا" in box_text(boxes[0]), mode + ": from its Start-menu "
                  "shortcut, the installed program sounds the %s tone, its box's button Arabic" % whose, True)
            check(setup() == 2, mode + ": an install while it runs stops, asking for it to be closed")
            run(WINE, "taskkill", "/f", "/im", "adhan-clock.exe")
            until(lambda: not windows("Project1"), 5)
        open(home + "mine.mp3", "w").write("the user's")
        both = i == 0 or setup("/AllUsers") == 0  # one user's uninstaller leaves an install for all alone
        run(WINE, home + "uninstall.exe", "/S")
        check(until(lambda: not os.path.exists(home + "adhan-clock.exe") and not any(map(os.path.exists, links))
                    and not entry(hive), 30) and os.listdir(home) == ["mine.mp3"] and both and (i == 0 or entry(hive2)),
              mode + ": the silent uninstall removes its files, shortcuts and entry, not the user's (%s) nor another "
              "install" % os.listdir(home))


outcome(install if MODE == "install" else scenario)
