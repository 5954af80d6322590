#!/usr/bin/python3
# Reads the program's log through the accessibility bus, as a screen reader does. Runs inside a
# session bus of its own (dbus-run-session), on an X server:
#   logreader.py PROGRAM CLI [ARGUMENT...]
# starts PROGRAM with the arguments and Qt's accessibility bridge on, asks it through the
# command-line client CLI for an item that does not exist (before and after connecting to the
# mock-up), ticks "Log" through its accessible action, makes an error and prints, a line each:
#   why TEXT        each row that names the refused request
#   rows N          the count of the list's rows
#   newest TEXT     the newest row's name
#   told TEXT       the row that an event told a screen reader of as added
# Every step waits for what it needs, within a wide bound; exit status 1 says on standard error
# what did not come.
import os
import subprocess
import sys
import time

import pyatspi
from gi.repository import GLib

WAIT_S = 60  # the program runs with the sanitizers on a shared machine


def fail(what):
    print("logreader: " + what, file=sys.stderr)
    sys.exit(1)


def wait_for(condition, what):
    """condition's first true value; the events that came meanwhile are delivered."""
    deadline = time.monotonic() + WAIT_S
    while time.monotonic() < deadline:
        GLib.MainContext.default().iteration(False)
        found = condition()
        if found:
            return found
        time.sleep(0.05)
    fail("no " + what + " within %d s" % WAIT_S)


def cli(*arguments):
    return subprocess.run([sys.argv[2], *arguments], capture_output=True, text=True)


def descendant(root, role, name):
    """The first accessible of role and name under root, breadth first; None when there is none
    (or the tree changes under the search)."""
    try:
        return pyatspi.findDescendant(
            root, lambda a: a.getRole() == role and a.name == name, breadth_first=True)
    except Exception:
        return None


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            pass
    return None


def rows_naming(log, text):
    count = log.childCount
    names = (log.getChildAtIndex(i).name for i in range(max(0, count - 50), count))
    return [name for name in names if text in name]


told = []


def on_added(event):
    if event.source.getRole() == pyatspi.ROLE_LIST and event.any_data is not None:
        told.append(event.any_data.name)


def main():
    pyatspi.Registry.registerEventListener(on_added, "object:children-changed:add")
    environment = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    program = subprocess.Popen([sys.argv[1], *sys.argv[3:]], env=environment,
                               stdout=subprocess.DEVNULL, stderr=open("program.err", "w"))
    try:
        app = wait_for(lambda: application(program.pid), "program on the accessibility bus")
        wait_for(lambda: cli("get", "version").stdout.startswith("s"), "answer to get version")
        # Refused at a fresh start, with "Log" not ticked; then, connected, for an item only.
        if cli("get", "Board.NOSUCH").returncode != 1:
            fail("get Board.NOSUCH was not refused")
        if cli("run", "open", "smockup").stdout != "i1\n":
            fail("no connection to the mock-up")
        if cli("get", "Board.NOSUCH").returncode != 1:
            fail("get Board.NOSUCH was not refused while connected")
        box = wait_for(lambda: descendant(app, pyatspi.ROLE_CHECK_BOX, "Log"), '"Log" check box')
        box.queryAction().doAction(0)
        log = wait_for(lambda: descendant(app, pyatspi.ROLE_LIST, "Log"), "log list")
        for name in wait_for(lambda: rows_naming(log, "Board.NOSUCH"), "row naming the request"):
            print("why\t" + name)
        # An error: the list tells of its row. Made again every few seconds, since the bridge
        # may not have heard of the listener yet.
        made = [0.0]

        def error_told():
            if time.monotonic() - made[0] > 5:
                made[0] = time.monotonic()
                cli("get", "Nope.ERROR")
            return [name for name in told if "Nope.ERROR" in name]
        print("told\t" + wait_for(error_told, "event telling of the error's row")[0])
        wait_for(lambda: rows_naming(log, "Nope.ERROR"), "row of the error")
        print("rows\t%d" % log.childCount)
        print("newest\t" + log.getChildAtIndex(log.childCount - 1).name)
        cli("run", "shutdown")
        program.wait(WAIT_S)
    finally:
        if program.poll() is None:
            program.kill()


main()
