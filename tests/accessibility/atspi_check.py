#!/usr/bin/python3
"""Reads the running program's windows the way a screen reader does: through
the AT-SPI registry on the accessibility bus. Finds the application by its
process id, walks its tree, and checks the role, name and description of
every field, label, switch, picture and button of the main window; then
presses the About button through its accessible action and checks the About
window too.

    atspi_check.py PID [--wait SECONDS]
"""

import argparse
import re
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi, GLib  # noqa: E402

# The verse as the layout data spells it (each shadda before its vowel).
VERSE = ("\u0642\u0627\u0644 \u0627\u0644\u0644\u0647 \u062a\u0639\u0627\u0644\u0649: "
         "\u0625\u0650\u0646\u0651\u064e "
         "\u0627\u0644\u0635\u0651\u064e\u0644\u0627\u064e\u0629\u064e "
         "\u0643\u064e\u0627\u0646\u064e\u062a\u0652 \u0639\u064e\u0644\u064e\u0649 "
         "\u0627\u0644\u0652\u0645\u064f\u0624\u0652\u0645\u0650\u0646\u0650\u064a\u0646\u064e "
         "\u0643\u0650\u062a\u064e\u0627\u0628\u0627\u064b "
         "\u0645\u0651\u064e\u0648\u0652\u0642\u064f\u0648\u062a\u0627\u064b")

# (role, name, description or None when there is none to check)
MAIN_WINDOW = [
    ("text", "وقت صلاة الفجر", "يرفع البرنامج أذان الفجر حين تبلغ الساعة هذا الوقت"),
    ("text", "وقت صلاة الظهر", "يرفع البرنامج أذان الظهر حين تبلغ الساعة هذا الوقت"),
    ("text", "وقت صلاة المغرب", "يرفع البرنامج أذان المغرب حين تبلغ الساعة هذا الوقت"),
    # The clock and date say what they are, then what they show.
    ("label", re.compile(r"^الساعة \d\d:\d\d:\d\d [صم]$"), None),
    ("label", re.compile(r"^التاريخ \d\d/\d\d/\d{4}$"), None),
    ("label", "صلاة الفجر", None),
    ("label", "صلاة الظهر", None),
    ("label", "صلاة المغرب", None),
    ("label", "لتغيير أوقات الأذان: ضع علامة (صح) في المربع ثم غير الوقت", None),
    ("check box", "تعديل أوقات الأذان", "اضغط هنا لتغيير الأوقات"),
    ("push button", "آية عن مواقيت الصلاة", VERSE),
    ("push button", "خروج", "إنهاء البرنامج"),
    ("push button", "الحوزة", "طلب العلم فريضة"),
    ("push button", "المكتبة", "الكتاب خير جليس"),
    ("push button", "الموقع", "لا تبخل علينا بزيارتك"),
    ("push button", "نبذة", "نبذة عن البرنامج والمبرمج"),
]

ABOUT_WINDOW = [
    ("image", "صورة البرنامج", "الشيخ فيروان الدرفاني"),
    ("label", "نيسمور", None),
    ("label", "برمجة وإعداد", None),
    ("label", "الشيخ فيروان الدرفاني", None),
    ("label", "انتاج: الثلاثاء 6/محرم/1429هج", None),
    ("label", "الموافق: 15/يناير/2008م", None),
    ("label", "مدينة المثال - بلد المثال", None),
    ("label", "راسلنا على العنوان التالي", None),
    ("label", "author@example.com", None),
    ("push button", "المكتبة", "مكتبة الدرفاني للمعلومات الدينية"),
    ("push button", "الحوزة", "الحوزة الدرفانية الصوتية"),
    ("push button", "الموقع", "موقع سرمدان"),
    ("push button", "خروج", "إنهاء البرنامج"),
]

MAIN_TITLE = "نيسمور"
ABOUT_TITLE = "نبذة عن البرنامج"

# Roles a screen reader announces with a name of their own.
NAMED_ROLES = {"text", "entry", "label", "check box", "push button", "image"}

failures = []


