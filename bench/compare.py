# Timing helper of bench/compare.sh: runs each benchmark program with QuillonMacro, yabasic, Lua 5.4 and
# bwbasic in turn, checks that all print the same result, and prints the best (least) or the median times and
# their ratios as a Markdown table.
import argparse
import datetime
import math
import os
import pathlib
import statistics
import subprocess
import sys
import tempfile
import threading
import time

DEFAULT_PROGRAMS = pathlib.Path(__file__).resolve().parent / "programs"
# Programs too large to keep in the repository are written by a script make_NAME.py beside the others, into
# this folder, each time they are measured.
GENERATED_PROGRAMS = pathlib.Path(__file__).resolve().parent.parent / "build" / "bench-programs"
INTERPRETERS = ("QuillonMacro", "yabasic", "lua5.4", "bwbasic")
EXTENSIONS = {"QuillonMacro": ".qlx", "yabasic": ".yab", "lua5.4": ".lua", "bwbasic": ".bas"}
CLOSING_LINE = "終了しました。"  # QuillonMacro's line after every command-line run
BWBASIC_BANNER = ("Bywater BASIC Interpreter", "Copyright (c)")
# The programs in the order of the table; any others follow alphabetically.
PREFERRED_ORDER = ("sum_loop", "fib", "strings", "sieve", "collatz", "array_int", "builtins_str", "builtins_num",
                   "calls_args", "if_chain", "big_macro", "empty")
# A program that only prints one number, to show what starting each interpreter costs.
START_UP_PROGRAM = {"QuillonMacro": "PRINT 1\r\n", "yabasic": "print 1\n", "lua5.4": "print(1)\n",
                    "bwbasic": "PRINT 1\nSYSTEM\n"}

# Targets of the speed work: QuillonMacro at most 1.0x yabasic's time (floor), at most Lua 5.4's time (goal;
# it was at most 3.0x before), and at least 20x faster than bwbasic.
FLOOR, LUA_GOAL, BWBASIC_FACTOR = 1.0, 1.0, 20.0


class RunResult:
    def __init__(self, wall, cpu, status, output, errors, timed_out):
        self.wall = wall
        self.cpu = cpu
        self.status = status
        self.output = output
        self.errors = errors
        self.timed_out = timed_out


def run_once(command, timeout):
    """Runs one command with no input and no display; returns its times, exit status and output."""
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        start = time.perf_counter()
        proc = subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=out, stderr=err, env=env)
        timed_out = threading.Event()

        def stop():
            timed_out.set()
            proc.kill()

        timer = threading.Timer(timeout, stop)
        timer.start()
        # wait4 reaps the child and reports the CPU time it used, which Popen.wait does not.
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
        timer.cancel()
        proc.returncode = os.waitstatus_to_exitcode(status)
        out.seek(0)
        err.seek(0)
        return RunResult(wall, usage.ru_utime + usage.ru_stime, proc.returncode,
                         out.read().decode("utf-8", "replace"), err.read().decode("utf-8", "replace"),
                         timed_out.is_set())


def result_lines(who, text):
    """The lines a program printed, without surrounding blanks, empty lines and each interpreter's extras."""
    lines = [line.strip() for line in text.splitlines()]
    if who == "bwbasic":
        lines = [line for line in lines if not line.startswith(BWBASIC_BANNER)]
    lines = [line for line in lines if line]
    if who == "QuillonMacro" and lines and lines[-1] == CLOSING_LINE:
        lines.pop()
    return lines


def failure_of(who, result):
    """Why a run counts as failed, or None. bwbasic exits 0 even after an error, so its text is checked."""
    if result.timed_out:
        return None
    detail = " / ".join(result_lines(who, result.errors + "\n" + result.output))[:300]
    if result.status != 0:
        return f"exit status {result.status}: {detail}"
    if who == "bwbasic" and any(line.startswith("ERROR") or "bwBASIC:" in line
                                for line in result.output.splitlines()):
        return f"reported an error: {detail}"
    return None


def command_for(who, qm, path):
    return {"QuillonMacro": [qm, path], "yabasic": ["yabasic", path], "lua5.4": ["lua5.4", path],
            "bwbasic": ["bwbasic", path]}[who]


def seconds_of(result, args):
    if result.timed_out:
        return math.inf
    return result.cpu if args.clock == "cpu" else result.wall


def program_path(program, who, args):
    """The file of one version of a program: in the folder of generated programs when a script writes it."""
    folder = args.generated_dir if program in args.generated else args.programs_dir
    return folder / (program + EXTENSIONS[who])


