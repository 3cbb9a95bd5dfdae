#!/usr/bin/env python3
"""Mutation testing: how many small plausible mistakes the plain C++ tests catch.

Usage, from the repository root (takes about 10 s a mutant on two cores):

    scripts/mutate.py                       # the default folders, 400 mutants
    scripts/mutate.py --limit 0             # every mutant, however many
    scripts/mutate.py --list                # the sampled mutants, without running
    scripts/mutate.py --shift 0.5           # another 400, between those
    scripts/mutate.py src/shell/PageEvents.cpp --limit 50
    scripts/mutate.py --only 'ProfileFile.cpp:12'   # the mutants whose id holds this
    scripts/mutate.py --survivors old.tsv           # again, those that survived before
    scripts/mutate.py --redundancy build/release/mutation.tsv  # what each test catches

Each mutant is one change to one source file: a number one up, one down or
0; a comparison turned round or off by one; && for || and back; a call
statement or a table row removed; two arguments of a call swapped; one
letter of a string changed. The script writes it, rebuilds core_tests,
settings_tests and system_tests in build/release (-j2), runs them (when
run as root, settings_tests runs as nobody, so that permission bits count)
and puts the file back. A mutant is caught when a test fails or hangs,
survives when every test passes, and does not count when it does not
compile. Mutants that change nothing a user or a caller could see are
listed, with the reason, in scripts/mutate-equivalent.txt and left out of
the figure. The survivors are printed as file:line and the change, and the
whole run is kept in build/release/mutation.tsv.
"""

import argparse
import os
import re
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_SOURCES = ["src/controls", "src/shell", "src/system", "src/reading/ReadingFollower.h",
                   "src/reading/ReadingFollower.cpp"]
TARGETS = ["core_tests", "settings_tests", "system_tests"]
EQUIVALENT = ROOT / "scripts" / "mutate-equivalent.txt"
TEST_TIMEOUT = 60

KEYWORDS = {"if", "for", "while", "switch", "return", "sizeof", "static_cast", "const_cast",
            "reinterpret_cast", "dynamic_cast", "catch", "throw", "new", "delete", "case",
            "decltype", "alignof", "noexcept", "static_assert", "operator", "co_return"}
BEFORE_CALL = {"=", "(", ",", "return", "{", ";", "}", "!", "&&", "||", "?", ":", "+", "-",
               "<<", "==", "!=", "<", "<=", ">=", "[", ")", "else", "throw", "+=", "*"}


@dataclass
class Token:
    kind: str  # ident, number, string, char, punct
    text: str
    start: int
    end: int


@dataclass
class Mutant:
    path: str
    line: int
    op: str
    start: int
    end: int
    replacement: str
    original: str
    source_line: str

    def describe(self):
        old = " ".join(self.original.split())
        new = " ".join(self.replacement.split()) or "(removed)"
        return f"{self.op}: {old} -> {new}"

    occurrence: int = 0

    def key(self):
        # Stable when lines move: the file, the change, the line's text and
        # which of the same changes on lines of that text.
        return f"{self.path}|{self.describe()}|{self.source_line.strip()}|{self.occurrence}"


PUNCTS = sorted(["<<=", ">>=", "->", "::", "++", "--", "<=", ">=", "==", "!=", "&&", "||",
                 "+=", "-=", "*=", "/=", "%=", "&=", "|=", "^=", "<<", ">>"], key=len,
                reverse=True)


