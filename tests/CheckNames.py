#!/usr/bin/env python3
"""Runs scripts/check-names over tests/names, a tree of headers whose lines
marked "// breaks" break the naming rule: each of those must be reported,
and nothing else, or the checker is wrong."""
import os
import subprocess
import sys

here = os.path.dirname(os.path.abspath(__file__))
tree = os.path.join(here, "names")
checker = os.path.join(here, "..", "scripts", "check-names")

planted = set()
for root, _, files in os.walk(tree):
    for name in files:
        path = os.path.join(root, name)
        with open(path, encoding="utf-8") as source:
            for number, line in enumerate(source, 1):
                if line.rstrip().endswith("// breaks"):
                    planted.add(f"{os.path.relpath(path, tree)}:{number}")

result = subprocess.run([checker, tree], capture_output=True, text=True, check=False)
reported = {":".join(line.split(":")[:2]) for line in result.stdout.splitlines()}

failures = [f"not reported: {place}" for place in sorted(planted - reported)]
failures += [f"reported, but allowed: {place}" for place in sorted(reported - planted)]
if result.returncode != 1:
    failures.append(f"exit status {result.returncode}, not 1:\n{result.stderr}")
print("\n".join(failures) or f"all {len(planted)} planted names reported, nothing else")
sys.exit(1 if failures else 0)
