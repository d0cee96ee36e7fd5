"""Reads a running program the way a screen reader does, over AT-SPI.

    screenreader.py lists PID NAME...   prints, as JSON, each list or tree so
                                        named: its role, its items' names and
                                        the positions of the selected ones
    screenreader.py selection PID       prints "ready", then, as JSON, the
                                        first item the program announces as
                                        selected, and the name of its list
Exits with 1, saying why on standard error, when the program cannot be read.
"""

import json
import sys
import time

import pyatspi
from gi.repository import GLib

LISTS = (pyatspi.ROLE_LIST, pyatspi.ROLE_TREE, pyatspi.ROLE_TREE_TABLE, pyatspi.ROLE_TABLE)
# Qt gives a tree's items as table cells.
ITEMS = (pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_TREE_ITEM, pyatspi.ROLE_TABLE_CELL)


def fail(reason):
    print(reason, file=sys.stderr)
    sys.exit(1)


def application(pid):
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for index in range(desktop.childCount):
            app = desktop.getChildAtIndex(index)
            if app is not None and app.get_process_id() == pid:
                return app
        time.sleep(0.2)
    fail("no application with process %d on the accessibility bus" % pid)


def named_lists(root, names, found):
    """Walks the windows' controls, without going into the lists' items."""
    for index in range(root.childCount):
        child = root.getChildAtIndex(index)
        if child is None:
            continue
        if child.getRole() in LISTS:
            if child.name in names:
                found[child.name] = child
        else:
            named_lists(child, names, found)
    return found


def describe(accessible):
    items, selected = [], []
    for index in range(accessible.childCount):
        item = accessible.getChildAtIndex(index)
        if item.getRole() in ITEMS:
            if item.getState().contains(pyatspi.STATE_SELECTED):
                selected.append(len(items))
            items.append(item.name)
    return {"role": accessible.getRoleName(), "items": items, "selected": selected}


def read_lists(pid, names):
    found = named_lists(application(pid), set(names), {})
    print(json.dumps({name: describe(found[name]) for name in found}))


def watch_selection(pid):
    application(pid)
    loop = GLib.MainLoop()

    def selected(event):
        if event.detail1 != 1 or event.host_application.get_process_id() != pid:
            return
        print(json.dumps({"item": event.source.name, "list": event.source.parent.name}))
        loop.quit()

    pyatspi.Registry.registerEventListener(selected, "object:state-changed:selected")
    GLib.timeout_add_seconds(20, loop.quit)
    print("ready", flush=True)
    loop.run()


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "lists":
        read_lists(int(sys.argv[2]), sys.argv[3:])
    elif len(sys.argv) == 3 and sys.argv[1] == "selection":
        watch_selection(int(sys.argv[2]))
    else:
        fail(__doc__)


main()
