"""What a screen reader sees of a program, through the accessibility bus.

Run with the system's Python, which has pyatspi:
    atspi_view.py tree PID      the program's objects as JSON, one per line
    atspi_view.py focused PID   the object that has the keyboard, as JSON
"""
import json
import sys

import pyatspi


def application(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def describe(node, path, roles):
    states = node.getState()
    try:
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        size = [box.width, box.height]
    except NotImplementedError:
        size = None
    return {"path": path, "roles": roles, "role": node.getRoleName(), "name": node.name or "",
            "showing": states.contains(pyatspi.STATE_SHOWING),
            "enabled": states.contains(pyatspi.STATE_SENSITIVE),
            "focused": states.contains(pyatspi.STATE_FOCUSED), "size": size}


def walk(node, path, roles, out, depth=0):
    """Every object under `node`, each with its ancestors' names and roles."""
    if node is None or depth > 40:
        return
    out.append(describe(node, path, roles))
    here, above = path + [node.name or ""], roles + [node.getRoleName()]
    for i in range(min(node.childCount, 500)):
        walk(node.getChildAtIndex(i), here, above, out, depth + 1)


def main():
    what, pid = sys.argv[1], int(sys.argv[2])
    app = application(pid)
    if app is None:
        print(json.dumps({"error": "no such application"}))
        return
    nodes = []
    walk(app, [], [], nodes)
    if what == "tree":
        for node in nodes:
            print(json.dumps(node, ensure_ascii=False))
    else:
        focused = [n for n in nodes if n["focused"]]
        print(json.dumps(focused[-1] if focused else {}, ensure_ascii=False))


if __name__ == "__main__":
    main()