def tokenize(text):
    """The file's tokens, without comments and preprocessor lines."""
    tokens = []
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if c == "\n":
            line_start = True
            i += 1
            continue
        if c in " \t\r":
            i += 1
            continue
        if line_start and c == "#":
            while i < n and text[i] != "\n":
                i = i + 2 if text[i] == "\\" else i + 1
            continue
        line_start = False
        if text.startswith("//", i):
            i = text.find("\n", i)
            i = n if i < 0 else i
            continue
        if text.startswith("/*", i):
            j = text.find("*/", i + 2)
            i = n if j < 0 else j + 2
            continue
        m = re.match(r'R"([^(]*)\(', text[i:])
        if m:
            close = ")" + m.group(1) + '"'
            j = text.find(close, i + m.end())
            j = n if j < 0 else j + len(close)
            tokens.append(Token("raw", text[i:j], i, j))
            i = j
            continue
        if c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            tokens.append(Token("string" if c == '"' else "char", text[i:j + 1], i, j + 1))
            i = j + 1
            continue
        if c.isdigit() or (c == "." and i + 1 < n and text[i + 1].isdigit()):
            m = re.match(r"[0-9a-fA-FxX.']+([eE][+-]?[0-9]+)?[uUlLfF]*", text[i:])
            tokens.append(Token("number", m.group(0), i, i + m.end()))
            i += m.end()
            continue
        if c.isalpha() or c == "_":
            m = re.match(r"\w+", text[i:])
            tokens.append(Token("ident", m.group(0), i, i + m.end()))
            i += m.end()
            continue
        for p in PUNCTS:
            if text.startswith(p, i):
                tokens.append(Token("punct", p, i, i + len(p)))
                i += len(p)
                break
        else:
            tokens.append(Token("punct", c, i, i + 1))
            i += 1
    return tokens


def spaced(text, tok):
    return (tok.start > 0 and text[tok.start - 1] in " \n" and tok.end < len(text)
            and text[tok.end] in " \n")


def number_mutants(tok):
    m = re.fullmatch(r"(0[xX][0-9a-fA-F]+|0[0-7]*|[1-9][0-9]*)([uUlL]*)", tok.text)
    if m:
        body, suffix = m.groups()
        if body.lower().startswith("0x"):
            value, fmt = int(body, 16), lambda v: "0x%X" % v
        elif len(body) > 1 and body.startswith("0"):
            value, fmt = int(body, 8), lambda v: "0%o" % v
        else:
            value, fmt = int(body), str
        values = [value + 1, value - 1, 0]
        return [fmt(v) + suffix for v in dict.fromkeys(values) if v >= 0 and v != value]
    m = re.fullmatch(r"([0-9]+)\.([0-9]*)", tok.text)
    if m:
        value = float(tok.text)
        return [repr(v) for v in dict.fromkeys([value + 1, value - 1, 0.0]) if v != value]
    return []


FLIPS = {"==": ["!="], "!=": ["=="], "<": [">=", "<="], "<=": [">", "<"], ">": ["<=", ">="],
         ">=": ["<", ">"]}


def matching(tokens, i, open_, close):
    depth = 0
    for j in range(i, len(tokens)):
        if tokens[j].text == open_:
            depth += 1
        elif tokens[j].text == close:
            depth -= 1
            if depth == 0:
                return j
    return None


def call_chain_start(tokens, i):
    """Where the name chain ending at token i (a.b->c::d) starts."""
    j = i
    while j >= 2 and tokens[j - 1].text in (".", "->", "::") and tokens[j - 2].kind == "ident":
        j -= 2
    return j


def top_level_args(tokens, open_i, close_i):
    args, start, depth = [], open_i + 1, 0
    for j in range(open_i + 1, close_i):
        t = tokens[j].text
        if t in "([{":
            depth += 1
        elif t in ")]}":
            depth -= 1
        elif t == "," and depth == 0:
            args.append((start, j - 1))
            start = j + 1
    if start <= close_i - 1:
        args.append((start, close_i - 1))
    return args