def measure(program, args):
    """Runs the interpreters alternately, round after round. Returns per interpreter the list of times (inf
    for a timeout) and the problems found (failed runs, outputs that differ from yabasic's), each once. A
    program without a bwbasic version is not run with bwbasic."""
    runs = {"QuillonMacro": args.runs, "yabasic": args.runs, "lua5.4": args.runs,
            "bwbasic": 0 if program in args.without_bwbasic else args.bwbasic_runs}
    times = {who: [] for who in INTERPRETERS}
    outputs = {}
    problems = {}
    for round_number in range(max(runs.values())):
        notes = []
        for who in INTERPRETERS:
            if round_number >= runs[who]:
                continue
            path = str(program_path(program, who, args))
            result = run_once(command_for(who, args.qm, path), args.timeout)
            times[who].append(seconds_of(result, args))
            notes.append(f"{who} " + (f"timed out after {args.timeout:g} s" if result.timed_out
                                      else f"{times[who][-1]:.3f} s"))
            failure = failure_of(who, result)
            if failure:
                problems.setdefault(who, f"{who} failed ({failure})")
            elif not result.timed_out:
                outputs.setdefault(who, result_lines(who, result.output))
        print(f"{program}: round {round_number + 1}: " + ", ".join(notes), file=sys.stderr, flush=True)
    reference = outputs.get("yabasic")
    for who, lines in outputs.items():
        if reference is not None and lines != reference:
            problems.setdefault(who, f"{who} printed {lines}, yabasic {reference}")
    return times, list(problems.values())


def summary_of(times, args):
    """The least or the median of the times of the runs, as asked for; nan when there were no runs."""
    if not times:
        return math.nan
    return min(times) if args.stat == "best" else statistics.median(times)


def measure_start_up(args):
    """The best or median time of a program that prints one number, per interpreter."""
    summaries = {}
    with tempfile.TemporaryDirectory() as folder:
        for who in INTERPRETERS:
            if who == "bwbasic" and args.bwbasic_runs == 0:
                summaries[who] = math.nan
                continue
            path = pathlib.Path(folder) / ("start_up" + EXTENSIONS[who])
            path.write_bytes(START_UP_PROGRAM[who].encode("ascii"))
            results = [run_once(command_for(who, args.qm, str(path)), args.timeout) for _ in range(args.runs)]
            summaries[who] = summary_of([seconds_of(r, args) for r in results], args)
    return summaries


def format_seconds(value, timeout):
    if math.isnan(value):
        return "–"
    if math.isinf(value):
        return f"> {timeout:g}"
    return f"{value:.3f}" if value < 10 else f"{value:.2f}" if value < 100 else f"{value:.1f}"


def format_ratio(numerator, denominator, timeout):
    """The ratio; a timed-out numerator gives a lower bound, a timed-out denominator no ratio at all."""
    if math.isinf(denominator) or math.isnan(numerator) or math.isnan(denominator):
        return "n/a"
    if math.isinf(numerator):
        return f"> {timeout / denominator:.2f}×"
    return f"{numerator / denominator:.2f}×"


def target_note(qm, yab, lua, bw, timeout):
    notes = []
    if not (math.isinf(qm) or math.isinf(yab)):
        notes.append("floor met" if qm / yab <= FLOOR else "**floor missed**")
    if not (math.isinf(qm) or math.isinf(lua)):
        notes.append("Lua goal met" if qm / lua <= LUA_GOAL else "**Lua goal missed**")
    if not math.isinf(qm) and not math.isnan(bw):
        # A bwbasic run that hit the limit took at least the limit.
        known = bw / qm if not math.isinf(bw) else timeout / qm
        verdict = "met" if known >= BWBASIC_FACTOR else "**missed**" if not math.isinf(bw) else "unknown"
        notes.append(f"≥{BWBASIC_FACTOR:g}× bwbasic {verdict}")
    return ", ".join(notes)


def cpu_model():
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as cpuinfo:
            for line in cpuinfo:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return "unknown CPU"


