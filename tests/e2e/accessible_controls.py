#!/usr/bin/python3
# SPDX-License-Identifier: MIT
# A screen reader's view of both windows (設定 pressed through the bus): prints each control as
# "role<TAB>name<TAB>actions"; exits 1 when a button, field or check box has no name.
import sys
import time

import pyatspi

CONTROLS = {pyatspi.ROLE_PUSH_BUTTON, pyatspi.ROLE_TEXT, pyatspi.ROLE_ENTRY, pyatspi.ROLE_CHECK_BOX,
            pyatspi.ROLE_SPIN_BUTTON, pyatspi.ROLE_PASSWORD_TEXT}


def controls(node):
    for child in filter(None, node):
        if child.getRole() in CONTROLS:
            yield child
        yield from controls(child)


def actions(node):
    try:
        action = node.queryAction()
    except NotImplementedError:
        return []
    return [action.getName(i) for i in range(action.nActions)]


def wait_for(find, seconds=20):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if found := find():
            return found
        time.sleep(0.2)
    sys.exit("not on the accessibility bus in time")


app = wait_for(lambda: next((a for a in filter(None, pyatspi.Registry.getDesktop(0)) if a.name.lower() == "navrik"), None))
settings = wait_for(lambda: next((c for c in controls(app) if c.name == "設定"), None))
settings.queryAction().doAction(actions(settings).index("Press"))
wait_for(lambda: any(w.name == "設定" for w in app))
unnamed = 0
for control in controls(app):
    print(f"{control.getRoleName()}\t{control.name}\t{','.join(actions(control))}")
    unnamed += not control.name
sys.exit(1 if unnamed else 0)
