#!/usr/bin/env python3
"""Holds the build graph to the program's layers (cmake/layers.txt).

Usage: check-layers.py LAYERS_FILE GRAPH_DOT

GRAPH_DOT is CMake's --graphviz output of the whole project. Fails on a cycle
among the project's own targets, on a link from a library to one of a higher
layer, and on a program library that no layer names (a new library must be
placed before it can be linked).
"""
import re
import sys

# Libraries of the project that are not the program's: third-party code,
# settings and the content tool's, which no layer of the program links.
NOT_LAYERED = {"project_options", "sqlite3", "minizip", "zlib", "rapidjson", "content_core", "zip_writer"}


def read_layers(path):
    layer_of = {}
    order = []
    for line in open(path, encoding="utf-8"):
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        name, targets = line.split(":", 1)
        order.append(name.strip())
        for target in targets.split():
            layer_of[target] = len(order) - 1
    return layer_of, order


def read_graph(path):
    """Returns {name: shape} and the set of (from, to) links, by target name."""
    labels, shapes, links = {}, {}, set()
    node = re.compile(r'^\s*"(node\d+)" \[ label = "([^"]+)", shape = (\w+) \];')
    edge = re.compile(r'^\s*"(node\d+)" -> "(node\d+)"')
    for line in open(path, encoding="utf-8"):
        if match := node.match(line):
            labels[match[1]] = match[2]
            shapes[match[2]] = match[3]
        elif match := edge.match(line):
            links.add((match[1], match[2]))
    return shapes, {(labels[a], labels[b]) for a, b in links}


def find_cycle(names, links):
    """One cycle among `names` as a list of targets, or None."""
    following = {name: sorted(b for a, b in links if a == name and b in names) for name in names}
    state = {}

    def visit(name, path):
        state[name] = "open"
        for successor in following[name]:
            if state.get(successor) == "open":
                return path[path.index(successor):] + [successor]
            if successor not in state:
                if cycle := visit(successor, path + [successor]):
                    return cycle
        state[name] = "done"
        return None

    for name in sorted(names):
        if name not in state:
            if cycle := visit(name, [name]):
                return cycle
    return None


def main():
    layer_of, order = read_layers(sys.argv[1])
    shapes, links = read_graph(sys.argv[2])
    # The graph marks a program with a post-build step on its own file as
    # depending on itself; no target links itself, so that edge is no cycle.
    links = {(a, b) for a, b in links if a != b}
    own = {name for name, shape in shapes.items() if shape in ("egg", "octagon", "pentagon")
           and not name.startswith("delayed_") and name not in NOT_LAYERED}
    faults = []
    if cycle := find_cycle(own, links):
        faults.append("cycle: " + " -> ".join(cycle))
    for name in sorted(own):
        if shapes[name] != "egg" and name not in layer_of:
            faults.append(f"{name}: a library of the program that no layer names")
    for a, b in sorted(links):
        if a in layer_of and b in layer_of and layer_of[b] > layer_of[a]:
            faults.append(f"{a} ({order[layer_of[a]]}) links {b} of the higher layer {order[layer_of[b]]}")
    for fault in faults:
        print(fault)
    if faults:
        return 1
    print("layers in order, no cycle: " + " < ".join(order))
    return 0


if __name__ == "__main__":
    sys.exit(main())