def fail(message):
    failures.append(message)
    print("FAIL: " + message, flush=True)


def walk(node, depth=0):
    """Every accessible below `node` (itself first), with its depth."""
    yield node, depth
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield from walk(child, depth + 1)


def find_application(pid, deadline):
    while time.monotonic() < deadline:
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except GLib.Error:
                pass  # an application going away while we look
        time.sleep(0.1)
    return None


def refresh(node):
    """Takes in what the bus has said since, and forgets what was cached of
    `node` and below, so that windows shown since are seen."""
    context = GLib.MainContext.default()
    while context.pending():
        context.iteration(False)
    node.clear_cache()


def find_window(app, title, deadline):
    while time.monotonic() < deadline:
        refresh(app)
        for i in range(app.get_child_count()):
            frame = app.get_child_at_index(i)
            # Qt gives a window its own role only for main windows and
            # dialogs; the About window is a plain top-level widget.
            if (frame is not None and frame.get_name() == title
                    and frame.get_state_set().contains(Atspi.StateType.SHOWING)):
                return frame
        time.sleep(0.1)
    return None


def describe(node):
    return "%s %r (%r)" % (node.get_role_name(), node.get_name(), node.get_description())


def check_window(frame, expected, label):
    nodes = [n for n, _ in walk(frame)]
    print("%s: %d accessibles" % (label, len(nodes)))
    for n, depth in walk(frame):
        print("  " * depth + describe(n))

    for role, name, description in expected:
        matches = [n for n in nodes
                   if n.get_role_name() in ({"text", "entry"} if role == "text" else {role})
                   and (name.match(n.get_name() or "") if isinstance(name, re.Pattern)
                        else n.get_name() == name)]
        if len(matches) != 1:
            fail("%s: expected one %s named %r, found %d" % (label, role, name, len(matches)))
            continue
        node = matches[0]
        if description is not None and node.get_description() != description:
            fail("%s: %s %r has description %r, expected %r"
                 % (label, role, name, node.get_description(), description))
        if role == "text":
            if "Text" not in node.get_interfaces():
                fail("%s: field %r offers no text to read" % (label, name))
            elif not Atspi.Text.get_text(node, 0, -1).strip():
                fail("%s: field %r reads as empty" % (label, name))

    for n in nodes:
        if n.get_role_name() in NAMED_ROLES and not n.get_name():
            fail("%s: a %s without a name" % (label, n.get_role_name()))


def press(frame, role, name):
    for n, _ in walk(frame):
        if n.get_role_name() == role and n.get_name() == name:
            if ("Action" not in n.get_interfaces()
                    or Atspi.Action.get_n_actions(n) < 1):
                fail("%s %r has no action" % (role, name))
                return False
            return Atspi.Action.do_action(n, 0)
    fail("no %s %r to press" % (role, name))
    return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("pid", type=int)
    parser.add_argument("--wait", type=float, default=15.0)
    args = parser.parse_args()

    deadline = time.monotonic() + args.wait
    app = find_application(args.pid, deadline)
    if app is None:
        fail("no application with process id %d on the accessibility bus" % args.pid)
        return 1
    print("application %r, process %d" % (app.get_name(), args.pid))

    main_window = find_window(app, MAIN_TITLE, deadline)
    if main_window is None:
        fail("the main window %r is not showing" % MAIN_TITLE)
        return 1
    if main_window.get_role_name() != "frame":
        fail("the main window is a %r, not a frame" % main_window.get_role_name())
    check_window(main_window, MAIN_WINDOW, "main window")

    # The About button, pressed as a screen reader user presses it.
    if press(main_window, "push button", "نبذة"):
        about = find_window(app, ABOUT_TITLE, time.monotonic() + 10)
        if about is None:
            fail("the About window %r did not show" % ABOUT_TITLE)
        else:
            check_window(about, ABOUT_WINDOW, "About window")

    if failures:
        print("%d failed checks" % len(failures))
        return 1
    print("all accessible names as expected")
    return 0


if __name__ == "__main__":
    sys.exit(main())
