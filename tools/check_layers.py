#!/usr/bin/env python3
"""Checks that the sources keep their layers: no file includes a header of a layer above its own
or of a sibling wing, and no units include each other, directly or round a loop.

Layers, lowest first; a file may include headers of its own layer and of the layers below:
  core/base < core/text < core/names < core/fs < core/plan, core/history, core/meta (siblings) < interaction (the window
  port and the dialogue) < rules, actions (siblings) < ui < app.
A unit is a header and its source (core/fs/disk.h with core/fs/disk.cpp). Core, below the window,
also names no widget (component::), includes no Qt and keeps no window painting (pumpMessages).

Usage: check_layers.py ROOT   (exit 1 and one line per fault when the layers are broken)
"""
import os
import re
import sys

FOLDERS = ["core", "rules", "actions", "interaction", "ui", "app"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
# What only the layers above core may do: name a widget, use Qt, pump the window's events.
WINDOW_ONLY = re.compile(r'component::|#\s*include\s+<Q|pumpMessages')


def layer_of(path):
    """(rank, wing) of a source path relative to the root; None for files outside the layers."""
    parts = path.split("/")
    if parts[0] == "core":
        wing = parts[1] if len(parts) > 2 else ""
        ranks = {"base": -1, "text": 0, "names": 1, "fs": 2, "plan": 3, "history": 3, "meta": 3, "": 4}
        if wing not in ranks:
            return None
        return ranks[wing], "core/" + wing if wing else "core"
    ranks = {"interaction": 5, "rules": 6, "actions": 6, "ui": 7, "app": 8}
    if parts[0] in ranks:
        return ranks[parts[0]], parts[0]
    return None


def sources(root):
    for top in FOLDERS:
        for folder, _, files in os.walk(os.path.join(root, top)):
            for name in files:
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")


def unit(path):
    return os.path.splitext(path)[0]


def loops(graph):
    """The strongly connected groups of more than one unit (Tarjan's algorithm)."""
    index, low, stack, on_stack, found = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in graph.get(v, ()):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            group = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                group.append(w)
                if w == v:
                    break
            if len(group) > 1:
                found.append(sorted(group))

    for v in sorted(graph):
        if v not in index:
            visit(v)
    return found


def check(root):
    faults = []
    graph = {}
    for path in sources(root):
        mine = layer_of(path)
        if mine is None:
            continue
        with open(os.path.join(root, path), encoding="utf-8") as f:
            text = f.read()
        if path.startswith("core/"):
            for line_number, line in enumerate(text.splitlines(), 1):
                code = line.split("//", 1)[0]
                found = WINDOW_ONLY.search(code)
                if found:
                    faults.append(f"{path}:{line_number}: core uses {found.group(0).strip()}, which only the window's layers may")
        for included in INCLUDE.findall(text):
            theirs = layer_of(included)
            if theirs is None:
                continue
            if theirs[0] > mine[0] or (theirs[0] == mine[0] and theirs[1] != mine[1]):
                faults.append(f"{path}: includes {included}, of {theirs[1]}, which {mine[1]} may not use")
            if unit(included) != unit(path):
                graph.setdefault(unit(path), set()).add(unit(included))
    for group in loops(graph):
        faults.append("units that include each other: " + ", ".join(group))
    return faults


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    faults = check(sys.argv[1])
    for fault in faults:
        print(fault)
    if not faults:
        print("layers kept")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
