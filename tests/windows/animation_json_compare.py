#!/usr/bin/env python3
"""animation_json_compare.py EXPECTED ACTUAL: passes (exit 0) when two animation
documents written by `movara import --json` describe the same animation: the
same structure, names, frames and flags, and numbers equal to within the
single-precision rounding that different C maths libraries may differ by. An
animation without a single key fails: an empty import proves nothing."""
import json
import math
import sys

RELATIVE_TOLERANCE = 1e-6
ABSOLUTE_TOLERANCE = 1e-6


def differences_f(expected, actual, where):
    if isinstance(expected, bool) or isinstance(actual, bool):
        return [] if expected is actual else [f"{where}: {expected!r} != {actual!r}"]
    if isinstance(expected, (int, float)) and isinstance(actual, (int, float)):
        if math.isclose(expected, actual, rel_tol=RELATIVE_TOLERANCE, abs_tol=ABSOLUTE_TOLERANCE):
            return []
        return [f"{where}: {expected!r} != {actual!r}"]
    if isinstance(expected, dict) and isinstance(actual, dict):
        if sorted(expected) != sorted(actual):
            return [f"{where}: keys {sorted(expected)} != {sorted(actual)}"]
        found = []
        for key in expected:
            found += differences_f(expected[key], actual[key], f"{where}.{key}")
        return found
    if isinstance(expected, list) and isinstance(actual, list):
        if len(expected) != len(actual):
            return [f"{where}: {len(expected)} entries != {len(actual)}"]
        found = []
        for index, (left, right) in enumerate(zip(expected, actual)):
            found += differences_f(left, right, f"{where}[{index}]")
        return found
    return [] if expected == actual else [f"{where}: {expected!r} != {actual!r}"]


def key_count_f(document):
    count = 0
    for figure in document.get("figures", []):
        for group in ("orientation_keys", "channel_keys"):
            for keys in figure.get(group, {}).values():
                count += len(keys)
    return count


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    documents = []
    for path in sys.argv[1:]:
        try:
            with open(path, encoding="utf-8") as file:
                documents.append(json.load(file))
        except (OSError, ValueError) as error:
            print(f"{path}: {error}", file=sys.stderr)
            return 1
    expected, actual = documents
    found = differences_f(expected, actual, "animation")
    if key_count_f(expected) == 0:
        found.append(f"{sys.argv[1]}: the animation has no keys")
    for line in found[:20]:
        print(line, file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
