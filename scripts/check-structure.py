#!/usr/bin/env python3
"""Checks the shape of the sources under src/ and lists what breaks it:

- a circle between classes: a class (its .h and .cpp) that needs another class that needs it
  back, directly or through others. A class needs another when its .h or .cpp includes the
  other's header.
- a hand-written file over 600 lines (generated tables, marked "GENERATED FILE", are data);
- a function over 80 lines, counted from its first line to its closing brace; a definition
  with "=" before its body is a table of data and is not counted.

Run from anywhere; exits 1 when something is listed."""

import pathlib
import re
import subprocess
import sys

MAX_FILE_LINES = 600
MAX_FUNCTION_LINES = 80

ROOT = pathlib.Path(__file__).resolve().parent.parent
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')
# String and character literals and comments, which may hold braces.
NOISE = re.compile(r'"(?:\\.|[^"\\])*"|\'(?:\\.|[^\'\\])*\'|//.*$')
# Namespaces and extern blocks hold definitions; their braces are not a body.
OPENS_SCOPE = re.compile(r"^\s*(?:inline\s+)?(?:namespace\b|extern\s*\{)")
TYPE_SCOPE = re.compile(r"\b(?:class|struct|enum|union)\b[^(]*\{\s*$")


def sources():
    listed = subprocess.run(["git", "ls-files", "src"], cwd=ROOT, capture_output=True,
                            text=True, check=True).stdout.split()
    return [p for p in listed if p.endswith((".h", ".cpp"))]


def generated(text):
    return "GENERATED FILE" in text[:200]


def circles(files, texts):
    """The groups of classes that need each other, each as a sorted list of stems."""
    stems = {f[:-2] for f in files if f.endswith(".h")}
    needs = {s: set() for s in stems}
    for f in files:
        stem = f.rsplit(".", 1)[0]
        if stem not in needs:
            continue
        for line in texts[f].splitlines():
            m = INCLUDE.match(line)
            if m and m.group(1).endswith(".h"):
                other = "src/" + m.group(1)[:-2]
                if other in stems and other != stem:
                    needs[stem].add(other)
    # Tarjan's strongly connected components, iteratively.
    index, low, on_stack, stack, groups, counter = {}, {}, set(), [], [], [0]
    for start in sorted(needs):
        if start in index:
            continue
        work = [(start, iter(sorted(needs[start])))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, it = work[-1]
            for nxt in it:
                if nxt not in index:
                    index[nxt] = low[nxt] = counter[0]
                    counter[0] += 1
                    stack.append(nxt)
                    on_stack.add(nxt)
                    work.append((nxt, iter(sorted(needs[nxt]))))
                    break
                if nxt in on_stack:
                    low[node] = min(low[node], index[nxt])
            else:
                work.pop()
                if work:
                    low[work[-1][0]] = min(low[work[-1][0]], low[node])
                if low[node] == index[node]:
                    group = []
                    while True:
                        member = stack.pop()
                        on_stack.discard(member)
                        group.append(member)
                        if member == node:
                            break
                    if len(group) > 1:
                        groups.append(sorted(group))
    return groups


def long_functions(text):
    """(first line, length, signature) of each function body longer than the limit."""
    found = []
    depth = 0
    statement = []  # the lines of the declaration being read at namespace level
    start = None
    scopes = []  # for each open brace: whether it counts as depth (namespaces do not)
    for number, raw in enumerate(text.splitlines(), 1):
        line = NOISE.sub("", raw)
        if line.lstrip().startswith("#"):
            continue
        if depth == 0 and line.strip():
            statement.append((number, line))
        for ch in line:
            if ch == "{":
                head = " ".join(l for _, l in statement)
                counts = not (depth == 0 and OPENS_SCOPE.match(line))
                if depth == 0 and counts:
                    body = "(" in head and "=" not in head.split("(")[0] \
                        and not TYPE_SCOPE.search(head)
                    start = (statement[0][0], head.strip()) if body else None
                scopes.append(counts)
                depth += counts
                if not counts:
                    statement = []
            elif ch == "}" and scopes:
                depth -= scopes.pop()
                if depth == 0:
                    if start and number - start[0] + 1 > MAX_FUNCTION_LINES:
                        found.append((start[0], number - start[0] + 1, start[1][:70]))
                    start = None
                    statement = []
            elif ch == ";" and depth == 0:
                statement = []
    return found


def main():
    files = sources()
    texts = {f: (ROOT / f).read_text(encoding="utf-8") for f in files}
    problems = []
    for group in circles(files, texts):
        problems.append("classes in a circle: " + " <-> ".join(g[4:] for g in group))
    for f in files:
        if generated(texts[f]):
            continue
        lines = texts[f].count("\n")
        if lines > MAX_FILE_LINES:
            problems.append(f"{f}: {lines} lines (at most {MAX_FILE_LINES})")
        for first, length, head in long_functions(texts[f]):
            problems.append(f"{f}:{first}: a function of {length} lines "
                            f"(at most {MAX_FUNCTION_LINES}): {head}")
    for p in problems:
        print(p, file=sys.stderr)
    if problems:
        return 1
    print(f"Structure: {len(files)} files under src/, no circle between classes, "
          f"no file over {MAX_FILE_LINES} lines, no function over {MAX_FUNCTION_LINES}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
