# The OpenCV side of bench/findimg: times matchTemplate (TM_SQDIFF) + minMaxLoc on the same screens and
# templates, checks that both sides agree on the first exact match in column order, and prints the table.
import statistics
import sys
import time

import cv2
import numpy as np

CASES = [("found", "desktop.png", "found.png"), ("not found", "desktop.png", "absent.png"),
         ("uniform screen", "uniform.png", "found.png")]


def first_in_column_order(result, screen, templ):
    # TM_SQDIFF is summed in floating point, so an exact match need not give exactly 0 nor a near miss more
    # than 0.5: every position within the rounding margin is checked pixel for pixel (not timed).
    h, w = templ.shape[:2]
    margin = 0.5 + 1e-6 * float(np.sum(templ.astype(np.float64) ** 2))
    ys, xs = np.nonzero(result <= margin)
    for k in np.lexsort((ys, xs)):
        x, y = xs[k], ys[k]
        if np.array_equal(screen[y:y + h, x:x + w], templ):
            return f"{x},{y}"
    return "none"


def opencv_time(screen, templ, repeats):
    times = []
    for _ in range(repeats):
        start = time.perf_counter()
        result = cv2.matchTemplate(screen, templ, cv2.TM_SQDIFF)
        cv2.minMaxLoc(result)
        times.append((time.perf_counter() - start) * 1000)
    return statistics.median(times), result


def main(work, repeats, timer_file):
    with open(timer_file) as f:
        ours = [dict(item.split("=") for item in line.split()) for line in f if line.strip()]
    print(f"OpenCV {cv2.__version__}, {cv2.getNumThreads()} threads; medians of {repeats} runs, ms")
    print("| case | capture | search | FINDIMG (capture + load + search) | OpenCV | OpenCV / FINDIMG | position |")
    print("|---|---|---|---|---|---|---|")
    for (name, screen_file, templ_file), mine in zip(CASES, ours):
        screen = cv2.imread(f"{work}/{screen_file}")
        templ = cv2.imread(f"{work}/{templ_file}")
        ms, result = opencv_time(screen, templ, repeats)
        theirs = first_in_column_order(result, screen, templ)
        agree = "same" if theirs == mine["found"] else f"DIFFERENT (OpenCV {theirs})"
        findimg = float(mine["findimg_ms"])
        print(f"| {name} | {float(mine['capture_ms']):.2f} | {float(mine['search_ms']):.2f} | {findimg:.2f} "
              f"| {ms:.1f} | {ms / findimg:.1f}x | {mine['found']} ({agree}) |")


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]), sys.argv[3])
