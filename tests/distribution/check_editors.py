#!/usr/bin/env python3
"""Checks the editor files against the interpreter and the example programs.

- The TextMate grammar is JSON, and its built-in pattern names exactly the built-ins of the
  interpreter's table (the names come from the rill_builtin_names program, built from that
  table), as do the Vim syntax file's keywords.
- Every example program (and a script with a "#!" line) is scoped by the TextMate grammar,
  run through a small engine with the grammar's own regular expressions, and by Vim itself
  when it is given; both must give every byte the class that a plain scan of the language's
  characters gives it: script line, string, escape group, number, built-in, combinator,
  definition name, other name, operator, punctuation.

    check_editors.py --names PROGRAM --root SOURCE_DIR [--vim VIM]
"""
import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

OPERATORS = set(";\\?&|=<>#@+-:.*/%'^~!\"$`")
PUNCTUATION = set("(){},")
LOWER = set("abcdefghijklmnopqrstuvwxyz_")

failures = []


def fail(message):
    failures.append(message)


# --- The plain scan ---------------------------------------------------------------------------


def starts_definition(text, i, end):
    """True when the name text[i:end] starts a line and is followed by "\\" or "()\\"."""
    if i != 0 and text[i - 1] != "\n":
        return False
    return text.startswith("\\", end) or text.startswith("()\\", end)


def reference_classes(text, builtins):
    """The class of every byte of a program text, from its characters alone."""
    classes = ["none"] * len(text)
    i = 0
    if text.startswith("#!"):
        end = text.find("\n")
        end = len(text) if end < 0 else end
        classes[0:end] = ["script"] * end
        i = end
    while i < len(text):
        c = text[i]
        if c == "[":
            depth, j = 0, i
            while j < len(text):
                depth += {"[": 1, "]": -1}.get(text[j], 0)
                j += 1
                if depth == 0:
                    break
            inner = text[i + 1:j - 1]
            if "[" not in inner and "]" not in inner and starts_definition(text, i, j):
                classes[i:j] = ["definition"] * (j - i)
            else:
                k = i
                while k < j:
                    if text[k:k + 3] in ("[p]", "[q]", "[r]") and k != i:
                        classes[k:k + 3] = ["escape"] * 3
                        k += 3
                    else:
                        classes[k] = "string"
                        k += 1
            i = j
        elif c.isdigit():
            j = i
            while j < len(text) and text[j].isdigit():
                j += 1
            classes[i:j] = ["number"] * (j - i)
            i = j
        elif "A" <= c <= "Z":
            classes[i] = "definition" if starts_definition(text, i, i + 1) else "combinator"
            i += 1
        elif c in LOWER:
            j = i
            while j < len(text) and text[j] in LOWER:
                j += 1
            word = text[i:j]
            if word in builtins:
                kind = "builtin"
            elif len(word) >= 2 and starts_definition(text, i, j):
                kind = "definition"
            else:
                kind = "name"
            classes[i:j] = [kind] * (j - i)
            i = j
        else:
            if c in OPERATORS:
                classes[i] = "operator"
            elif c in PUNCTUATION:
                classes[i] = "punctuation"
            elif c == "]":
                classes[i] = "invalid"
            i += 1
    # A line end belongs to no token, not even inside a string that spans lines.
    return ["none" if c == "\n" else k for c, k in zip(text, classes)]


# --- The TextMate grammar ---------------------------------------------------------------------


class Rule:
    def __init__(self, raw, repository):
        self.name = raw.get("name")
        self.match = re.compile(raw["match"]) if "match" in raw else None
        self.captures = raw.get("captures", {})
        self.begin = re.compile(raw["begin"]) if "begin" in raw else None
        self.end = re.compile(raw["end"]) if "end" in raw else None
        self.begin_captures = raw.get("beginCaptures", {})
        self.end_captures = raw.get("endCaptures", {})
        self.raw_patterns = raw.get("patterns", [])
        self.repository = repository
        self.first_line_only = "\\A" in raw.get("match", "") + raw.get("begin", "")
        self._patterns = None

    def patterns(self):
        """The rules tried inside this one, includes and groups flattened, in order."""
        if self._patterns is None:
            self._patterns = flatten(self.raw_patterns, self.repository)
        return self._patterns


def flatten(raw_patterns, repository):
    rules = []
    for raw in raw_patterns:
        if "include" in raw:
            rules.extend(flatten([repository.get_raw(raw["include"])], repository))
        elif "match" in raw or "begin" in raw:
            rules.append(repository.rule(raw))
        else:
            rules.extend(flatten(raw.get("patterns", []), repository))
    return rules