def print_table(rows, start_up, args, load):
    clock = "user+system CPU seconds" if args.clock == "cpu" else "wall-clock seconds"
    stat = "Least time of the runs" if args.stat == "best" else "Median of the runs"
    fewer = " (fewer: it is slow)" if args.bwbasic_runs < args.runs else ""
    def runs(count):
        return f"{count} run" + ("s" if count != 1 else "")

    print(f"Run of {datetime.date.today().isoformat()} on {cpu_model()}, nproc {os.cpu_count()}, "
          f"load average {load} at the start.")
    print(f"{stat}, in {clock}: QuillonMacro, yabasic and Lua 5.4 {runs(args.runs)} each, bwbasic "
          f"{runs(args.bwbasic_runs)}{fewer}; each run limited to {args.timeout:g} s.")
    print()
    print("| program | QuillonMacro s | yabasic s | Lua 5.4 s | bwbasic s | QuillonMacro / yabasic "
          "| QuillonMacro / Lua | bwbasic / QuillonMacro | output | targets |")
    print("|---|---:|---:|---:|---:|---:|---:|---:|---|---|")
    for name, summaries, verdict in rows:
        qm, yab, lua, bw = (summaries[who] for who in INTERPRETERS)
        cells = [name] + [format_seconds(value, args.timeout) for value in (qm, yab, lua, bw)]
        cells += [format_ratio(qm, yab, args.timeout), format_ratio(qm, lua, args.timeout),
                  format_ratio(bw, qm, args.timeout), verdict, target_note(qm, yab, lua, bw, args.timeout)]
        if name in args.without_bwbasic:
            cells[4] = cells[7] = ""  # the program has no bwbasic version
        print("| " + " | ".join(cells) + " |")
    print()
    start_up_times = (f"{who} {format_seconds(start_up[who], args.timeout)} s" for who in INTERPRETERS)
    print(f"Start-up (a program that prints one number, included in every time above; {args.stat} of "
          f"{runs(args.runs)}): " + ", ".join(start_up_times) + ".")
    if args.without_bwbasic:
        print("Without a bwbasic version (its cells left empty): " + ", ".join(args.without_bwbasic) + ".")
    print(f"Targets: QuillonMacro / yabasic at most {FLOOR:.1f}× (floor), QuillonMacro / Lua 5.4 at most "
          f"{LUA_GOAL:.1f}× (goal); bwbasic / QuillonMacro at least {BWBASIC_FACTOR:g}×.")


def parse_arguments():
    parser = argparse.ArgumentParser(description="Times bench/programs with QuillonMacro, yabasic, Lua 5.4, bwbasic.")
    parser.add_argument("-n", "--runs", type=int, default=5)
    parser.add_argument("-b", "--bwbasic-runs", type=int, default=3)
    parser.add_argument("-t", "--timeout", type=float, default=300.0)
    parser.add_argument("--clock", choices=("wall", "cpu"), default="wall")
    parser.add_argument("--stat", choices=("best", "median"), default="best",
                        help="report the least time of the runs (default) or their median")
    parser.add_argument("--qm", default="build/bin/QuillonMacro")
    parser.add_argument("--programs-dir", type=pathlib.Path, default=DEFAULT_PROGRAMS)
    parser.add_argument("programs", nargs="*")
    args = parser.parse_args()
    if args.runs < 1 or args.bwbasic_runs < 0:
        parser.error("QuillonMacro, yabasic and Lua need at least one run; -b 0 leaves bwbasic out")
    generators = {p.stem[len("make_"):]: p for p in args.programs_dir.glob("make_*.py")}
    if not args.programs:
        found = sorted({p.stem for p in args.programs_dir.glob("*.qlx")} | set(generators))
        args.programs = ([name for name in PREFERRED_ORDER if name in found]
                         + [name for name in found if name not in PREFERRED_ORDER])
    if not args.programs:
        parser.error(f"no .qlx programs in {args.programs_dir}")
    args.generated_dir = GENERATED_PROGRAMS
    args.generated = [name for name in args.programs if name in generators]
    for name in args.generated:
        print(f"{name}: writing it with {generators[name].name} into {args.generated_dir}", file=sys.stderr,
              flush=True)
        subprocess.run([sys.executable, str(generators[name]), str(args.generated_dir)], check=True)
    args.without_bwbasic = []
    for name in args.programs:
        for who in INTERPRETERS:
            path = program_path(name, who, args)
            if path.is_file():
                continue
            if who == "bwbasic":
                args.without_bwbasic.append(name)  # left out where bwbasic cannot run it in reasonable time
            else:
                parser.error(f"missing {path.name} in {path.parent}")
    return args


def main():
    args = parse_arguments()
    load = f"{os.getloadavg()[0]:.2f}"
    rows = []
    all_problems = []
    for name in args.programs:
        times, problems = measure(name, args)
        summaries = {who: summary_of(values, args) for who, values in times.items()}
        rows.append((name, summaries, "same" if not problems else "**MISMATCH / FAILED**"))
        all_problems += [f"{name}: {problem}" for problem in problems]
    start_up = measure_start_up(args)
    print_table(rows, start_up, args, load)
    if all_problems:
        print("\n!!! The interpreters disagree or failed; those rows do not compare like with like:",
              file=sys.stderr)
        for problem in all_problems:
            print(f"!!! {problem}", file=sys.stderr)
        print()
        print("**Problems:** " + "; ".join(all_problems))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
