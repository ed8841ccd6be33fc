#!/usr/bin/env python3
"""Lists the clang-tidy units of scripts/style.sh, each project source once, with a cache key.

    tidy_units.py ROOT SALT BUILD_DIR...   prints "DIR FILE KEY" lines

A source is taken from the first build folder whose compile_commands.json compiles it. Its key
is a hash of SALT (the tool's version, its configuration and extra arguments), the source's
compile command, and the text of the source and of every project header it reaches through
#include "..." (found beside the including file or from the root, as the build finds them), so
that a cached result stands for as long as nothing it was computed from has changed.
"""
import hashlib
import json
import os
import re
import sys

PROJECT_FOLDERS = ("engine/", "extract/", "library/", "platform/", "probe/", "tools/", "tests/",
                   "bench/")
INCLUDE = re.compile(rb'^\s*#\s*include\s*"([^"]+)"', re.M)


def main():
    root, salt, dirs = sys.argv[1], sys.argv[2], sys.argv[3:]
    texts = {}

    def text(path):
        if path not in texts:
            try:
                with open(path, "rb") as f:
                    texts[path] = f.read()
            except OSError:
                texts[path] = None
        return texts[path]

    def reached(source):
        seen, todo = set(), [source]
        while todo:
            path = todo.pop()
            if path in seen:
                continue
            seen.add(path)
            for name in INCLUDE.findall(text(path) or b""):
                name = name.decode()
                for base in (os.path.dirname(path), root):
                    candidate = os.path.realpath(os.path.join(base, name))
                    if text(candidate) is not None:
                        todo.append(candidate)
                        break
        return sorted(seen)

    seen = set()
    for d in dirs:
        with open(os.path.join(d, "compile_commands.json")) as f:
            entries = json.load(f)
        for e in entries:
            path = os.path.realpath(os.path.join(e["directory"], e["file"]))
            rel = os.path.relpath(path, root)
            # Resource scripts have commands too (for windres): C and C++ only.
            if not rel.startswith(PROJECT_FOLDERS) or not rel.endswith((".cpp", ".c")) or path in seen:
                continue
            seen.add(path)
            key = hashlib.sha256(salt.encode())
            key.update(json.dumps(e.get("arguments") or e.get("command")).encode())
            for header in reached(path):
                key.update(os.path.relpath(header, root).encode() + b"\0")
                key.update(text(header) or b"")
            print(d, rel, key.hexdigest())


if __name__ == "__main__":
    main()