class Repository:
    def __init__(self, grammar):
        self.raw = grammar.get("repository", {})
        self.rules = {}

    def get_raw(self, reference):
        if not reference.startswith("#") or reference[1:] not in self.raw:
            raise KeyError("unknown include " + reference)
        return self.raw[reference[1:]]

    def rule(self, raw):
        key = id(raw)
        if key not in self.rules:
            self.rules[key] = Rule(raw, self)
        return self.rules[key]


def scope_match(scopes, match, name, captures, stack_scopes):
    for k in range(match.start(), match.end()):
        scopes[k] = stack_scopes + ([name] if name else [])
    for group, capture in captures.items():
        g = int(group)
        if match.group(g) is None:
            continue
        for k in range(match.start(g), match.end(g)):
            scopes[k] = scopes[k] + [capture["name"]]


def textmate_scopes(text, grammar):
    """The scope list of every byte, as a TextMate engine gives it, line by line."""
    repository = Repository(grammar)
    top = flatten(grammar["patterns"], repository)
    scopes = [[] for _ in text]
    stack = []  # the begin/end rules open at this point
    offset = 0
    for line_number, line in enumerate(text.split("\n")):
        pos = 0
        while pos <= len(line):
            rules = stack[-1].patterns() if stack else top
            stack_scopes = [r.name for r in stack if r.name]
            best = None  # (start, order, kind, rule, match)
            if stack:
                m = stack[-1].end.search(line, pos)
                if m:
                    best = (m.start(), -1, "end", stack[-1], m)
            for order, rule in enumerate(rules):
                if rule.first_line_only and line_number > 0:
                    continue
                regex = rule.match or rule.begin
                m = regex.search(line, pos)
                if m and (best is None or m.start() < best[0]):
                    best = (m.start(), order, "match" if rule.match else "begin", rule, m)
            if best is None:
                for k in range(pos, len(line)):
                    scopes[offset + k] = list(stack_scopes)
                break
            start, _, kind, rule, m = best
            for k in range(pos, start):
                scopes[offset + k] = list(stack_scopes)
            shifted = [[] for _ in line]
            if kind == "match":
                scope_match(shifted, m, rule.name, rule.captures, stack_scopes)
            elif kind == "begin":
                scope_match(shifted, m, None, {}, stack_scopes + ([rule.name] if rule.name else []))
                for group, capture in rule.begin_captures.items():
                    for k in range(m.start(int(group)), m.end(int(group))):
                        shifted[k] = shifted[k] + [capture["name"]]
                stack.append(rule)
            else:
                scope_match(shifted, m, None, {}, stack_scopes)
                for group, capture in rule.end_captures.items():
                    for k in range(m.start(int(group)), m.end(int(group))):
                        shifted[k] = shifted[k] + [capture["name"]]
                stack.pop()
            for k in range(m.start(), m.end()):
                scopes[offset + k] = shifted[k]
            pos = m.end() if m.end() > pos else pos + 1
            if m.end() == m.start() and pos > len(line):
                break
        offset += len(line) + 1
    return scopes


TEXTMATE_CLASSES = [
    ("comment.line.number-sign.shebang", "script"),
    ("constant.character.escape", "escape"),
    ("entity.name.function.definition", "definition"),
    ("string.quoted", "string"),
    ("constant.numeric", "number"),
    ("support.function.builtin", "builtin"),
    ("support.constant.combinator", "combinator"),
    ("variable.", "name"),
    ("keyword.operator", "operator"),
    ("punctuation.", "punctuation"),
    ("invalid.", "invalid"),
]


def textmate_class(scope_list):
    for prefix, kind in TEXTMATE_CLASSES:
        if any(s.startswith(prefix) for s in scope_list):
            return kind
    return "none"


# --- Vim --------------------------------------------------------------------------------------

VIM_CLASSES = {
    "rillScriptLine": "script", "rillEscape": "escape", "rillString": "string",
    "rillNested": "string", "rillNumber": "number", "rillBuiltin": "builtin",
    "rillCombinator": "combinator", "rillDefinition": "definition", "rillName": "name",
    "rillBinder": "name", "rillOperator": "operator", "rillDelimiter": "punctuation",
    "rillBrace": "punctuation", "rillStrayBracket": "invalid", "": "none",
}

VIM_DUMP = r"""
let s:out = ['filetype=' . &filetype]
for l in range(1, line('$'))
  let s:names = []
  for c in range(1, col([l, '$']) - 1)
    call add(s:names, synIDattr(synID(l, c, 0), 'name'))
  endfor
  call add(s:out, join(s:names, ' '))
endfor
call writefile(s:out, $RILL_VIM_DUMP)
"""


