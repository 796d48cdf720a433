#!/usr/bin/env python3
# Checks the macro examples people copy (README, man pages, examples/, the viewer's Data.ini) for KBD lines
# without an action: such a line only presses the key and leaves it held. Usage: check-key-examples.py SOURCE
import pathlib
import re
import sys

KBD = re.compile(r"^\s*KBD\s+(.*)$", re.IGNORECASE)


def top_level_arguments(text):
    """Counts the arguments of a statement, ignoring commas inside brackets and strings and the comment."""
    depth, count, quoted = 0, 1, False
    for ch in text:
        if ch == '"':
            quoted = not quoted
        elif quoted:
            continue
        elif ch == "'":
            break
        elif ch == "(":
            depth += 1
        elif ch == ")":
            depth -= 1
        elif ch == "," and depth == 0:
            count += 1
    return count


def macro_lines(path):
    """Yields (line number, macro line) of the places in a file where macro text stands."""
    text = path.read_text(encoding="utf-8")
    if path.suffix == ".md":
        inside = False
        for number, line in enumerate(text.splitlines(), 1):
            if line.strip().startswith("```"):
                inside = not inside
            elif inside:
                yield number, line
    elif path.suffix == ".ini":
        for number, line in enumerate(text.splitlines(), 1):
            for part in line.split("|"):
                yield number, part
    else:
        for number, line in enumerate(text.splitlines(), 1):
            yield number, re.sub(r"^\\f.|\\f.", "", line)


def main():
    source = pathlib.Path(sys.argv[1])
    files = [source / "README.md", *sorted((source / "packaging").glob("*.1")),
             *sorted((source / "examples").glob("*.qlx")), source / "viewer" / "data" / "Data.ini"]
    faults = []
    for path in files:
        if not path.exists():
            continue
        for number, line in macro_lines(path):
            match = KBD.match(line)
            if match and top_level_arguments(match.group(1)) < 2:
                faults.append(f"{path.relative_to(source)}:{number}: {line.strip()}")
    for fault in faults:
        print(f"KBD without an action leaves the key held: {fault}", file=sys.stderr)
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
