#!/usr/bin/python3
"""Walks the running wizard's pages through the AT-SPI bus, as a screen reader sees them.

Prints what each page's setting controls are called and offer, and exits 1 when a control has
no name, two share one, or an option button does not name its setting. Called by
screen-reader.sh inside its own X and D-Bus session, with trnsetup already started.
"""
import sys
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

SETTING_ROLES = {
    Atspi.Role.SLIDER: "slider",
    Atspi.Role.COMBO_BOX: "list",
    Atspi.Role.RADIO_BUTTON: "option",
    Atspi.Role.TEXT: "field",
    Atspi.Role.CHECK_BOX: "check box",
}


def children(node):
    for i in range(node.get_child_count()):
        child = node.get_child_at_index(i)
        if child is not None:
            yield child


def showing(node):
    return node.get_state_set().contains(Atspi.StateType.SHOWING)


def heard(node):
    """The name a screen reader says: a list's comes from the label it is labelled by."""
    if node.get_role() == Atspi.Role.COMBO_BOX:
        for relation in node.get_relation_set():
            if relation.get_relation_type() == Atspi.RelationType.LABELLED_BY:
                return relation.get_target(0).get_name()
    return node.get_name()


def find(node, match, depth=0):
    if match(node):
        yield node
    if depth < 30:
        for child in children(node):
            yield from find(child, match, depth + 1)


def application(name, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        desktop = Atspi.get_desktop(0)
        for app in children(desktop):
            if app.get_name() == name:
                return app
        time.sleep(0.2)
    sys.exit(f"screen-reader: no application {name} on the accessibility bus")


def press(app, names):
    for button in find(app, lambda n: n.get_role() == Atspi.Role.PUSH_BUTTON and showing(n)):
        if any(button.get_name().startswith(n) for n in names):
            Atspi.Action.do_action(button, 0)
            return True
    return False


def current_page(app, seconds=10):
    end = time.time() + seconds
    while time.time() < end:
        for panel in find(app, lambda n: n.get_role() == Atspi.Role.PANEL and showing(n)):
            if panel.get_name():
                return panel
        time.sleep(0.2)
    return None


def main():
    pages = int(sys.argv[1])
    app = application("trnsetup")
    time.sleep(1)
    if not press(app, ("Yes", "是")):  # the motor warning
        sys.exit("screen-reader: the warning shows no Yes button on the bus")
    faults = 0
    for number in range(1, pages + 1):
        page = current_page(app)
        if page is None:
            sys.exit(f"screen-reader: page {number} is not named on the bus")
        print(f"page {number}: \"{page.get_name()}\"")
        names = []
        for control in find(page, lambda n: n.get_role() in SETTING_ROLES and showing(n)):
            name = heard(control)
            kind = SETTING_ROLES[control.get_role()]
            print(f"  {kind}: \"{name}\"  ({control.get_description()})")
            if not name:
                print("    FAULT: no name")
                faults += 1
            elif name in names:
                print("    FAULT: a name another control has")
                faults += 1
            elif kind == "option" and ":" not in name and "：" not in name:
                print("    FAULT: the option does not name its setting")
                faults += 1
            names.append(name)
        if number < pages:
            before = page.get_name()
            if not press(app, ("Next", "下一步")):
                sys.exit("screen-reader: no Next button on the bus")
            for _ in range(50):
                now = current_page(app)
                if now is not None and now.get_name() != before:
                    break
                time.sleep(0.1)
    print("faults:", faults)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
