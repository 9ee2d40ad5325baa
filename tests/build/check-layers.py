#!/usr/bin/env python3
"""check-layers.py LAYERS_FILE GRAPH_DOT (CMake's --graphviz output): fails on a cycle among the project's
own targets, a link from a library to one of a higher layer, and a program library that no layer names."""
import graphlib
import re
import sys

# Third-party code, settings and the content tool's libraries: no layer of the program links them.
NOT_LAYERED = {"project_options", "sqlite3", "minizip", "zlib", "rapidjson", "content_core", "zip_writer"}


def main():
    layer_of, order = {}, []
    for line in open(sys.argv[1], encoding="utf-8"):
        if ":" in (line := line.split("#", 1)[0]):
            name, targets = line.split(":", 1)
            order.append(name.strip())
            layer_of.update((target, len(order) - 1) for target in targets.split())
    labels, shapes, links = {}, {}, set()
    for line in open(sys.argv[2], encoding="utf-8"):
        if node := re.match(r'^\s*"(node\d+)" \[ label = "([^"]+)", shape = (\w+) \];', line):
            labels[node[1]], shapes[node[2]] = node[2], node[3]
        elif edge := re.match(r'^\s*"(node\d+)" -> "(node\d+)"', line):
            links.add((edge[1], edge[2]))
    # A program with a post-build step on its own file depends on itself in the graph: no cycle.
    links = {(labels[a], labels[b]) for a, b in links if a != b}
    own = {name for name, shape in shapes.items() if shape in ("egg", "octagon", "pentagon")
           and not name.startswith("delayed_") and name not in NOT_LAYERED}
    faults = []
    try:
        graphlib.TopologicalSorter({name: {b for a, b in links if a == name and b in own} for name in own}).prepare()
    except graphlib.CycleError as error:
        faults.append("cycle: " + " -> ".join(reversed(error.args[1])))
    faults += [f"{name}: a library of the program that no layer names"
               for name in sorted(own) if shapes[name] != "egg" and name not in layer_of]
    faults += [f"{a} ({order[layer_of[a]]}) links {b} of the higher layer {order[layer_of[b]]}"
               for a, b in sorted(links) if a in layer_of and b in layer_of and layer_of[b] > layer_of[a]]
    print("\n".join(faults) if faults else "layers in order, no cycle: " + " < ".join(order))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
