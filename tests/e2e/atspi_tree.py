#!/usr/bin/python3
# Prints the accessible tree of the application whose name is the first argument, as a screen
# reader reads it through AT-SPI: one line per object, "role<TAB>name<TAB>description<TAB>value"
# (the value only for objects that have one, such as gauges). Exits with 1 when the
# application is not on the bus within ten seconds.
import sys
import time

import pyatspi


def walk(node, out, depth=0):
    if node is None or depth > 20:
        return
    try:
        value = ""
        try:
            value = str(int(node.queryValue().currentValue))
        except NotImplementedError:
            pass
        out.append("\t".join([node.getRoleName(), node.name or "", node.description or "", value]))
        for child in node:
            walk(child, out, depth + 1)
    except Exception as error:  # an object that went away while it was read
        out.append("error\t" + str(error).replace("\n", " ") + "\t\t")


def main():
    wanted = sys.argv[1].lower()
    deadline = time.time() + 10
    while time.time() < deadline:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and (app.name or "").lower() == wanted:
                lines = []
                walk(app, lines)
                print("\n".join(lines))
                return 0
        time.sleep(0.2)
    print("no application named " + sys.argv[1] + " on the accessibility bus", file=sys.stderr)
    return 1


if __name__ == "__main__":
    sys.exit(main())
