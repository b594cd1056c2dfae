#!/usr/bin/python3
"""The panel of the real program as an assistive tool reads it (AT-SPI), changed as a user does.

    panel_texts.py

Needs the program running with its panel open, QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 and a session
bus, and xdotool for the clicks and keys. Checks that the panel's texts are there (the headings,
each field with its value and the spans it keeps the crank turning in words, the switch, the
buttons, the analysis), then types a triple-rocker into the four lengths, a refused crank, and
Built-in: the analysis follows, the refusal is said beside its field, and the readout at the
probe ends where it began (no key typed into the panel stepped the animation). Then the valve
timing: its events are those of tarsel-render --report for the same frame (TARSEL_RENDER), at
the default checking lift and at one typed in, a lift of 0 is refused, and "Open…" takes the
profile file TARSEL_PROFILE through the file dialog. Prints one line per check; exits 1 when one
failed.
"""

import json
import os
import subprocess
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

FIELDS = [  # name, built-in value, the start of its description
    ("fixed line O-Q", "31.5", "The crank turns all round for "),
    ("crank O-P", "7", "The crank turns all round for 0.5 to "),
    ("coupler P-R", "25", "The crank turns all round for "),
    ("rocker Q-R", "31", "The crank turns all round for "),
    ("reference angle, degrees", "65", "The reference angle shifts the phase offset only"),
    ("piston's crank radius", "25.5", "The rod stays longer than the crank radius for "),
    ("connecting rod", "100", "The rod stays longer than the crank radius for 25.5 to 300"),
]
failures = 0


def check(ok, what):
    global failures
    print(("ok: " if ok else "FAIL: ") + what)
    failures += 0 if ok else 1


def application():
    for _ in range(200):
        desktop = Atspi.get_desktop(0)
        for i in range(desktop.get_child_count()):
            app = desktop.get_child_at_index(i)
            if app is not None and app.get_name() == "tarsel":
                return app
        time.sleep(0.05)
    return None


def nodes(root):
    """Every accessible under root: (role, name, description, text, node)."""
    out, stack = [], [root]
    while stack:
        node = stack.pop()
        try:
            role, name = node.get_role_name(), node.get_name() or ""
            description = node.get_description() or ""
            text = ""
            if role == "text":
                text = Atspi.Text.get_text(node, 0, Atspi.Text.get_character_count(node))
        except gi.repository.GLib.Error:
            continue
        out.append((role, name, description, text, node))
        stack.extend(node.get_child_at_index(i) for i in range(node.get_child_count()))
    return out


def field(app, name):
    return next((n for n in nodes(app) if n[0] == "text" and n[1] == name), None)


def labels(app):
    return [n[1] for n in nodes(app) if n[0] == "label"]


def type_into(app, name, text):
    # The field may lie in the part of the panel scrolled out of sight: it takes the focus as a
    # screen reader gives it, and the keys go to it from the keyboard.
    Atspi.Component.grab_focus(field(app, name)[4])
    time.sleep(0.1)
    subprocess.run(["xdotool", "key", "ctrl+a", "BackSpace"], check=True)
    subprocess.run(["xdotool", "type", "--delay", "20", text], check=True)
    subprocess.run(["xdotool", "key", "Return"], check=True)
    time.sleep(0.3)


def eventually(test, seconds=5):
    for _ in range(int(seconds * 20)):
        if test():
            return True
        time.sleep(0.05)
    return test()


def readout(app):
    """The readout's values, in order: they depend on k and the probe."""
    return [t for t in labels(app) if t.startswith("x = ") or " rad = " in t]


