#!/usr/bin/env python3
"""check-layers.py LAYERS_FILE GRAPH_DOT (CMake's --graphviz output) SOURCE_DIR: fails on a cycle among the project's
own targets, a link or an include into a higher layer, a program library that no layer names, a crossing missing from
ARCHITECTURE.md's line "Named crossings:" (or named there but gone), and a picture in ARCHITECTURE.md that names other
layers or libraries."""
import graphlib
import os
import re
import subprocess
import sys

# Third-party code, settings and the content tool's libraries: no layer of the program links them.
NOT_LAYERED = {"project_options", "sqlite3", "minizip", "zlib", "rapidjson", "content_core", "zip_writer"}


def main():
    layer_of, order, paths = {}, [], []
    for line in open(sys.argv[1], encoding="utf-8"):
        if ":" in (line := line.split("#", 1)[0]):
            name, rest = line.split(":", 1)
            targets, _, folders = rest.partition("|")
            order.append(name.strip())
            layer_of.update((target, len(order) - 1) for target in targets.split())
            paths += [(path, len(order) - 1) for path in folders.split()]
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
    architecture = open(os.path.join(sys.argv[3], "ARCHITECTURE.md"), encoding="utf-8").read()
    faults += include_faults(sys.argv[3], order, paths, architecture) + picture_faults(architecture, order, layer_of)
    print("\n".join(faults) if faults else "layers in order, no cycle: " + " < ".join(order))
    return 1 if faults else 0


def include_faults(root, order, paths, architecture):
    def layer(path):  # the layer of the longest path that the file lies in
        return max([(len(prefix), index) for prefix, index in paths if path.startswith(prefix)], default=(0, None))[1]
    named = re.search(r"^Named crossings: (.*)$", architecture, re.M)
    named = set(re.findall(r"`([^`]+)`", named[1])) if named else set()
    crossings = {path.rstrip("."): index for path, index in paths
                 if any(path.startswith(outer) and layer(outer) != index for outer, _ in paths)}
    faults = [f"{path}: a crossing of layer {order[index]} that ARCHITECTURE.md does not name"
              for path, index in crossings.items() if path not in named]
    faults += [f"{path}: named a crossing in ARCHITECTURE.md, but no layer has it"
               for path in sorted(named - crossings.keys())]
    files = subprocess.run(["git", "-C", root, "ls-files", *{path.split("/")[0] for path, _ in paths}],
                           capture_output=True, text=True).stdout.split()
    for file in files:  # an include indented under a condition counts too
        text = open(os.path.join(root, file), encoding="utf-8").read()
        for included in re.findall(r'^[ \t]*#[ \t]*include[ \t]*"([^"]+)"', text, re.M):
            if not os.path.exists(os.path.join(root, included)):  # beside the file, or generated
                included = os.path.normpath(os.path.join(os.path.dirname(file), included))
            low, high = layer(file), layer(included)
            if os.path.exists(os.path.join(root, included)) and None not in (low, high) and high > low:
                faults.append(f"{file} ({order[low]}) includes {included} of the higher layer {order[high]}")
    return faults


def picture_faults(architecture, order, layer_of):
    drawn = []  # (layer, libraries), from the top of the picture
    for line in re.search(r"## Layers\n.*?```\n(.*?)```", architecture, re.S)[1].splitlines():
        if numbered := re.match(r" ?\d+ (\S+) ", line):
            drawn.insert(0, (numbered[1], []))
        drawn[0][1].extend(re.findall(r"\b(?:setup_\w+|win32xx)\b", line))
    listed = [(name, [t for t, index in layer_of.items() if index == i]) for i, name in enumerate(order)]
    if [(name, sorted(libraries)) for name, libraries in drawn] != [(name, sorted(ts)) for name, ts in listed]:
        return [f"ARCHITECTURE.md draws the layers {drawn}, cmake/layers.txt {listed}"]
    return []


if __name__ == "__main__":
    sys.exit(main())
