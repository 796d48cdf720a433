# Start-up and parse times of the command-line run: QuillonMacro of a one-line macro (against yabasic and
# lua5.4 of one line) and of a 10,000-line macro that ends at its second line, as medians of CPU and wall time.
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import time

BLOCK = [
    "total = total + i * 2 - 1", 's = s + MID("abcdefgh", 2, 3)', "IF (total MOD 7 = 0) AND (i > 3) THEN",
    "  count = count + 1", "ELSE", "  count = count - 1", "END IF", "FOR i = 1 TO 10 STEP 2",
    "  arr(i) = arr(i) + LEN(s)", "NEXT", "WHILE count < 0", "  count = count + 5", "WEND",
    "' keep the text short: cut it back when it grows", "s = LEFT(s, 20)", 'PRINT "total: " ; total',
    'x = helper(total, 3) + INSTR(s, "cd") + VAL("12")',
]


def long_macro(lines):
    """A macro of about `lines` typical lines that stops at END on its second line: running it is parsing it."""
    body = (lines - 5) // len(BLOCK) * len(BLOCK)
    text = ["DIM total, count, i, s, x, arr(10)", "END"] + [BLOCK[k % len(BLOCK)] for k in range(body)]
    text += ["FUNCTION helper(a, b)", "  helper = a * b", "END FUNCTION"]
    return "\r\n".join(text) + "\r\n"


def timed(command, runs):
    cpu, wall = [], []
    for _ in range(runs):
        start = time.perf_counter()
        proc = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        _, _, usage = os.wait4(proc.pid, 0)
        wall.append(time.perf_counter() - start)
        cpu.append(usage.ru_utime + usage.ru_stime)
    return statistics.median(cpu), statistics.median(wall)


def main():
    qm = sys.argv[1] if len(sys.argv) > 1 else "build/bin/QuillonMacro"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 11
    display = os.environ.get("DISPLAY") or "none"
    with tempfile.TemporaryDirectory() as folder:
        files = {"one.qlx": "PRINT 1\r\n", "one.yab": "print 1\n", "one.lua": "print(1)\n",
                 "long.qlx": long_macro(10000)}
        for name, text in files.items():
            pathlib.Path(folder, name).write_bytes(text.encode("ascii"))
        cases = [("QuillonMacro, one line", [qm, f"{folder}/one.qlx"]),
                 ("QuillonMacro, 10,000 lines", [qm, f"{folder}/long.qlx"]),
                 ("yabasic, one line", ["yabasic", f"{folder}/one.yab"]),
                 ("lua5.4, one line", ["lua5.4", f"{folder}/one.lua"])]
        print(f"DISPLAY={display}, medians of {runs} runs")
        print("| run | CPU s | wall s |")
        print("|---|---:|---:|")
        for label, command in cases:
            cpu, wall = timed(command, runs)
            print(f"| {label} | {cpu:.3f} | {wall:.3f} |")


if __name__ == "__main__":
    main()