def main():
    app = application()
    check(app is not None, "the program is on the accessibility bus")
    if app is None:
        return 1
    texts = labels(app)
    for heading in ("AT THE PROBE", "CHANGE THE MECHANISM", "What it is", "COLOURS"):
        check(heading in texts, f"heading {heading!r}")
    for name, value, described in FIELDS:
        f = field(app, name)
        check(f is not None and f[3] == value and f[2].startswith(described),
              f"field {name!r} holds {value!r}, described as {described!r}...: "
              + (repr(f[1:4]) if f else "missing"))
    roles = {(n[0], n[1]) for n in nodes(app)}
    check(("check box", "crossed assembly (R on the other side of P-Q)") in roles, "the switch")
    for button in ("Built-in", "Undo", "Redo"):
        check(("push button", button) in roles, f"button {button!r}")
    check(any("crank-rocker" in t for t in texts), "the analysis says crank-rocker")
    before = readout(app)
    check(len(before) >= 2, f"the readout at the probe: {before}")

    for name, value in (("fixed line O-Q", "10"), ("crank O-P", "9"), ("coupler P-R", "8"),
                        ("rocker Q-R", "15")):
        type_into(app, name, value)
    check(eventually(lambda: any("triple-rocker" in t for t in labels(app))),
          "typed 10, 9, 8, 15: the analysis says triple-rocker")
    type_into(app, "crank O-P", "0")
    check(eventually(lambda: "the crank O-P 0 is not above 0" in labels(app)),
          "crank 0: refused beside its field")
    check(any("triple-rocker" in t for t in labels(app)), "... and the mechanism stays")
    built_in = next(n for n in nodes(app) if n[0] == "push button" and n[1] == "Built-in")
    Atspi.Component.grab_focus(built_in[4])
    time.sleep(0.1)
    subprocess.run(["xdotool", "key", "space"], check=True)
    check(eventually(lambda: any("crank-rocker" in t for t in labels(app))),
          "Built-in: crank-rocker again")
    check(eventually(lambda: readout(app) == before),
          f"the readout as it began, no frame stepped: {readout(app)} against {before}")
    timing(app)
    return 1 if failures else 0


def reported(*args):
    """The report's events of the first frame: curve -> {event: value} or None."""
    out = subprocess.run([os.environ["TARSEL_RENDER"], "--report", "-", *args], check=True,
                         capture_output=True, text=True).stdout
    return json.loads(out)["timing"]


def shows_events(app, events):
    texts = labels(app)
    for curve in ("red", "green", "blue"):
        e = events[curve]
        wanted = [f"x = {e[k]:.2f}°:" for k in ("opening", "closing", "peak")]
        if not all(any(t.startswith(w) for t in texts) for w in wanted):
            return False
    return True


def timing(app):
    check("VALVE TIMING" in labels(app), "heading 'VALVE TIMING'")
    lift = field(app, "checking lift")
    check(lift is not None and lift[3] == "1", "the checking lift holds 1")
    if "TARSEL_RENDER" not in os.environ:
        return
    check(eventually(lambda: shows_events(app, reported())),
          "the events at lift 1 are tarsel-render --report's of the same frame")
    type_into(app, "checking lift", "3")
    check(eventually(lambda: shows_events(app, reported("--threshold", "3"))),
          "typed 3: the events at lift 3 are --report --threshold 3's")
    type_into(app, "checking lift", "0")
    check(eventually(lambda: "the checking lift 0 is not above 0" in labels(app)),
          "lift 0: refused beside its field")
    type_into(app, "checking lift", "1")
    profile = os.environ.get("TARSEL_PROFILE")
    if not profile:
        return
    button = next(n for n in nodes(app) if n[0] == "push button" and n[1] == "Open a profile file")
    Atspi.Component.grab_focus(button[4])
    time.sleep(0.1)
    subprocess.run(["xdotool", "key", "space"], check=True)
    time.sleep(1.0)
    # The file dialog opens with the keys in its file name field.
    subprocess.run(["xdotool", "type", "--delay", "10", profile], check=True)
    subprocess.run(["xdotool", "key", "Return"], check=True)
    name = os.path.basename(profile)
    check(eventually(lambda: any(t.endswith(name) for t in labels(app))),
          f"Open…: the panel names the profile {name}")


if __name__ == "__main__":
    sys.exit(main())
