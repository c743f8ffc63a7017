#!/usr/bin/python3
"""Every ring read over AT-SPI as a screen reader reads it.

    rings_over_atspi.py PROGRAM PANEL_DIR

Starts PROGRAM --simulate in a window of a private Xvfb server, with a D-Bus
session of its own and Qt's accessibility bridge on, and walks its
accessibility tree with pyatspi. Each panel of PANEL_DIR/*.ui is shown in
turn through its button; every ring on it, closed, must give its label (its
name or the name of the label it is labelled by) and the entry it shows (its
name, its text or its selected entry), and after an entry is picked from the
open list with the keyboard it must give the new entry instead.

Fails, never skips, when a part of the machinery is missing.
"""
import os
import select
import shutil
import signal
import subprocess
import sys
import time
import xml.etree.ElementTree as ET

# The button that shows each panel's rings; the main panel is always shown.
PANEL_BUTTONS = {
    "main.ui": None,
    "parameters1.ui": "Parameters 1",
    "parameters2.ui": "Parameters 2",
    "calibration.ui": "Calibration",
    "recorder.ui": "Recorder",
    "compare.ui": None,  # no rings; shown by a comparison
    "statistics.ui": "Statistics",
}
AT_SPI_DAEMONS = ("/usr/libexec/at-spi-bus-launcher", "/usr/libexec/at-spi2-registryd")
WAIT_S = 10
SESSION_S = 60


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def ring_labels(ui_file):
    """The text of each ring's buddy label in a panel file; None for a ring
    without one."""
    root = ET.parse(ui_file).getroot()
    buddies = {}
    for label in root.iter("widget"):
        if label.get("class") != "QLabel":
            continue
        props = {p.get("name"): p for p in label.findall("property")}
        if "buddy" in props and "text" in props:
            text = props["text"].findtext("string", "")
            buddies[props["buddy"].findtext("cstring")] = text.replace("&&", "\0").replace(
                "&", "").replace("\0", "&")
    return [buddies.get(w.get("name")) for w in root.iter("widget") if w.get("class") == "QComboBox"]


# ---- outside the D-Bus session: the X server -------------------------------

def outer(program, panel_dir):
    for tool in ("Xvfb", "dbus-run-session"):
        if not shutil.which(tool):
            fail(tool + " is missing")
    for tool in AT_SPI_DAEMONS:
        if not os.access(tool, os.X_OK):
            fail(tool + " is missing")
    read_end, write_end = os.pipe()
    # -noreset: the server would otherwise reset, and refuse the program, when
    # its first client (the accessibility bus) leaves.
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1600x1200x24",
                             "-nolisten", "tcp", "-noreset"], pass_fds=[write_end],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    session = None
    try:
        display = b""
        while not display.endswith(b"\n"):
            chunk = os.read(read_end, 16) if select.select([read_end], [], [], WAIT_S)[0] else b""
            if not chunk:
                fail("Xvfb did not start")
            display += chunk
        # The session bus starts the accessibility bus and its registry with
        # this environment: the registry needs the display to make key presses.
        env = dict(os.environ, DISPLAY=":" + display.decode().strip())
        session = subprocess.Popen(["dbus-run-session", "--", sys.executable,
                                    os.path.abspath(__file__), "--inner", program, panel_dir],
                                   env=env, start_new_session=True)
        return session.wait(SESSION_S)
    except subprocess.TimeoutExpired:
        fail("no result after %d s" % SESSION_S)
    finally:
        if session and session.poll() is None:
            os.killpg(session.pid, signal.SIGKILL)  # the session and all it started
            session.wait()
        os.close(read_end)
        xvfb.terminate()
        xvfb.wait(10)


# ---- inside the D-Bus session: the program and the screen reader's view -----

