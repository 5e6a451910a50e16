#!/usr/bin/python3
"""The program as a screen reader meets it: the real accessibility tree over AT-SPI.

Starts an X server (Xvfb), a session bus of its own with the accessibility bus and registry on
it, and the program with the real engine; then walks the window and every page of the options
dialog through pyatspi and fails for each control without an accessible name. A second run
under LANGUAGE=de reads the menus back in German.

Every piece is the real one; a missing piece fails the test (it is installed by scripts/deps).
"""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

import pyatspi  # python3-pyatspi: the screen readers' own client library

PROGRAM = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else shutil.which("orlam")
ENGINE = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else shutil.which("orlam-ephem")
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"

# Roles a person operates or reads as a control: each needs a name a screen reader can say.
CONTROL_ROLES = {
    "push button", "toggle button", "check box", "radio button", "combo box", "text", "spin button",
    "date editor", "list", "list box", "table", "page tab", "menu item", "check menu item", "menu",
    "tool bar", "scroll bar", "slider", "split pane", "page tab list", "tree", "tree table",
    "status bar", "menu bar", "frame", "dialog", "unknown",
}


def wait_for(predicate, seconds, what):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.2)
    raise AssertionError("timed out waiting for " + what)


class Session:
    """Xvfb, a private session bus, the accessibility bus and the program."""

    def __init__(self, language):
        self.language = language
        self.processes = []
        self.folder = tempfile.mkdtemp(prefix="orlam-a11y-")
        self.env = dict(os.environ)

    def start(self):
        for tool in ("Xvfb", "dbus-daemon"):
            if not shutil.which(tool):
                raise AssertionError(tool + " is missing: run scripts/deps")
        if not os.access(BUS_LAUNCHER, os.X_OK):
            raise AssertionError(BUS_LAUNCHER + " is missing (at-spi2-core): run scripts/deps")
        runtime = os.path.join(self.folder, "run")
        os.mkdir(runtime, 0o700)
        for name in ("data", "config", "user"):
            os.mkdir(os.path.join(self.folder, name))
        settings = os.path.join(self.folder, "Orlam.ini")
        with open(settings, "wb") as f:
            f.write(b"[orlam]\r\nAstrolog=" + ENGINE.encode() + b"\r\n")

        display = self.start_x_server()

        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               stdout=subprocess.PIPE, text=True)
        self.processes.append(bus)
        address = bus.stdout.readline().strip()
        bus.stdout.close()

        self.env.update({
            "DISPLAY": display,
            "DBUS_SESSION_BUS_ADDRESS": address,
            "XDG_RUNTIME_DIR": runtime,
            "XDG_DATA_HOME": os.path.join(self.folder, "data"),
            "XDG_CONFIG_HOME": os.path.join(self.folder, "config"),
            "ORLAM_SETTINGS": settings,
            "QT_QPA_PLATFORM": "xcb",
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
            "QT_ACCESSIBILITY": "1",
            "NO_AT_BRIDGE": "0",
        })
        self.env.pop("WAYLAND_DISPLAY", None)
        if self.language:
            self.env["LANGUAGE"] = self.language
        else:
            self.env.pop("LANGUAGE", None)
        # pyatspi finds the accessibility bus through the session bus named here.
        os.environ["DISPLAY"] = display
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = address
        self.processes.append(subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], env=self.env))
        self.processes.append(subprocess.Popen([PROGRAM], env=self.env, cwd=os.path.join(self.folder, "user")))

    def start_x_server(self):
        """Xvfb on a display number of its own, away from the low numbers that desktops and other
        tests take first; another number when that one is taken meanwhile."""
        for attempt in range(20):
            number = str(200 + (os.getpid() * 7 + attempt * 13) % 700)
            socket = "/tmp/.X11-unix/X" + number
            if os.path.exists(socket) or os.path.exists("/tmp/.X%s-lock" % number):
                continue
            # -noreset: the accessibility bus launcher connects and leaves before the program
            # starts, and a server that resets then refuses the program's connection.
            xvfb = subprocess.Popen(["Xvfb", ":" + number, "-screen", "0", "1024x768x24", "-nolisten", "tcp",
                                     "-noreset"], stderr=subprocess.DEVNULL)
            try:
                wait_for(lambda: xvfb.poll() is not None or os.path.exists(socket), 10, "Xvfb")
            except AssertionError:
                pass
            if xvfb.poll() is None and os.path.exists(socket):
                self.processes.append(xvfb)
                return ":" + number
            if xvfb.poll() is None:
                xvfb.kill()
            xvfb.wait()
        raise AssertionError("Xvfb did not start")

    def stop(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.send_signal(signal.SIGTERM)
                try:
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
        shutil.rmtree(self.folder, ignore_errors=True)


def children(node):
    try:
        return [node.getChildAtIndex(i) for i in range(node.childCount)]
    except Exception:
        return []


def showing(node):
    import pyatspi
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def walk(node, path=(), only_showing=True):
    """Every (showing) node under `node` with its path of role names."""
    for child in children(node):
        if child is None or (only_showing and not showing(child)):
            continue
        here = path + ("%s[%s]" % (child.getRoleName(), child.name),)
        yield child, here
        yield from walk(child, here, only_showing)


def unnamed_controls(root):
    found = []
    for node, path in walk(root):
        if node.getRoleName() in CONTROL_ROLES and not node.name.strip():
            found.append(" > ".join(path))
    return found


def find(root, role, name, only_showing=True):
    for node, _ in walk(root, only_showing=only_showing):
        if node.getRoleName() == role and node.name == name:
            return node
    return None


def application(session):
    import pyatspi
    desktop = pyatspi.Registry.getDesktop(0)

    def found():
        for app in children(desktop):
            if app is not None and app.name == "orlam" and children(app):
                return app
        return None

    return wait_for(found, 60, "the program on the accessibility bus")


def press(node):
    """Does the node's press action. A command that opens a modal dialog answers only when the
    dialog closes, so a call that gets no answer in time is taken as done."""
    from gi.repository import GLib
    action = node.queryAction()
    names = [action.getName(i) for i in range(action.nActions)]
    index = next((i for i, n in enumerate(names) if n.lower() in ("press", "click")), 0)
    try:
        action.doAction(index)
    except GLib.GError:
        pass


def menu_titles(window):
    bar = next(node for node, _ in walk(window) if node.getRoleName() == "menu bar")
    return [child.name for child in children(bar)]


# What each language shows: the menus, the Options command, the dialog's title and its pages,
# each page with one control that shows once the page is the current one.
TEXTS = {
    "en": {
        "menus": ["File", "Edit", "Clock", "Reports", "View", "Options", "Help"],
        "view": "Thelemic date", "events": "Alarm events", "options item": "Program options", "dialog": "Options",
        "pages": {"Formatting": "Date Format", "Astrological": "House System", "Additional": "Show Hints",
                  "Alarm": "Planetary Hours Alarms"},
    },
    "de": {
        "menus": ["Datei", "Bearbeiten", "Uhr", "Berichte", "Ansicht", "Optionen", "Hilfe"],
        "view": "Thelemisches Datum", "events": "Alarmereignisse", "options item": "Programmoptionen", "dialog": "Optionen",
        "pages": {"Formatierung": "Datumsformat", "Astrologisch": "Häusersystem", "Weiteres": "Hinweise anzeigen",
                  "Alarm": "Alarme für Planetenstunden"},
    },
}


class AccessibilityTree(unittest.TestCase):
    def test_every_control_is_named_in_the_users_language(self):
        # LANGUAGE as a desktop sets it; the locale of dates and times stays English.
        language = os.environ.get("ORLAM_A11Y_LANGUAGE", "en")
        texts = TEXTS[language]
        session = Session(language if language != "en" else None)
        self.addCleanup(session.stop)
        session.start()
        app = application(session)
        window = wait_for(lambda: next((w for w in children(app) if w is not None and w.getRoleName() == "frame"
                                        and menu_titles_safe(w)), None), 60, "the main window")
        self.assertEqual(menu_titles(window), texts["menus"])
        view = wait_for(lambda: find(window, "text", texts["view"]), 60, "the view")
        # The date itself keeps its words in any language.
        wait_for(lambda: "Sol" in view.queryText().getText(0, -1), 60, "the date in the view")
        problems = unnamed_controls(window)
        # The event view takes the view's place when its toolbar toggle is pressed.
        press(find(window, "check box", texts["events"]))
        wait_for(lambda: find(window, "list", texts["events"]), 10, "the event view")
        problems += unnamed_controls(window)

        press(wait_for(lambda: find(window, "menu item", texts["options item"], False), 10, "the Options item"))
        dialog = wait_for(lambda: next((w for w in children(app) if w is not None and w.name == texts["dialog"]),
                                       None), 30, "the options dialog")
        tabs = [node for node, _ in walk(dialog) if node.getRoleName() == "page tab"]
        self.assertEqual([t.name for t in tabs], list(texts["pages"]))
        for tab in tabs:
            press(tab)
            mark = texts["pages"][tab.name]
            wait_for(lambda: any(node.name == mark for node, _ in walk(dialog)), 10, "page " + tab.name)
            problems += ["Options > " + p for p in unnamed_controls(dialog)]
        self.assertEqual(sorted(set(problems)), [], "controls without an accessible name")


def menu_titles_safe(window):
    try:
        return menu_titles(window)
    except StopIteration:
        return None


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]])
