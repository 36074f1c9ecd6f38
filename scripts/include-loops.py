#!/usr/bin/env python3
"""Finds loops of includes between the parts of src/: a part is a header with its source
file (src/data/GroupStore.h and .cpp), and a part that includes another depends on it.
Prints each loop and exits non-zero when there is any.
   python3 scripts/include-loops.py [SRC_FOLDER]   (default ./src)"""
import os
import re
import sys

src = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), '..', 'src')
include = re.compile(r'#include "([^"]+)\.h"')
depends = {}
for folder, _, files in os.walk(src):
    for name in files:
        if not name.endswith(('.h', '.cpp')):
            continue
        path = os.path.join(folder, name)
        part = os.path.splitext(os.path.relpath(path, src))[0]
        with open(path, encoding='utf-8', errors='replace') as text:
            for line in text:
                found = include.match(line)
                if found and found.group(1) != part and os.path.exists(os.path.join(src, found.group(1) + '.h')):
                    depends.setdefault(part, set()).add(found.group(1))

# Tarjan's strongly connected components, without recursion.
index, low, stack, on_stack, loops = {}, {}, [], set(), []
for start in sorted(depends):
    if start in index:
        continue
    work = [(start, iter(sorted(depends.get(start, ()))))]
    index[start] = low[start] = len(index)
    stack.append(start)
    on_stack.add(start)
    while work:
        part, children = work[-1]
        child = next(children, None)
        if child is not None:
            if child not in index:
                index[child] = low[child] = len(index)
                stack.append(child)
                on_stack.add(child)
                work.append((child, iter(sorted(depends.get(child, ())))))
            elif child in on_stack:
                low[part] = min(low[part], index[child])
            continue
        work.pop()
        if work:
            low[work[-1][0]] = min(low[work[-1][0]], low[part])
        if low[part] == index[part]:
            members = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                members.append(member)
                if member == part:
                    break
            if len(members) > 1:
                loops.append(sorted(members))

for members in loops:
    print('include loop: ' + ' -> '.join(members))
sys.exit(1 if loops else 0)
