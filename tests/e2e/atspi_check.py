#!/usr/bin/python3
"""Reads the running program through AT-SPI and checks one window; exits 1 saying what is wrong.
Usage: atspi_check.py bus | details | main"""
import sys
import time

import pyatspi

APP = "Dravenholt Loan"
DETAILS = "Dravenholt Information Technology - Loan Details"
MAIN = "Dravenholt Information Technology Loan - "
CONTROL_ROLES_WITHOUT_NAME_OK = {pyatspi.ROLE_TABLE_CELL, pyatspi.ROLE_TABLE_ROW_HEADER}


def states(obj):
    return set(obj.getState().getStates())


def walk(obj):
    yield obj
    for child in obj:
        if child is not None:
            yield from walk(child)


def find_window(title):
    """The showing window whose name starts with title, waiting for it to appear."""
    for _ in range(100):
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None or app.name != APP:
                continue
            for window in app:
                if (window is not None and window.name.startswith(title)
                        and pyatspi.STATE_SHOWING in states(window)):
                    return window
        time.sleep(0.1)
    sys.exit(f"no window \"{title}\" on the accessibility bus")


problems = []


def expect(condition, message):
    if not condition:
        problems.append(message)


def check_focusable_controls(window):
    """Every control that takes the focus says what it is and what it is called."""
    count = 0
    for obj in walk(window):
        if obj.getRole() in CONTROL_ROLES_WITHOUT_NAME_OK:
            continue  # cells are named by their values, which may be empty
        if pyatspi.STATE_FOCUSABLE not in states(obj) or pyatspi.STATE_SHOWING not in states(obj):
            continue
        count += 1
        role = obj.getRoleName()
        expect(obj.name.strip() != "", f"a focusable {role} has no name")
        expect(obj.getRole() not in (pyatspi.ROLE_FILLER, pyatspi.ROLE_UNKNOWN,
                                     pyatspi.ROLE_INVALID),
               f"focusable \"{obj.name}\" has no telling role ({role})")
        expect(not obj.name.endswith("pressed"), f"\"{obj.name}\" is a second control")
    expect(count > 0, "no focusable control found")


def check_details():
    window = find_window(DETAILS)
    check_focusable_controls(window)
    tables = [o for o in walk(window) if o.getRole() == pyatspi.ROLE_TABLE]
    expect(len(tables) == 1, f"{len(tables)} tables in the loan details dialog")
    if not tables:
        return
    results = tables[0]
    expect(results.name == "Loan Repayments", f"results table named \"{results.name}\"")
    expect(pyatspi.STATE_FOCUSED in states(results), "the results table does not have the focus")
    table = results.queryTable()
    expect((table.nRows, table.nColumns) == (5, 3),
           f"results table of {table.nRows} x {table.nColumns}")
    names = [table.getRowDescription(r) for r in range(table.nRows)]
    expect(names == ["Weekly", "Fortnightly", "Bi Monthly", "Monthly", "Quaterly"],
           f"row names {names}")
    for r in range(table.nRows):
        for c in range(table.nColumns):
            cell = table.getAccessibleAt(r, c)
            selected = pyatspi.STATE_SELECTED in states(cell)
            expect(selected == (r == 4),
                   f"cell {r},{c} \"{cell.name}\" {'is' if selected else 'is not'} selected")
    expect(table.getAccessibleAt(4, 0).name.startswith("$"), "no quarterly instalment")


def check_main():
    window = find_window(MAIN)
    check_focusable_controls(window)
    objects = list(walk(window))
    buttons = {o.name: o for o in objects if o.getRole() == pyatspi.ROLE_PUSH_BUTTON}
    # One object a picture button: the pressed picture is only how it looks.
    expect(len(buttons) == 4, f"push buttons {sorted(buttons)}, not the four picture buttons")
    pressed = [o.name for o in objects if o.name.endswith("pressed")]
    expect(not pressed, f"pressed pictures shown as objects: {pressed}")
    for name in ("New Loan", "Edit Loan", "Delete Loan", "Search"):
        button = buttons.get(name)
        expect(button is not None, f"no push button \"{name}\"")
        if button is None:
            continue
        action = button.queryAction()
        actions = [action.getName(i) for i in range(action.nActions)]
        expect("Press" in actions, f"\"{name}\" has no press action ({actions})")
    grids = [o for o in walk(window)
             if o.getRole() == pyatspi.ROLE_TABLE and o.name == "Loans"]
    expect(len(grids) == 1, "no table \"Loans\"")
    if grids:
        table = grids[0].queryTable()
        code, time_ = (table.getAccessibleAt(0, c).name for c in (0, 9))
        expect((code, time_) == ("HOME", "Quarterly"), f"the new row holds {code}, {time_}")


def check_bus():
    for _ in range(100):
        try:
            pyatspi.Registry.getDesktop(0).childCount
            return
        except Exception:  # the registry is still starting
            time.sleep(0.1)
    sys.exit("the accessibility bus did not answer")


{"bus": check_bus, "details": check_details, "main": check_main}[sys.argv[1]]()
if problems:
    print("\n".join(problems))
    sys.exit(1)
print(f"{sys.argv[1]}: ok")