def vim_names(vim, root, path, work):
    """The filetype Vim detects for path and the syntax item name of every byte."""
    script = os.path.join(work, "dump.vim")
    with open(script, "w") as f:
        f.write(VIM_DUMP)
    out = os.path.join(work, "dump.txt")
    env = dict(os.environ, RILL_VIM_DUMP=out)
    subprocess.run([vim, "-N", "-u", "NONE", "-i", "NONE", "-es",
                    "--cmd", "set rtp^=" + os.path.join(root, "editors", "vim"),
                    "-c", "filetype on", "-c", "syntax on", "-c", "edit " + path,
                    "-c", "source " + script, "-c", "qa!"],
                   env=env, timeout=60, check=False, stdin=subprocess.DEVNULL)
    with open(out, encoding="latin-1") as f:
        lines = f.read().split("\n")
    filetype = lines[0][len("filetype="):]
    names = []
    for line in lines[1:]:
        names.extend(line.split(" ") if line else [])
        names.append("")  # the newline
    return filetype, names


# --- Checks -----------------------------------------------------------------------------------


def compare(label, path, text, want, got):
    for k, (w, g) in enumerate(zip(want, got)):
        if w != g:
            line = text.count("\n", 0, k) + 1
            column = k - (text.rfind("\n", 0, k) + 1) + 1
            fail(f"{label}: {path}:{line}:{column}: byte {text[k]!r} is {g}, want {w}")
            return


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--names", required=True)
    parser.add_argument("--root", required=True)
    parser.add_argument("--vim")
    args = parser.parse_args()
    root = args.root

    names = subprocess.run([args.names], check=True, capture_output=True,
                           text=True).stdout.split()
    builtins = set(names)
    if not names or len(builtins) != len(names):
        fail("the built-in table gave no names or repeated ones")

    grammar_path = os.path.join(root, "editors", "textmate", "rill.tmLanguage.json")
    with open(grammar_path) as f:
        grammar = json.load(f)
    builtin_rule = grammar["repository"]["builtin"]
    listed = re.search(r"\(\?:([a-z_|]+)\)", builtin_rule["match"])
    listed = set(listed.group(1).split("|")) if listed else set()
    for name in sorted(builtins - listed):
        fail(f"TextMate grammar: the built-in {name} is not named")
    for name in sorted(listed - builtins):
        fail(f"TextMate grammar: {name} is no built-in")
    builtin_regex = re.compile(builtin_rule["match"])
    for name in sorted(builtins):
        m = builtin_regex.search(name + "(x)")
        if not m or m.group(0) != name:
            fail(f"TextMate grammar: the built-in pattern does not match {name} whole")
    for word in ("plusx", "xplus", "puts_", "mains", "s"):
        if builtin_regex.search(word):
            fail(f"TextMate grammar: the built-in pattern matches {word}")

    vim_path = os.path.join(root, "editors", "vim", "syntax", "rill.vim")
    with open(vim_path) as f:
        keywords = set()
        for line in f:
            words = line.split()
            if words[:3] == ["syntax", "keyword", "rillBuiltin"]:
                keywords.update(words[3:])
    for name in sorted(builtins - keywords):
        fail(f"Vim syntax: the built-in {name} is not named")
    for name in sorted(keywords - builtins):
        fail(f"Vim syntax: {name} is no built-in")

    programs = sorted(os.path.join(root, "examples", f)
                      for f in os.listdir(os.path.join(root, "examples")) if f.endswith(".rill"))
    programs.append(os.path.join(root, "tests", "programs", "scripts", "script_line.rill"))
    with tempfile.TemporaryDirectory() as work:
        for path in programs:
            with open(path, "rb") as f:
                text = f.read().decode("latin-1")
            want = reference_classes(text, builtins)
            got = [textmate_class(s) for s in textmate_scopes(text, grammar)]
            compare("TextMate grammar", path, text, want, got)
            if args.vim:
                filetype, vim = vim_names(args.vim, root, path, work)
                if filetype != "rill":
                    fail(f"Vim: {path} has filetype '{filetype}'")
                got = [VIM_CLASSES.get(n, "unknown " + n) for n in vim[:len(text)]]
                compare("Vim syntax", path, text, want, got)

        if args.vim:
            # A script without the .rill suffix is known by its "#!" line.
            script = os.path.join(work, "greet")
            with open(script, "w") as f:
                f.write("#!/usr/bin/env rill\nK(0)\n")
            filetype, _ = vim_names(args.vim, root, script, work)
            if filetype != "rill":
                fail(f"Vim: a #!/usr/bin/env rill script has filetype '{filetype}'")

    for message in failures:
        print(message)
    print(f"{len(programs)} programs, {len(builtins)} built-ins checked")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
