#!/usr/bin/env python3
"""Finds circles in the tree's include graph.

A node is one unit of code: a header and the source of the same name in the
same folder (gestured/sampler.h and gestured/sampler.cpp are one node). A
unit points at every unit whose header one of its files includes with
#include "NAME". Circles between units are reported, one path each, and the
exit status is 1; with none it says so and exits 0.

    scripts/include-cycles.py [--graph]     (--graph also prints every edge)
"""
import collections
import os
import re
import subprocess
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def tracked_sources(root):
    out = subprocess.run(['git', '-C', root, 'ls-files', '*.c', '*.cpp', '*.h', '*.h.in'],
                         check=True, capture_output=True, text=True).stdout
    return [p for p in out.splitlines() if p]


def unit_of(path):
    """gestured/sampler.cpp -> gestured/sampler; shared/version.h.in -> shared/version."""
    if path.endswith('.in'):
        path = path[:-3]
    return os.path.splitext(path)[0]


def main():
    root = subprocess.run(['git', 'rev-parse', '--show-toplevel'], check=True, capture_output=True,
                          text=True).stdout.strip()
    files = tracked_sources(root)
    # Headers by name; a generated header is found by its template's name.
    headers = collections.defaultdict(list)
    for f in files:
        name = os.path.basename(f[:-3] if f.endswith('.in') else f)
        if name.endswith('.h'):
            headers[name].append(f)

    edges = collections.defaultdict(set)
    problems = []
    for f in files:
        with open(os.path.join(root, f), encoding='utf-8', errors='replace') as text:
            names = INCLUDE.findall(text.read())
        for name in names:
            candidates = headers.get(os.path.basename(name), [])
            here = [c for c in candidates if os.path.dirname(c) == os.path.dirname(f)]
            if here:
                target = here[0]
            elif len(candidates) == 1:
                target = candidates[0]
            elif not candidates:
                continue  # a system or library header written with quotes
            else:
                problems.append(f'{f}: "{name}" could be any of {", ".join(candidates)}')
                continue
            if unit_of(target) != unit_of(f):
                edges[unit_of(f)].add(unit_of(target))

    if '--graph' in sys.argv:
        for unit in sorted(edges):
            for target in sorted(edges[unit]):
                print(f'{unit} -> {target}')

    circles = strongly_connected(edges)
    for p in problems:
        print(p)
    for component in circles:
        print('circle: ' + ' -> '.join(one_cycle(edges, component)))
    units = set(edges) | {t for ts in edges.values() for t in ts}
    if circles or problems:
        return 1
    edge_count = sum(len(t) for t in edges.values())
    print(f'include graph: {len(units)} units, {edge_count} edges, no circles')
    return 0


def strongly_connected(edges):
    """Tarjan's algorithm, iteratively; the components of more than one unit."""
    index, low, on_stack, stack, found = {}, {}, set(), [], []
    counter = [0]
    nodes = sorted(set(edges) | {t for ts in edges.values() for t in ts})
    for start in nodes:
        if start in index:
            continue
        work = [(start, iter(sorted(edges.get(start, ()))))]
        index[start] = low[start] = counter[0]
        counter[0] += 1
        stack.append(start)
        on_stack.add(start)
        while work:
            node, children = work[-1]
            child = next(children, None)
            if child is None:
                work.pop()
                if work:
                    low[work[-1][0]] = min(low[work[-1][0]], low[node])
                if low[node] == index[node]:
                    component = []
                    while True:
                        top = stack.pop()
                        on_stack.discard(top)
                        component.append(top)
                        if top == node:
                            break
                    if len(component) > 1:
                        found.append(sorted(component))
            elif child not in index:
                index[child] = low[child] = counter[0]
                counter[0] += 1
                stack.append(child)
                on_stack.add(child)
                work.append((child, iter(sorted(edges.get(child, ())))))
            elif child in on_stack:
                low[node] = min(low[node], index[child])
    return found


def one_cycle(edges, component):
    """A path from the component's first unit back to itself, inside the component."""
    members = set(component)
    start = component[0]
    previous = {start: None}
    queue = collections.deque([start])
    while queue:
        node = queue.popleft()
        for child in sorted(edges.get(node, ())):
            if child == start:
                path = [node]
                while previous[path[-1]] is not None:
                    path.append(previous[path[-1]])
                return list(reversed(path)) + [start]
            if child in members and child not in previous:
                previous[child] = node
                queue.append(child)
    return component


if __name__ == '__main__':
    sys.exit(main())