def inner(program, panel_dir):
    try:
        import pyatspi
        from gi.repository import GLib
    except ImportError as e:
        fail("pyatspi is missing: %s" % e)
    # Calls may wait for a program busy with the sensor, on a loaded machine.
    pyatspi.setTimeout(WAIT_S * 1000, 30000)

    def until(what, condition, timeout=WAIT_S):
        """Waits for condition() to be true; the program may be too busy to
        answer for a moment. what may be a function, asked on a time-out."""
        deadline = time.monotonic() + timeout
        while True:
            try:
                result = condition()
                if result:
                    return result
            except GLib.Error:
                pass
            if time.monotonic() > deadline:
                fail("gave up waiting for " + (what() if callable(what) else what))
            time.sleep(0.05)

    def showing(acc):
        return acc.getState().contains(pyatspi.STATE_SHOWING)

    def checked_state(acc):
        return acc.getState().contains(pyatspi.STATE_CHECKED)

    def label_of(ring):
        """What the ring is: the label it is labelled by, else its name."""
        for relation in ring.getRelationSet():
            if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
                for k in range(relation.getNTargets()):
                    target = relation.getTarget(k)
                    if target.getRole() == pyatspi.ROLE_LABEL and target.name:
                        return target.name
        return ring.name

    def told(ring):
        """Everything the closed ring tells: name, text, selected entries."""
        texts = {ring.name}
        try:
            texts.add(ring.queryText().getText(0, -1))
        except NotImplementedError:
            pass
        for child in ring:
            try:
                selection = child.querySelection()
                texts.update(selection.getSelectedChild(k).name
                             for k in range(selection.nSelectedChildren))
            except NotImplementedError:
                pass
        return texts

    def entries_of(ring):
        lists = [c for c in ring if c.getRole() == pyatspi.ROLE_LIST]
        if len(lists) != 1:
            fail("ring '%s' has %d lists" % (label_of(ring), len(lists)))
        return lists[0], [item.name for item in lists[0]]

    def check_ring(ring, label):
        lst, entries = entries_of(ring)
        shown = [e for e in entries if e in told(ring) and e != label]
        if len(shown) != 1:
            fail("ring '%s' tells %s, not one of its entries %s" % (label, sorted(told(ring)), entries))
        index = entries.index(shown[0])
        # The next entry, or the one before the last; a single entry is
        # picked again.
        step = 1 if index + 1 < len(entries) else -1 if index > 0 else 0
        picked = entries[index + step]
        action = ring.queryAction()
        names = [action.getName(k) for k in range(action.nActions)]
        if "ShowMenu" not in names:
            fail("ring '%s' has no ShowMenu action, only %s" % (label, names))
        action.doAction(names.index("ShowMenu"))
        until("the list of '%s' to open" % label, lambda: showing(lst))
        keys = {1: [0xFF54], -1: [0xFF52], 0: []}[step] + [0xFF0D]  # Down / Up, Return
        for key in keys:
            pyatspi.Registry.generateKeyboardEvent(key, None, pyatspi.KEY_SYM)
        until("the list of '%s' to close" % label, lambda: not showing(lst))
        until(lambda: "ring '%s' to tell '%s' (it tells %s)" % (label, picked, sorted(told(ring))),
              lambda: picked in told(ring) and (step == 0 or shown[0] not in told(ring)))
        if label_of(ring) != label:
            fail("ring '%s' is labelled '%s' after the pick" % (label, label_of(ring)))
        print("ring '%s': '%s', then '%s'" % (label, shown[0], picked), flush=True)

    panels = sorted(f for f in os.listdir(panel_dir) if f.endswith(".ui"))
    unknown = [f for f in panels if f not in PANEL_BUTTONS]
    if unknown:
        fail("no button known that shows %s" % unknown)
    labels = {f: ring_labels(os.path.join(panel_dir, f)) for f in panels}
    for f, names in labels.items():
        if None in names:
            fail("a ring in %s has no buddy label" % f)

    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    # A second port that fails at once when chosen: /dev/null is no terminal.
    app_process = subprocess.Popen([program, "--simulate", "--port", "2=/dev/null"], env=env,
                                   stdout=subprocess.DEVNULL)
    try:
        desktop = pyatspi.Registry.getDesktop(0)
        name = os.path.basename(program)
        app = until("the program on the accessibility bus",
                    lambda: next((a for a in desktop if a is not None and a.name == name), None),
                    timeout=30)
        button_names = {b for b in PANEL_BUTTONS.values() if b}

        def panel_buttons():
            found = {b.name: b for b in pyatspi.findAllDescendants(
                app, lambda a: a.getRole() == pyatspi.ROLE_CHECK_BOX and a.name in button_names)}
            return found if set(found) == button_names else None

        buttons = until("the panel buttons %s" % sorted(button_names), panel_buttons)

        def showing_rings():
            return [r for r in pyatspi.findAllDescendants(
                app, lambda a: a.getRole() == pyatspi.ROLE_COMBO_BOX) if showing(r)]

        known = [l for names in labels.values() for l in names]
        if len(set(known)) != len(known):
            fail("two rings have the same label: %s" % sorted(known))
        checked = set()
        for f in panels:
            button = buttons.get(PANEL_BUTTONS[f])
            if button and not checked_state(button):
                # A click of the mouse, as the operator shows a panel.
                x, y, w, h = button.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
                pyatspi.Registry.generateMouseEvent(x + w // 2, y + h // 2, "b1c")
                until("%s to show" % f, lambda: checked_state(button))
            wanted = set(labels["main.ui"] + labels[f])
            until("the rings of %s, %s, to show" % (f, sorted(wanted)),
                  lambda: wanted <= {label_of(r) for r in showing_rings()})
            for ring in showing_rings():
                label = label_of(ring)
                if label not in known:
                    fail("a ring tells '%s', which is none of the labels %s" % (label, sorted(known)))
                if label not in checked:
                    check_ring(ring, label)
                    checked.add(label)
        if checked != set(known):
            fail("checked %s, the panels have %s" % (sorted(checked), sorted(known)))
        if app_process.poll() is not None:
            fail("the program ended early")
        print("PASS: %d rings" % len(checked), flush=True)
        return 0
    finally:
        app_process.terminate()
        try:
            app_process.wait(10)
        except subprocess.TimeoutExpired:
            app_process.kill()


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "--inner":
        sys.exit(inner(sys.argv[2], sys.argv[3]))
    if len(sys.argv) != 3:
        fail("usage: rings_over_atspi.py PROGRAM PANEL_DIR")
    sys.exit(outer(sys.argv[1], sys.argv[2]))