def letter_mutant(literal):
    """One letter of a string literal changed, or None when it has none."""
    body_start = literal.index('"') + 1
    candidates = []
    k = body_start
    after_escape = False
    while k < len(literal) - 1:
        if literal[k] == "\\":
            m = re.match(r"\\(x[0-9a-fA-F]+|[0-7]{1,3}|.)", literal[k:])
            k += m.end()
            after_escape = True
            continue
        # Not the letter right after an escape, which a change could make
        # part of the escape.
        if literal[k].isalpha() and literal[k].isascii() and not after_escape:
            candidates.append(k)
        after_escape = False
        k += 1
    if not candidates:
        return None
    k = candidates[len(candidates) // 2]
    ch = literal[k]
    # A vowel becomes another vowel, a consonant the next consonant: the
    # kind of slip a typist makes, never a hex digit after an escape.
    swap = {"a": "e", "e": "i", "i": "o", "o": "u", "u": "a"}
    low = ch.lower()
    if low in swap:
        new = swap[low]
    else:
        new = chr((ord(low) - ord("a") + 1) % 26 + ord("a"))
        while new in "aeiou":
            new = chr((ord(new) - ord("a") + 1) % 26 + ord("a"))
    new = new.upper() if ch.isupper() else new
    return literal[:k] + new + literal[k + 1:]


def mutants_of(path):
    text = (ROOT / path).read_text(encoding="latin-1")
    tokens = tokenize(text)
    lines = text.split("\n")
    found = []

    def add(op, start, end, replacement):
        line = text.count("\n", 0, start) + 1
        m = Mutant(path, line, op, start, end, replacement, text[start:end], lines[line - 1])
        m.occurrence = sum(1 for f in found if f.describe() == m.describe() and
                           f.source_line.strip() == m.source_line.strip())
        found.append(m)

    for i, tok in enumerate(tokens):
        prev = tokens[i - 1] if i > 0 else None
        nxt = tokens[i + 1] if i + 1 < len(tokens) else None
        if tok.kind == "number":
            for r in number_mutants(tok):
                add("number", tok.start, tok.end, r)
        elif tok.kind == "punct" and tok.text in FLIPS and (
                tok.text not in ("<", ">") or spaced(text, tok)):
            for r in FLIPS[tok.text]:
                add("comparison", tok.start, tok.end, r)
        elif tok.kind == "punct" and tok.text in ("&&", "||") and spaced(text, tok):
            add("logic", tok.start, tok.end, "||" if tok.text == "&&" else "&&")
        elif tok.kind == "string":
            changed = letter_mutant(tok.text)
            if changed and not (prev and prev.text == "extern"):
                add("letter", tok.start, tok.end, changed)
        elif tok.kind == "ident" and nxt is not None and nxt.text == "(" and \
                tok.text not in KEYWORDS:
            chain = call_chain_start(tokens, i)
            before = tokens[chain - 1] if chain > 0 else None
            if before is None or before.text not in BEFORE_CALL:
                continue
            close = matching(tokens, i + 1, "(", ")")
            if close is None or _declares(text, tokens, i + 1, close):
                continue
            # A whole statement: removed.
            after = tokens[close + 1] if close + 1 < len(tokens) else None
            stmt_start = before.text in (";", "{", "}", "else") or (
                before.text == ")" and _closes_condition(tokens, chain - 1))
            if stmt_start and after is not None and after.text == ";":
                add("remove call", tokens[chain].start, after.end, ";")
            # Two neighbouring arguments on one line: swapped.
            args = top_level_args(tokens, i + 1, close)
            # Either order is the same for these.
            symmetric = tok.text in ("min", "max", "SameName")
            for (a0, a1), (b0, b1) in zip(args, args[1:] if not symmetric else []):
                first = text[tokens[a0].start:tokens[a1].end]
                second = text[tokens[b0].start:tokens[b1].end]
                if first == second or "\n" in text[tokens[a0].start:tokens[b1].end]:
                    continue
                start, end = tokens[a0].start, tokens[b1].end
                middle = text[tokens[a1].end:tokens[b0].start]
                add("swap arguments", start, end, second + middle + first)
        elif tok.text == "{" and prev is not None and prev.text in ("{", ","):
            # A row of a table: `{a, b},` inside an initializer list.
            close = matching(tokens, i, "{", "}")
            if close is None or close + 1 >= len(tokens) or tokens[close + 1].text != ",":
                continue
            outer = _enclosing_brace(tokens, i)
            if outer is None or outer == 0 or tokens[outer - 1].text != "=":
                continue
            if text.count("\n", tok.start, tokens[close].end) == 0:
                add("remove row", tok.start, tokens[close + 1].end, "")
    return found


def _declares(text, tokens, open_i, close_i):
    """Whether the parentheses hold parameters (`Type name`, `Type& name`)
    or start a body, rather than a call's arguments."""
    after = tokens[close_i + 1].text if close_i + 1 < len(tokens) else ""
    if after in ("{", "const", "override", "noexcept") or (after == ":" and
                                                           tokens[close_i + 2].kind == "ident"):
        return True
    inside = text[tokens[open_i].end:tokens[close_i].start]
    return re.search(r"\w[&*]? [&*]?[A-Za-z_]\w*\s*(,|$|=)", inside) is not None and \
        re.search(r"\w [&*] \w", inside) is None


def _closes_condition(tokens, close_i):
    depth = 0
    for j in range(close_i, -1, -1):
        if tokens[j].text == ")":
            depth += 1
        elif tokens[j].text == "(":
            depth -= 1
            if depth == 0:
                return j > 0 and tokens[j - 1].text in ("if", "while", "for")
    return False


def _enclosing_brace(tokens, i):
    depth = 0
    for j in range(i - 1, -1, -1):
        if tokens[j].text == "}":
            depth += 1
        elif tokens[j].text == "{":
            if depth == 0:
                return j
            depth -= 1
    return None


def source_files(paths):
    files = []
    for p in paths:
        full = ROOT / p
        if full.is_dir():
            files += sorted(str(f.relative_to(ROOT)) for f in full.iterdir()
                            if f.suffix in (".h", ".cpp"))
        else:
            files.append(p)
    return files


def sample(mutants, limit, shift=0.0):
    """`limit` mutants spread evenly over the list, or all of them; `shift`
    (0 to 1) moves every pick the same part of a step on."""
    if limit <= 0 or len(mutants) <= limit:
        return mutants
    step = len(mutants) / limit
    return [mutants[int((k + shift) * step)] for k in range(limit)]


def load_equivalent():
    keys = {}
    if EQUIVALENT.exists():
        for line in EQUIVALENT.read_text(encoding="latin-1").splitlines():
            if line.strip() and not line.startswith("#"):
                key, _, reason = line.partition("\t")
                keys[key.strip()] = reason.strip()
    return keys


def build(build_dir):
    result = subprocess.run(["cmake", "--build", build_dir, "-j2", "--target"] + TARGETS,
                            cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    return result.returncode == 0


def run_tests(build_dir):
    """The failing tests, as "binary: test" separated by blanks; "" when all pass."""
    as_nobody = os.geteuid() == 0 and subprocess.run(
        ["which", "setpriv"], stdout=subprocess.DEVNULL).returncode == 0
    failures = []
    for target in TARGETS:
        command = [str(ROOT / build_dir / "bin" / target), "--gtest_brief=1"]
        if as_nobody and target == "settings_tests":
            command = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] + command
        try:
            result = subprocess.run(command, cwd="/tmp", stdout=subprocess.PIPE,
                                    stderr=subprocess.STDOUT, timeout=TEST_TIMEOUT)
        except subprocess.TimeoutExpired:
            failures.append(f"{target}:hangs")
            continue
        if result.returncode != 0:
            out = result.stdout.decode("latin-1")
            failed = sorted(set(re.findall(r"\[  FAILED  \] (\S+)", out)))
            failures += [f"{target}:{t}" for t in failed] or [f"{target}:exit{result.returncode}"]
    return " ".join(failures)


def redundancy(tsv):
    """Per test, the mutants it catches and those only it catches."""
    catches, alone = {}, {}
    for line in open(tsv, encoding="latin-1"):
        fields = line.rstrip("\n").split("\t")
        if fields[0] != "caught":
            continue
        tests = fields[3].split()
        for t in tests:
            catches[t] = catches.get(t, 0) + 1
            if len(tests) == 1:
                alone[t] = alone.get(t, 0) + 1
    for t in sorted(catches, key=lambda t: (alone.get(t, 0), catches[t])):
        print(f"{alone.get(t, 0):4} alone {catches[t]:4} in all  {t}")


def write_file(path, content):
    # A strictly later time stamp, so that the build always sees the change.
    before = path.stat().st_mtime_ns
    path.write_bytes(content)
    after = path.stat().st_mtime_ns
    if after <= before:
        os.utime(path, ns=(before + 1_000_000, before + 1_000_000))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("paths", nargs="*", default=DEFAULT_SOURCES)
    parser.add_argument("--limit", type=int, default=400, help="mutants, spread evenly; 0: all")
    parser.add_argument("--shift", type=float, default=0.0,
                        help="another sample: each pick this part of a step on (0 to 1)")
    parser.add_argument("--list", action="store_true", help="list the mutants and stop")
    parser.add_argument("--only", help="only the mutants whose id holds this text")
    parser.add_argument("--survivors", metavar="TSV",
                        help="only the mutants that survived in an earlier run's mutation.tsv")
    parser.add_argument("--redundancy", metavar="TSV",
                        help="per test, how many mutants of a run it catches, and alone")
    parser.add_argument("--build", default="build/release")
    args = parser.parse_args()

    if args.redundancy:
        redundancy(args.redundancy)
        return 0
    everything = [m for f in source_files(args.paths) for m in mutants_of(f)]
    chosen = sample(everything, args.limit, args.shift)
    if args.only:
        chosen = [m for m in chosen if args.only in f"{m.path}:{m.line} {m.describe()}"]
    if args.survivors:
        with open(args.survivors, encoding="latin-1") as earlier:
            keys = {line.rstrip("\n").split("\t")[4] for line in earlier
                    if line.startswith("survived\t")}
        chosen = [m for m in chosen if m.key() in keys]
    equivalent = load_equivalent()
    print(f"{len(chosen)} mutants of {len(everything)}", flush=True)
    if args.list:
        for m in chosen:
            mark = "  (equivalent)" if m.key() in equivalent else ""
            print(f"{m.path}:{m.line}  {m.describe()}{mark}")
        return 0

    if not (ROOT / args.build / "build.ninja").exists():
        subprocess.run(["cmake", "-S", ".", "-B", args.build, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release", "-DSONAVIA_BENCH=OFF"], cwd=ROOT, check=True,
                       stdout=subprocess.DEVNULL)
    if not build(args.build) or run_tests(args.build):
        print("the unchanged code must build and pass its tests first", file=sys.stderr)
        return 2

    results = []
    begun = time.time()
    originals = {}
    try:
        for n, m in enumerate(chosen, 1):
            path = ROOT / m.path
            original = originals.setdefault(m.path, path.read_bytes())
            text = original.decode("latin-1")
            write_file(path, (text[:m.start] + m.replacement + text[m.end:]).encode("latin-1"))
            if not build(args.build):
                outcome, detail = "did-not-compile", ""
            else:
                detail = run_tests(args.build)
                outcome = "caught" if detail else "survived"
            write_file(path, original)
            if m.key() in equivalent and outcome == "survived":
                outcome, detail = "equivalent", equivalent[m.key()]
            results.append((m, outcome, detail))
            print(f"[{n}/{len(chosen)}] {outcome:15} {m.path}:{m.line}  {m.describe()}"
                  f"{'  <- ' + (detail if outcome == 'equivalent' else detail.split()[0]) if detail else ''}",
                  flush=True)
            if outcome == "survived":
                print(f"        {m.source_line.strip()}", flush=True)
    finally:
        for p, content in originals.items():
            if (ROOT / p).read_bytes() != content:
                write_file(ROOT / p, content)
        build(args.build)

    with open(ROOT / args.build / "mutation.tsv", "w", encoding="latin-1") as out:
        for m, outcome, detail in results:
            out.write(f"{outcome}\t{m.path}:{m.line}\t{m.describe()}\t{detail}\t{m.key()}\n")
    report(results, time.time() - begun)
    return 0


def report(results, seconds):
    print(f"\n{len(results)} mutants in {seconds / 60:.0f} min")
    groups = {}
    for m, outcome, _ in results:
        folder = os.path.dirname(m.path) if "ReadingFollower" not in m.path else \
            "src/reading/ReadingFollower"
        for g in (folder, "all"):
            groups.setdefault(g, {}).setdefault(outcome, 0)
            groups[g][outcome] += 1
    print(f"{'':30} {'caught':>7} {'survived':>9} {'equiv.':>7} {'no build':>9} {'score':>6}")
    for g in sorted(groups, key=lambda g: (g == "all", g)):
        c = groups[g]
        caught, survived = c.get("caught", 0), c.get("survived", 0)
        score = 100.0 * caught / (caught + survived) if caught + survived else 100.0
        print(f"{g:30} {caught:7} {survived:9} {c.get('equivalent', 0):7} "
              f"{c.get('did-not-compile', 0):9} {score:5.0f}%")
    survivors = [m for m, outcome, _ in results if outcome == "survived"]
    if survivors:
        print("\nSurvivors:")
        for m in survivors:
            print(f"  {m.path}:{m.line}  {m.describe()}\n      {m.source_line.strip()}")


if __name__ == "__main__":
    sys.exit(main())
