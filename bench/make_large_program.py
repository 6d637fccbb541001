#!/usr/bin/env python3
"""Writes a large rill program for timing how fast a program is taken in and checked.

  make_large_program.py PATH [COUNT]

COUNT definitions (400,000 by default, about 7.3 MB) form a binary tree: definition i
calls definitions 2i+1 and 2i+2 where they exist, so the entry reaches every one of them
and nothing is dropped as dead. Definitions take zero, one or two parameters, use
arithmetic, comparisons, selections, lets, a few pair lets and quotes, and every
sixteenth one names its locals with words, which the checks must give letters (and log).
Many bodies repeat the same small subterms, so sharing has real work to do.

The entry only names the root in a branch it never takes, so the run itself is trivial:
the program exits with status 7. Everything is deterministic.
"""

import itertools
import os
import re
import sys

DEFAULT_COUNT = 400_000
EXIT_STATUS = 7

LETTERS = "abcdefghijklmnopqrstuvwxyz"
HERE = os.path.dirname(os.path.abspath(__file__))


def built_in_names():
    """The names of the built-ins, which no definition may take."""
    with open(os.path.join(HERE, "..", "builtins", "builtin_table.cpp")) as table:
        return set(re.findall(r'\{"([a-z_]+)"', table.read()))


def all_names():
    """Every word of two or more letters, shorter first."""
    for length in itertools.count(2):
        for letters in itertools.product(LETTERS, repeat=length):
            yield "".join(letters)


def make_names(count):
    """count distinct names that are no built-in's, of mixed lengths, handed out in a
    scattered order."""
    taken = built_in_names()
    names = list(itertools.islice((n for n in all_names() if n not in taken), count))
    step = 7_368_787  # a prime, so i -> i * step mod count visits every name once
    while count > 1 and count % step == 0:
        step += 2
    return [names[(i * step) % count] for i in range(count)]


def arity_of(i):
    return (0, 1, 0, 2, 0, 1)[i % 6]


def call(names, j, p, q):
    """The call of definition j with as many of p and q as its arity asks for."""
    wanted = arity_of(j)
    if wanted == 0:
        return names[j]
    if wanted == 1:
        return f"{names[j]}({p})"
    return f"{names[j]}({p},{q})"


def definition(names, i, count):
    kids = [k for k in (2 * i + 1, 2 * i + 2) if k < count]
    arity = arity_of(i)
    wordy = i % 16 == 5
    if arity == 0:
        params = []
    elif arity == 1:
        params = ["num" if wordy else "x"]
    else:
        params = ["lo", "hi"] if wordy else ["x", "y"]
    p = params[0] if params else str(i % 10)
    q = params[1] if arity == 2 else "2"
    v = "vv" if wordy else "v"
    first, second = ("fst", "snd") if wordy else ("a", "b")
    shape = (i // 6) % 8

    if not kids:
        body = [
            f"{p}*3",
            f"({p}<{q}){p} {q}",
            f"{p}+1",
            f"{v}{{{p}*{p}}}{v}+{q}",
            f"[]+{p}",
            f"({p}={q})",
            f"{p}%5",
            f"`{p}",
        ][shape]
    elif len(kids) == 1:
        body = f"{call(names, kids[0], p, q)}+{p}"
    else:
        a = call(names, kids[0], p, q)
        b = call(names, kids[1], q, p)
        body = [
            f"{a}+{b}",
            f"({p}<{q}){a} {b}",
            f"{a}*{b}",
            f"{v}{{{a}}}{v}+{b}",
            f"{a}-{b}",
            f"{first} {second}{{V({a},{b})}}{first}",
            f"{a}/{b}",
            f"`{a}+{b}",
        ][shape]
    return names[i] + "".join("\\" + x for x in params) + "\\" + body


def write_program(path, count):
    names = make_names(count)
    with open(path + ".part", "w") as out:
        out.write(f"K(K({EXIT_STATUS},{names[0]}))")
        for i in range(count):
            out.write(",\n")
            out.write(definition(names, i, count))
        out.write("\n")
    os.replace(path + ".part", path)


def main(argv):
    if len(argv) not in (2, 3):
        sys.stderr.write(__doc__)
        return 2
    count = int(argv[2]) if len(argv) == 3 else DEFAULT_COUNT
    write_program(argv[1], count)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
