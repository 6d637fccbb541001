#!/usr/bin/env python3
"""Helpers for bench/compare_peers.sh: input generation, one timed run, the summary table.

  peer_tools.py lines PATH                    write the 200,000-line text file
  peer_tools.py program PATH EXPECTED         write the 400,000-definition rill program and
                                              the output it must print
  peer_tools.py run OUT -- COMMAND...         run COMMAND with standard output to OUT and
                                              standard error to OUT.err; print
                                              "SECONDS PEAK_KIB EXIT_STATUS"
  peer_tools.py table RECORDS                 print the markdown table of a records file
                                              (one run a line: workload side name
                                              seconds peak_kib agree)

Everything generated is deterministic, so the same inputs are made on every machine.
"""

import math
import os
import statistics
import subprocess
import sys
import time

LINE_COUNT = 200_000
DEFINITION_COUNT = 400_000
HUGS_WORKLOADS = ["nfib", "church", "primes", "squares", "lines"]


def write_lines(path):
    """200,000 lines of decimal numbers, 1.17 MB in all."""
    with open(path + ".part", "w") as out:
        for i in range(LINE_COUNT):
            out.write(f"{(i * 7919 + 13) % 74067}\n")
    os.replace(path + ".part", path)


def definition_name(i):
    """q followed by four letters: no built-in name starts with q, and digits are not
    allowed in names."""
    letters = []
    for _ in range(4):
        i, r = divmod(i, 26)
        letters.append(chr(ord("a") + r))
    return "q" + "".join(reversed(letters))


def write_program(path, expected_path):
    """A binary tree of constants: definition i adds up definitions 2i+1 and 2i+2 and a
    small number, a leaf is a number of its own. The entry prints the root's value, so
    every definition is reachable and evaluated once. About 6.7 MB."""
    n = DEFINITION_COUNT
    total = 0
    with open(path + ".part", "w") as out:
        out.write(f"K(seq(num({definition_name(0)}),0)),\n")
        out.write("seq\\a\\b\\b,\n")
        out.write("out\\s\\fwrite(s,1,rank(s),stdout),\n")
        out.write("num\\n\\seq(out(init([]+n)),putchar(10))")
        for i in range(n):
            left, right = 2 * i + 1, 2 * i + 2
            if left >= n:
                value = (i * 37) % 500
                body = str(value)
            else:
                value = i % 500
                body = definition_name(left)
                if right < n:
                    body += "+" + definition_name(right)
                body += f"+{value}"
            total += value
            out.write(f",\n{definition_name(i)}\\{body}")
        out.write("\n")
    os.replace(path + ".part", path)
    with open(expected_path, "w") as out:
        out.write(f"{total}\n")


def timed_run(out_path, command):
    """Wall time on a monotonic clock around the run, and the child's peak resident set.

    The peak comes from GNU time, which starts the command from its own small process: a
    child forked straight from this Python would inherit Python's resident set as the
    starting point of its peak (Linux keeps the high-water mark across exec)."""
    usage_path = out_path + ".usage"
    with open(out_path, "wb") as out, open(out_path + ".err", "wb") as err:
        start = time.perf_counter()
        status = subprocess.call(
            ["/usr/bin/time", "-q", "-f", "%M", "-o", usage_path, *command],
            stdin=subprocess.DEVNULL, stdout=out, stderr=err)
        seconds = time.perf_counter() - start
    with open(usage_path) as usage:
        peak_kib = int(usage.read().split()[-1])
    print(f"{seconds:.6f} {peak_kib} {status}")


def seconds_text(s):
    if s < 0.1:
        return f"{s * 1000:.1f} ms"
    return f"{s:.3f} s"


def mib_text(kib):
    return f"{kib / 1024:.1f} MiB"


def print_table(records_path):
    runs = {}  # workload -> {"rill": [...], "peer": [...], "peer_name": str, "agree": bool}
    order = []
    with open(records_path) as records:
        for line in records:
            workload, side, name, seconds, peak, agree = line.split()
            if workload not in runs:
                runs[workload] = {"rill": [], "peer": [], "peer_name": "-", "agree": True}
                order.append(workload)
            entry = runs[workload]
            entry[side].append((float(seconds), int(peak)))
            if side == "peer":
                entry["peer_name"] = name
            entry["agree"] = entry["agree"] and agree == "yes"

    print("| workload | rill median | rill peak | peer | peer median | peer peak "
          "| median rill/peer | outputs |")
    print("|---|---:|---:|---|---:|---:|---:|---|")
    hugs_ratios = {}
    for workload in order:
        entry = runs[workload]
        rill = entry["rill"]
        peer = entry["peer"]
        rill_median = statistics.median(s for s, _ in rill)
        rill_peak = statistics.median(k for _, k in rill)
        agree = "agree" if entry["agree"] else "DIFFER"
        if peer:
            peer_median = statistics.median(s for s, _ in peer)
            peer_peak = statistics.median(k for _, k in peer)
            ratio = statistics.median(r[0] / p[0] for r, p in zip(rill, peer))
            if entry["peer_name"] == "hugs" and workload in HUGS_WORKLOADS:
                hugs_ratios[workload] = ratio
            print(f"| {workload} | {seconds_text(rill_median)} | {mib_text(rill_peak)} "
                  f"| {entry['peer_name']} | {seconds_text(peer_median)} "
                  f"| {mib_text(peer_peak)} | {ratio:.2f} | {agree} |")
        else:
            print(f"| {workload} | {seconds_text(rill_median)} | {mib_text(rill_peak)} "
                  f"| - | - | - | - | {agree} |")
    if hugs_ratios:
        mean = math.exp(sum(math.log(r) for r in hugs_ratios.values()) / len(hugs_ratios))
        names = ", ".join(w for w in HUGS_WORKLOADS if w in hugs_ratios)
        print()
        print(f"Geometric mean of the rill/Hugs ratios ({names}): {mean:.2f}")
        if len(hugs_ratios) < len(HUGS_WORKLOADS):
            print(f"(only {len(hugs_ratios)} of the {len(HUGS_WORKLOADS)} Hugs workloads ran)")


def main(argv):
    if len(argv) >= 3 and argv[1] == "lines":
        write_lines(argv[2])
    elif len(argv) >= 4 and argv[1] == "program":
        write_program(argv[2], argv[3])
    elif len(argv) >= 5 and argv[1] == "run" and argv[3] == "--":
        timed_run(argv[2], argv[4:])
    elif len(argv) >= 3 and argv[1] == "table":
        print_table(argv[2])
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
