#!/usr/bin/python3
# tests/gtk/accessibility_test.py ZAPFILE CHOOSERS
# What a screen reader is told of each window, read through the accessibility bus (AT-SPI) as
# a screen reader reads it: zapfile's main window, "Ie Ext", About and the question, and the
# example's window with its folder and colour choosers. Runs on a virtual display of its own,
# under a session bus of its own (dbus-run-session); windows are opened with keys (xdotool).
# Each expected line must be among those of its window: role, 'name', (description), the
# states focused, default and modal, and each relation with its target.
import os
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

zapfile, choosers = sys.argv[1:3]
STATES = {Atspi.StateType.FOCUSED: "focused", Atspi.StateType.IS_DEFAULT: "default",
          Atspi.StateType.MODAL: "modal"}
failures = []


def lines(node):
    """The node and all below it, a line each."""
    text = f"{node.get_role_name()} {node.get_name()!r}"
    text += f" ({node.get_description()})" if node.get_description() else ""
    text += "".join(f" {nick}" for state, nick in STATES.items()
                    if node.get_state_set().contains(state))
    for r in node.get_relation_set():
        text += "".join(f" {r.get_relation_type().value_nick}={t.get_role_name()} {t.get_name()!r}"
                        for t in map(r.get_target, range(r.get_n_targets())))
    return [text] + [l for i in range(node.get_child_count())
                     for l in lines(node.get_child_at_index(i))]


def children(node):
    return [c for c in map(node.get_child_at_index, range(node.get_child_count())) if c]


def check(title, expected, keys):
    """Compares the shown window `title` with the expected lines, then types `keys` into it."""
    for _ in range(100):
        shown = [w for app in children(Atspi.get_desktop(0)) for w in children(app)
                 if w.get_name() == title and w.get_state_set().contains(Atspi.StateType.SHOWING)]
        if shown:
            break
        time.sleep(0.1)
    if not shown:
        failures.append(f"no window {title!r} within 10 s")
        return
    # The window is given the input focus, as a window manager gives it to a new window.
    subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$",
                    "windowfocus", "--sync"], env=env, timeout=10, check=False)
    time.sleep(0.5)
    got = lines(shown[0])
    missing = [want for want in expected if want not in got]
    if missing:
        failures.append(f"{title!r} lacks {missing}; it has:\n  " + "\n  ".join(got[:40]))
    subprocess.run(["xdotool", "key", "--delay", "150", *keys], env=env, timeout=10, check=False)


def run(argv, steps):
    program = subprocess.Popen(argv, env=env, cwd=scratch, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, start_new_session=True)
    for step in steps:
        check(*step)
    try:
        program.wait(timeout=10)
    except subprocess.TimeoutExpired:
        failures.append(f"{argv} did not end")
        program.kill()


scratch = tempfile.mkdtemp(prefix="zapfile-a11y-")
read, write = os.pipe()
xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                         "-nolisten", "tcp", "-noreset"], pass_fds=[write],
                        stderr=subprocess.DEVNULL)
os.close(write)
env = dict(os.environ, DISPLAY=":" + os.read(read, 16).decode().strip(), GSETTINGS_BACKEND="memory",
           XDG_CONFIG_HOME=scratch + "/config", XDG_DATA_HOME=scratch + "/data")
env.pop("NO_AT_BRIDGE", None)
env.pop("WAYLAND_DISPLAY", None)
os.environ["DISPLAY"] = env["DISPLAY"]
try:
    main = "Ko Zapfile"
    run([zapfile], [
        (main, ["dialog 'Ko Zapfile'",
                "push button '...' (Choose the file) focused",
                "label 'Select file to delete:' label-for=text 'Select file to delete:'",
                "text 'Select file to delete:' labelled-by=label 'Select file to delete:'",
                "push button '?' (About)"], ["Tab", "Tab", "space"]),
        ("Ie Ext", ["dialog 'Ie Ext' modal", "push button 'OK' focused default",
                    "check box 'Delete without asking'"], ["Tab", "Tab", "Tab"]),
        # On the check box, Return would press OK, the default button.
        ("Ie Ext", ["push button 'OK' default", "check box 'Delete without asking' focused"],
         ["Escape"]),
        (main, [], ["Tab", "Tab", "space"]),
        ("About Zapfile", ["dialog 'About Zapfile' modal", "push button 'OK' focused default",
                           "label 'Version 0.3 (Build 20060208)'"], ["Return"]),
        (main, [], ["Escape"])])
    run([zapfile, scratch + "/kept"], [
        ("Cofirm", ["dialog 'Cofirm' modal", "push button 'Yes' focused default"], ["alt+n"])])
    main = "Zapfile Choosers"
    run([choosers], [
        (main, ["dialog 'Zapfile Choosers'", "push button 'Save...' focused",
                "text 'Result:' labelled-by=label 'Result:'"], ["Tab", "space"]),
        ("Browse For Folder", ["file chooser 'Browse For Folder' modal",
                               "label 'Choose a folder, then press <Ok>.'"], ["Escape"]),
        (main, [], ["Tab", "space"]),
        ("Color", ["label 'Custom colours:' label-for=panel 'Custom colours:'",
                   "radio button 'Custom colour 1: Red 0%, Green 0%, Blue 0%'",
                   "radio button 'Custom colour 16: Red 0%, Green 0%, Blue 0%'"], ["Escape"]),
        (main, [], ["Escape"])])
finally:
    xvfb.terminate()
    subprocess.run(["rm", "-rf", scratch], check=False)
for failure in failures:
    print("FAILED:", failure, file=sys.stderr)
sys.exit(1 if failures else 0)
