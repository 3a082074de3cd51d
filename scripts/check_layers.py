#!/usr/bin/env python3
"""Checks that the source areas depend one way.

In src/core and in src/gui every folder is an area; an area includes another by `#include "core/<area>/…"`
(or `gui/<area>/…`). The check fails when two areas reach each other through includes (a cycle of any
length), when the engine adaptor core/db includes anything but base and jobs, when gui/widgets
includes another GUI folder, or when a window's source holds SQL text. Usage: check_layers.py SOURCE_ROOT (the folder holding core/ and gui/).
"""
import os
import re
import sys

INCLUDE = re.compile(r'\s*#\s*include\s+"(core|gui)/([^/"]+)/')
# A statement in a string literal: the windows ask the core for what they show and hold no SQL.
SQL = re.compile(r'"[^"\n]*\b(select\s[^"\n]*\bfrom|insert\s+into|delete\s+from|update\s+\w+\s+set|create\s+table|drop\s+table)\b',
                 re.IGNORECASE)
# What an area may include besides itself; areas not named here may include any area that does not
# make a cycle.
ONLY = {("core", "db"): {"base", "jobs"}, ("gui", "widgets"): set()}


def edges_of(root, part):
    edges, where = {}, {}
    top = os.path.join(root, part)
    for area in sorted(os.listdir(top)):
        folder = os.path.join(top, area)
        if not os.path.isdir(folder):
            continue
        edges.setdefault(area, set())
        for base, _, names in os.walk(folder):
            for name in names:
                if not name.endswith((".h", ".cpp")):
                    continue
                path = os.path.join(base, name)
                with open(path, encoding="utf-8") as f:
                    for line in f:
                        m = INCLUDE.match(line)
                        if m and m.group(1) == part and m.group(2) != area:
                            edges[area].add(m.group(2))
                            where.setdefault((area, m.group(2)), os.path.relpath(path, root))
    return edges, where


def cycles(edges):
    index, low, stack, on, found, counter = {}, {}, [], set(), [], [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                found.append(sorted(component))

    for v in sorted(edges):
        if v not in index:
            visit(v)
    return found


def main(root):
    faults = []
    for part in ("core", "gui"):
        edges, where = edges_of(root, part)
        for component in cycles(edges):
            links = [f"{a} -> {b} ({where[(a, b)]})" for a in component for b in sorted(edges[a]) if b in component]
            faults.append(f"{part}: areas that include each other: {', '.join(component)}\n    " + "\n    ".join(links))
        for (p, area), allowed in ONLY.items():
            if p != part:
                continue
            for other in sorted(edges.get(area, set()) - allowed):
                faults.append(f"{part}/{area} includes {part}/{other} ({where[(area, other)]})")
    for base, _, names in os.walk(os.path.join(root, "gui")):
        for name in sorted(names):
            if name.endswith((".h", ".cpp")):
                path = os.path.join(base, name)
                with open(path, encoding="utf-8") as f:
                    for number, line in enumerate(f, 1):
                        if SQL.search(line):
                            faults.append(f"SQL text in a window: {os.path.relpath(path, root)}:{number}")
    for fault in faults:
        print(fault)
    print("layers: " + ("ok" if not faults else f"{len(faults)} fault(s)"))
    return 1 if faults else 0


def self_test():
    """The check finds each kind of fault in a made-up tree and passes a sound one."""
    import contextlib
    import io
    import tempfile

    cases = [
        ("sound", {"core/a/a.h": "core/base/t.h", "core/base/t.h": "", "gui/widgets/w.h": "core/a/a.h"}, 0),
        ("cycle of two", {"core/a/a.h": "core/b/b.h", "core/b/b.h": "core/a/a.h"}, 1),
        ("cycle of three", {"core/a/a.h": "core/b/b.h", "core/b/b.h": "core/c/c.h", "core/c/c.h": "core/a/a.h"}, 1),
        ("engine reaches up", {"core/db/d.cpp": "core/files/f.h", "core/files/f.h": ""}, 1),
        ("widgets reach an area", {"gui/widgets/w.cpp": "gui/entry/e.h", "gui/entry/e.h": ""}, 1),
    ]
    sql_cases = [("a window with a statement", 'auto q = "SELECT c901 FROM dt_data";', 1),
                 ("a window with words only", 'auto t = "请选择要导入的数据";', 0)]
    bad = 0
    for name, files, expected in cases:
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, "core"))
            os.makedirs(os.path.join(root, "gui"))
            for path, included in files.items():
                os.makedirs(os.path.dirname(os.path.join(root, path)), exist_ok=True)
                with open(os.path.join(root, path), "w", encoding="utf-8") as f:
                    f.write(f'#include "{included}"\n' if included else "")
            with contextlib.redirect_stdout(io.StringIO()):
                got = main(root)
        if got != expected:
            print(f"self-test {name}: exit {got}, expected {expected}")
            bad += 1
    for name, text, expected in sql_cases:
        with tempfile.TemporaryDirectory() as root:
            os.makedirs(os.path.join(root, "core"))
            os.makedirs(os.path.join(root, "gui", "app"))
            with open(os.path.join(root, "gui", "app", "w.cpp"), "w", encoding="utf-8") as f:
                f.write(text + "\n")
            with contextlib.redirect_stdout(io.StringIO()):
                got = main(root)
        if got != expected:
            print(f"self-test {name}: exit {got}, expected {expected}")
            bad += 1
    print("self-test: " + ("ok" if not bad else f"{bad} case(s) wrong"))
    return 1 if bad else 0


if __name__ == "__main__":
    if sys.argv[1:] == ["--self-test"]:
        sys.exit(self_test())
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "src"))
