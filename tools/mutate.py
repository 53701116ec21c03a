#!/usr/bin/env python3
"""Mutation testing of the product sources against the test suite.

Plants one small programmer error at a time in a product .cpp file (a changed comparison or
operator, a limit off by one, a dropped statement or call, swapped arguments, a negated condition),
rebuilds incrementally, runs the test binaries that link the changed code and counts the mutant as
killed when one of them fails. The test binaries are those CTest lists for the build folder
(ctest --show-only=json-v1): every executable built there that a test runs. Mutants that do not
compile are discarded. The sample is fixed by a seed, so two runs over the same sources plant the
same mutants.

Sources are always restored: on success, on errors and on Ctrl+C; a run that was killed hard leaves
a note in the build folder that the next run restores from first.

Options (or the environment variables in brackets):
  -n N        mutants to run [MUTATE_N, default 150]
  --seed S    sampling seed [MUTATE_SEED, default 17]
  --files G   comma-separated globs of sources to mutate [MUTATE_FILES, default every product .cpp]
  --build D   build folder [MUTATE_BUILD, default build-mutate]
  --lock-seconds S  hold the build lock for up to S seconds of work at a time [MUTATE_LOCK_SECONDS, 30]
  --ids I     run just these mutant ids (comma-separated) [MUTATE_IDS]
  --list      print the sampled mutants without running them
"""

import argparse
import fnmatch
import fcntl
import hashlib
import json
import os
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LOCK = "/tmp/velmora-build.lock"
EQUIVALENT = os.path.join(ROOT, "tools", "mutate-equivalent.txt")
FOLDERS = ["core", "rules", "actions", "interaction", "ui", "app"]
# Entry points are not linked into any test; the pictures are artwork drawn in code, judged by
# looking at screenshots, not by tests.
EXCLUDED = {"app/main.cpp", "app/screenshot_main.cpp", "ui/pictures.cpp"}
# Rows of layout tables: positions, sizes, fonts and colours are judged on screenshots too.
LAYOUT_FILES = {"ui/component_table.cpp", "app/theme.cpp"}
TEST_TIMEOUT = 20
BUILD_TIMEOUT = 600

# A GoogleTest binary runs all its cases in one go, printing only the failures.
GTEST = ["--gtest_brief=1"]


class TestBinary:
    """An executable of the build folder and the CTest tests that run it.

    gtest_discover_tests makes each case a test of its own (the executable with --gtest_filter);
    those run together, as one run of the whole binary. Any other test that runs it (a QtTest
    program, the program with an option, a shell line handed its path) runs as CTest runs it.
    """

    def __init__(self, path):
        self.path = path
        # The target that builds it: executables are named after their targets here.
        self.name = os.path.basename(path)
        self.gtest = None  # the properties of its GoogleTest cases, if it has any
        self.tests = []  # (name, command, properties) of its other tests

    def is_gtest(self):
        return self.gtest is not None


def ctest_tests(build):
    """CTest's list of the tests of a build folder, each with its command and properties."""
    r = subprocess.run(["ctest", "--show-only=json-v1"], cwd=build, capture_output=True, text=True)
    if r.returncode != 0:
        raise RuntimeError(f"ctest --show-only=json-v1 fails in {build}:\n{r.stdout[-1500:]}{r.stderr[-1500:]}")
    return json.loads(r.stdout).get("tests", [])


def built_in(path, build):
    return (os.path.isabs(path) and os.path.isfile(path) and os.access(path, os.X_OK)
            and os.path.realpath(path).startswith(os.path.realpath(build) + os.sep))


def test_binaries(tests, build):
    """The executables built in `build` that the tests run, in the order of their first test.

    A test belongs to the first executable of the build folder on its command line. Tests that run
    nothing built here (validators of data files, the scripts over the package) cannot see a
    planted fault and are left out. Returns the binaries and the names of the tests CTest finds no
    command for.
    """
    binaries, missing = {}, []
    for test in tests:
        command = test.get("command")
        if not command:
            # CTest leaves out a command whose file it cannot find; with DISCOVERY_MODE PRE_TEST a
            # GoogleTest binary not built yet stands as a single "<target>_NOT_BUILT" test.
            missing.append(test["name"])
            continue
        path = next((word for word in command if built_in(word, build)), None)
        if path is None:
            continue
        binary = binaries.setdefault(path, TestBinary(path))
        properties = {p["name"]: p["value"] for p in test.get("properties", [])}
        if command[0] == path and any(a.startswith("--gtest_filter=") for a in command[1:]):
            if binary.gtest is None:
                binary.gtest = properties
        else:
            binary.tests.append((test["name"], command, properties))
    return list(binaries.values()), missing


def tests_for(suite, folder):
    """The binaries that link a folder's code, the likeliest killer first; the widget tests and the
    program itself, which drive every layer, come last."""
    gtests = [b for b in suite if b.is_gtest()]
    others = [b for b in suite if not b.is_gtest()]
    if folder in ("ui", "app"):
        return others
    if folder == "rules":
        return [b for b in gtests if b.name != "core_tests"] + others
    return gtests + others


# ---------------------------------------------------------------------------------------------
# Lexing: just enough C++ to keep mutants out of comments, strings, characters and preprocessor lines.

TOKEN = re.compile(r"""
    (?P<ws>\s+)
  | (?P<comment>//.*)
  | (?P<string>[uUL8]*R"(?P<delim>[^(\s]*)\(.*?\)(?P=delim)"|[uUL8]*"(?:\\.|[^"\\])*"(?:_t)?)
  | (?P<char>'(?:\\.|[^'\\])+')
  | (?P<number>\d[\w']*)
  | (?P<ident>[A-Za-z_\u0080-\uffff][\w\u0080-\uffff]*)
  | (?P<op>->\*?|<<=|>>=|<=>|\+\+|--|<<|>>|<=|>=|==|!=|&&|\|\||\+=|-=|\*=|/=|%=|&=|\|=|\^=|::|[-+*/%<>=!&|^~?:;,.(){}\[\]#])
  | (?P<other>.)
""", re.VERBOSE)


def tokens(line):
    out = []
    for m in TOKEN.finditer(line):
        kind = m.lastgroup if m.lastgroup != "delim" else "string"
        for k in ("ws", "comment", "string", "char", "number", "ident", "op", "other"):
            if m.group(k) is not None:
                kind = k
                break
        out.append((kind, m.group(0), m.start()))
    return out


def code_lines(text):
    """Yields (index, line) of lines that hold code, outside block comments and preprocessor lines."""
    in_block = False
    for i, line in enumerate(text.split("\n")):
        stripped = line.strip()
        if in_block:
            if "*/" in stripped:
                in_block = False
            continue
        if stripped.startswith("/*"):
            in_block = "*/" not in stripped
            continue
        if not stripped or stripped.startswith("#") or stripped.startswith("//"):
            continue
        if stripped.startswith("static_assert"):
            continue
        yield i, line


# ---------------------------------------------------------------------------------------------
# Operators. Each yields (operator, new_line) for one line.

RELATIONAL = {"<": ["<="], "<=": ["<"], ">": [">="], ">=": [">"], "==": ["!="], "!=": ["=="]}
ARITHMETIC = {"+": ["-"], "-": ["+"], "*": ["/"], "/": ["*"], "%": ["*"], "++": ["--"], "--": ["++"],
              "+=": ["-="], "-=": ["+="]}
LOGICAL = {"&&": ["||"], "||": ["&&"]}


def replace_at(line, start, old, new):
    return line[:start] + new + line[start + len(old):]


def spaced(line, start, text):
    before = line[start - 1] if start > 0 else " "
    after = line[start + len(text)] if start + len(text) < len(line) else " "
    return before == " " and after == " "


def op_binary(line, toks):
    for kind, text, start in toks:
        if kind != "op":
            continue
        # Binary operators are spaced in this code base; templates and unary signs are not.
        if text in RELATIONAL and spaced(line, start, text):
            for new in RELATIONAL[text]:
                yield "relational", replace_at(line, start, text, new)
        elif text in ("+=", "-=") or (text in ARITHMETIC and text not in ("++", "--") and spaced(line, start, text)):
            for new in ARITHMETIC[text]:
                yield "arithmetic", replace_at(line, start, text, new)
        elif text in ("++", "--"):
            yield "arithmetic", replace_at(line, start, text, ARITHMETIC[text][0])
        elif text in LOGICAL:
            yield "logical", replace_at(line, start, text, LOGICAL[text][0])


def op_constant(line, toks):
    for i, (kind, text, start) in enumerate(toks):
        if kind == "number" and re.fullmatch(r"\d+[uUlL]*", text):
            digits = re.match(r"\d+", text).group(0)
            value = int(digits, 8 if digits.startswith("0") and len(digits) > 1 else 10)
            suffix = text[len(digits):]
            for new in (value + 1, value - 1):
                if new < 0:
                    continue
                yield "constant", replace_at(line, start, text, str(new) + suffix)
        elif kind == "ident" and text in ("true", "false"):
            yield "constant", replace_at(line, start, text, "false" if text == "true" else "true")


def op_negate(line, toks):
    significant = [t for t in toks if t[0] not in ("ws", "comment")]
    for i, (kind, text, start) in enumerate(significant):
        if kind == "ident" and text in ("if", "while") and i + 1 < len(significant) and significant[i + 1][1] == "(":
            open_at = significant[i + 1][2]
            depth, close_at = 0, None
            for _, t, s in significant[i + 1:]:
                if t == "(":
                    depth += 1
                elif t == ")":
                    depth -= 1
                    if depth == 0:
                        close_at = s
                        break
            if close_at is None:
                continue
            cond = line[open_at + 1:close_at]
            if cond.startswith("const ") or cond.startswith("auto ") or ";" in cond:
                continue
            yield "negate", line[:open_at + 1] + "!(" + cond + ")" + line[close_at:]
        elif kind == "op" and text == "!" and i + 1 < len(significant) and significant[i + 1][1] != "=":
            yield "negate", replace_at(line, start, "!", "")


def op_remove(line, toks):
    """Drops a whole statement that is a call, an assignment or a jump; never a declaration or return."""
    stripped = line.strip()
    if not stripped.endswith(";") or stripped.count(";") != 1:
        return
    significant = [t for t in toks if t[0] not in ("ws", "comment")]
    if not significant or significant[0][0] != "ident":
        return
    first = significant[0][1]
    if first in ("return", "const", "static", "auto", "using", "namespace", "case", "default", "throw",
                 "struct", "class", "enum", "template", "typedef", "delete"):
        return
    if first in ("break", "continue"):
        yield "remove", line[: len(line) - len(line.lstrip())] + ";"
        return
    # A declaration starts with a (qualified) type followed by a name, a template argument list or a
    # reference/pointer mark: "Text name = ...", "std::size_t i = ...", "std::vector<T> v", "auto& x".
    texts = [t[1] for t in significant]
    kinds = [t[0] for t in significant]
    j = 1
    while j + 1 < len(texts) and texts[j] == "::" and kinds[j + 1] == "ident":
        j += 2
    if j < len(texts) and (kinds[j] == "ident" or texts[j] == "<" or
                           (texts[j] in ("&", "*", "&&") and j + 1 < len(texts) and kinds[j + 1] == "ident")):
        return
    if not ("(" in texts or any(t in ("=", "+=", "-=", "|=", "&=", "++", "--") for t in texts)):
        return
    yield "remove", line[: len(line) - len(line.lstrip())] + ";"


def is_parameter(arg):
    """A parameter of a declaration rather than an argument of a call: "const T&", "Kind k", "T*"."""
    texts = [t[1] for t in arg]
    if "const" in texts or texts[-1] in ("&", "*", "&&"):
        return True
    return any(arg[k][0] == "ident" and arg[k + 1][0] == "ident" for k in range(len(arg) - 1))


def op_swap(line, toks):
    """Swaps two neighbouring arguments of a call written on one line."""
    significant = [t for t in toks if t[0] not in ("ws", "comment")]
    for i, (kind, text, start) in enumerate(significant):
        if text != "(" or i == 0 or significant[i - 1][0] != "ident":
            continue
        if significant[i - 1][1] in ("if", "while", "for", "switch", "return", "sizeof", "static_cast"):
            continue
        depth, args, current = 0, [], []
        for t in significant[i:]:
            if t[1] in ("(", "[", "{"):
                depth += 1
                if depth == 1:
                    continue
            elif t[1] in (")", "]", "}"):
                depth -= 1
                if depth == 0:
                    args.append(current)
                    break
            if depth == 1 and t[1] == ",":
                args.append(current)
                current = []
                continue
            current.append(t)
        else:
            continue
        if len(args) < 2 or any(not a for a in args):
            continue
        if any(is_parameter(a) for a in args):
            continue
        for a in range(len(args) - 1):
            first, second = args[a], args[a + 1]
            s1, e1 = first[0][2], first[-1][2] + len(first[-1][1])
            s2, e2 = second[0][2], second[-1][2] + len(second[-1][1])
            t1, t2 = line[s1:e1], line[s2:e2]
            if t1 == t2:
                continue
            yield "swap", line[:s1] + t2 + line[e1:s2] + t1 + line[e2:]


OPERATORS = [op_binary, op_constant, op_negate, op_remove, op_swap]


class Mutant:
    def __init__(self, path, lineno, operator, old, new):
        self.path, self.lineno, self.operator, self.old, self.new = path, lineno, operator, old, new
        key = "\0".join([path, operator, old.strip(), new.strip()])
        self.id = hashlib.sha1(key.encode()).hexdigest()[:10]
        self.folder = path.split("/")[0]

    def describe(self):
        return f"{self.id} {self.path}:{self.lineno + 1} [{self.operator}]\n    - {self.old.strip()}\n    + {self.new.strip()}"


def product_sources(globs):
    found = []
    for folder in FOLDERS:
        for base, _, names in os.walk(os.path.join(ROOT, folder)):
            for name in names:
                if name.endswith(".cpp"):
                    rel = os.path.relpath(os.path.join(base, name), ROOT)
                    if rel in EXCLUDED:
                        continue
                    if globs and not any(fnmatch.fnmatch(rel, g) for g in globs):
                        continue
                    found.append(rel)
    return sorted(found)


def generate(paths):
    mutants, seen = [], set()
    for rel in paths:
        with open(os.path.join(ROOT, rel), encoding="utf-8") as f:
            text = f.read()
        previous = "{"
        for i, line in code_lines(text):
            toks = tokens(line)
            # Rows of layout tables (positions, sizes, fonts) are drawing data, not behaviour.
            layout_row = rel in LAYOUT_FILES and '{"' in line
            starts_statement = previous.endswith((";", "{", "}", ")", ":")) or previous == "else"
            previous = re.sub(r"\s*//.*$", "", line.strip()) if '"' not in line else line.strip()
            for op in OPERATORS:
                if op is op_remove and not starts_statement:
                    continue
                if layout_row and op in (op_constant, op_swap):
                    continue
                for operator, new in op(line, toks):
                    if new == line:
                        continue
                    m = Mutant(rel, i, operator, line, new)
                    if m.id not in seen:
                        seen.add(m.id)
                        mutants.append(m)
    return mutants


def load_equivalent():
    known = {}
    if os.path.exists(EQUIVALENT):
        with open(EQUIVALENT, encoding="utf-8") as f:
            for line in f:
                line = line.strip()
                if line and not line.startswith("#"):
                    parts = line.split(None, 2)
                    known[parts[0]] = parts[2] if len(parts) > 2 else ""
    return known


# ---------------------------------------------------------------------------------------------
# Running.

class Sources:
    """Holds the originals of mutated files; restores them on exit, on errors and on signals."""

    def __init__(self, note):
        self.note = note
        self.originals = {}

    def recover(self):
        if os.path.exists(self.note):
            with open(self.note, encoding="utf-8") as f:
                saved = json.load(f)
            for rel, text in saved.items():
                with open(os.path.join(ROOT, rel), "w", encoding="utf-8") as out:
                    out.write(text)
                print(f"restored {rel} from an interrupted run")
            os.remove(self.note)

    def plant(self, mutant):
        path = os.path.join(ROOT, mutant.path)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        self.originals[mutant.path] = text
        with open(self.note, "w", encoding="utf-8") as f:
            json.dump(self.originals, f)
        lines = text.split("\n")
        assert lines[mutant.lineno] == mutant.old, f"{mutant.path} changed under the run"
        lines[mutant.lineno] = mutant.new
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))

    def restore(self):
        for rel, text in self.originals.items():
            with open(os.path.join(ROOT, rel), "w", encoding="utf-8") as f:
                f.write(text)
        self.originals = {}
        if os.path.exists(self.note):
            os.remove(self.note)


def configure(build):
    if os.path.exists(os.path.join(build, "CMakeCache.txt")):
        return
    flags = ["-DCMAKE_BUILD_TYPE=None", "-DCMAKE_CXX_FLAGS=-O0 -g0", "-DVELMORA_SANITIZE=OFF"]
    if subprocess.run(["sh", "-c", "command -v ld.lld"], capture_output=True).returncode == 0:
        flags.append("-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld")
    subprocess.run(["cmake", "-S", ROOT, "-B", build] + flags, check=True, stdout=subprocess.DEVNULL)


class Lock:
    """The shared build lock, held for a short batch of mutants at a time.

    Taking it once per mutant is fair but, with several developers building, each mutant then waits
    out someone else's whole build; holding it for up to `window` seconds of our own work lets others
    interleave between batches while the run still fits its time. window=0 means one mutant a time.
    """

    def __init__(self, window):
        self.window = window
        self.waited = 0.0
        self.f = None
        self.since = 0.0

    def __enter__(self):
        if self.f is None:
            self.f = open(LOCK, "a")
            t = time.monotonic()
            fcntl.flock(self.f, fcntl.LOCK_EX)
            self.since = time.monotonic()
            self.waited += self.since - t
        return self

    def __exit__(self, *exc):
        if exc[0] is not None or time.monotonic() - self.since >= self.window:
            self.release()

    def release(self):
        if self.f is not None:
            fcntl.flock(self.f, fcntl.LOCK_UN)
            self.f.close()
            self.f = None


def build_target(build, target, timeout=BUILD_TIMEOUT):
    r = subprocess.run(["cmake", "--build", build, "--target", target, "-j2"], capture_output=True,
                       timeout=timeout)
    return r.returncode == 0, r.stdout.decode(errors="replace") + r.stderr.decode(errors="replace")


def truthy(value):
    return value is True or str(value).upper() in ("1", "ON", "YES", "TRUE", "Y")


def cmake_regex(pattern):
    """A CMake regular expression for Python: there '.' matches a newline too and '$' only the end."""
    out, i, in_class = [], 0, False
    while i < len(pattern):
        c = pattern[i]
        if c == "\\" and i + 1 < len(pattern):
            out.append(pattern[i:i + 2])
            i += 2
            continue
        if in_class:
            in_class = c != "]"
        elif c == "[":
            in_class = True
        elif c == "$":
            c = r"\Z"
        out.append(c)
        i += 1
    return re.compile("".join(out), re.DOTALL)


def test_environment(properties):
    """The environment CTest gives a test under make test: ours with the offscreen platform, then
    the test's ENVIRONMENT and ENVIRONMENT_MODIFICATION."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    for item in properties.get("ENVIRONMENT", []):
        name, _, value = item.partition("=")
        env[name] = value
    before = dict(env)
    for item in properties.get("ENVIRONMENT_MODIFICATION", []):
        name, _, change = item.partition("=")
        op, _, value = change.partition(":")
        old = env.get(name, "")
        if op == "reset":
            env.pop(name, None)
            if name in before:
                env[name] = before[name]
        elif op == "set":
            env[name] = value
        elif op == "unset":
            env.pop(name, None)
        elif op in ("string_append", "string_prepend"):
            env[name] = old + value if op == "string_append" else value + old
        elif op.startswith(("path_list_", "cmake_list_")):
            sep = os.pathsep if op.startswith("path_list_") else ";"
            parts = [old, value] if op.endswith("_append") else [value, old]
            env[name] = sep.join(p for p in parts if p)
    return env


# Seconds an executable may run with a mutant: three times what it took without one, at least
# TEST_TIMEOUT, so a slow suite on a loaded machine is not taken for a killed mutant.
timeouts = {}
UNMUTATED_TIMEOUT = 900


def run(command, properties, timeout=None):
    """(exit status, output); None for the status of a run that timed out."""
    cwd = properties.get("WORKING_DIRECTORY") or os.path.dirname(command[0])
    try:
        limit = timeout or timeouts.get(command[0], TEST_TIMEOUT)
        r = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=limit,
                           env=test_environment(properties), cwd=cwd)
        return r.returncode, r.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return None, ""


def passes(command, properties, timeout=None):
    """Whether CTest would not count the test as failed: skipped tests pass, the pass and fail
    expressions replace the exit status as CTest reads them, WILL_FAIL turns the verdict round."""
    if truthy(properties.get("DISABLED")):
        return True
    status, output = run(command, properties, timeout)
    if status is None or status < 0:
        return False  # timed out or died of a signal
    if "SKIP_RETURN_CODE" in properties and str(status) == str(properties["SKIP_RETURN_CODE"]):
        return True
    if any(cmake_regex(p).search(output) for p in properties.get("SKIP_REGULAR_EXPRESSION", [])):
        return True
    required = properties.get("PASS_REGULAR_EXPRESSION", [])
    failed = (required and not any(cmake_regex(p).search(output) for p in required)) or \
        any(cmake_regex(p).search(output) for p in properties.get("FAIL_REGULAR_EXPRESSION", []))
    ok = not failed and (status == 0 or bool(required))
    return not ok if truthy(properties.get("WILL_FAIL")) else ok


def run_test(binary, timeout=None):
    """True when the binary passes: all its GoogleTest cases in one run, then its other tests."""
    if binary.is_gtest():
        # The cases' own expressions (a skipped case) speak of one case, not of the whole run.
        status, _ = run([binary.path] + GTEST, binary.gtest, timeout)
        if status != 0:
            return False
    return all(passes(command, properties, timeout) for _, command, properties in binary.tests)


def evaluate(build, mutant, lock, suite):
    """'killed', 'survived' or 'broken' (did not compile)."""
    with lock:
        for i, binary in enumerate(tests_for(suite, mutant.folder)):
            ok, log = build_target(build, binary.name)
            if not ok:
                if i == 0 and "error" in log:
                    return "broken", None
                raise RuntimeError(f"build of {binary.name} failed:\n{log[-3000:]}")
            if not run_test(binary):
                return "killed", binary.name
    return "survived", None


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    p.add_argument("-n", type=int, default=int(os.environ.get("MUTATE_N", "150")))
    p.add_argument("--seed", type=int, default=int(os.environ.get("MUTATE_SEED", "17")))
    p.add_argument("--files", default=os.environ.get("MUTATE_FILES", ""))
    p.add_argument("--build", default=os.environ.get("MUTATE_BUILD", os.path.join(ROOT, "build-mutate")))
    p.add_argument("--lock-seconds", type=float, default=float(os.environ.get("MUTATE_LOCK_SECONDS", "30")),
                   help="hold the build lock for up to this many seconds of work before letting others in")
    p.add_argument("--ids", default=os.environ.get("MUTATE_IDS", ""),
                   help="comma-separated mutant ids to run instead of a sample, e.g. the survivors of a run")
    p.add_argument("--list", action="store_true")
    opts = p.parse_args()

    globs = [g.strip() for g in opts.files.split(",") if g.strip()]
    paths = product_sources(globs)
    if not paths:
        sys.exit("no product source matches " + opts.files)
    build = os.path.abspath(opts.build)
    os.makedirs(build, exist_ok=True)
    sources = Sources(os.path.join(build, "mutate-active.json"))

    population = generate(paths)
    equivalent = load_equivalent()
    # Ordered by a hash of seed and mutant, so an edit elsewhere neither adds nor drops mutants from
    # the sample beyond its own: runs before and after a change compare like with like.
    order = sorted(population, key=lambda m: hashlib.sha1(f"{opts.seed}:{m.id}".encode()).hexdigest())
    if opts.ids:
        wanted = {i.strip() for i in opts.ids.split(",") if i.strip()}
        order = [m for m in order if m.id in wanted]
        equivalent = {}
    print(f"{len(population)} mutants in {len(paths)} files; running up to {opts.n} (seed {opts.seed})")
    if opts.list:
        for m in order[:opts.n]:
            print(m.describe())
        return 0

    # One run per build folder; only a run that holds it may restore what a killed run left.
    guard = open(os.path.join(build, "mutate.lock"), "a")
    try:
        fcntl.flock(guard, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except BlockingIOError:
        sys.exit(f"another mutation run is using {build}")
    sources.recover()

    def on_signal(signum, _frame):
        raise KeyboardInterrupt(f"signal {signum}")
    # A run started in the background inherits an ignored SIGINT; Ctrl+C and kill must both restore.
    signal.signal(signal.SIGINT, on_signal)
    signal.signal(signal.SIGTERM, on_signal)
    signal.signal(signal.SIGHUP, on_signal)

    configure(build)
    lock = Lock(opts.lock_seconds)
    start = time.monotonic()
    results = {f: [0, 0] for f in FOLDERS}  # killed, survived
    survivors, broken, skipped, ran = [], 0, 0, 0
    try:
        with lock:
            # The whole tree first: CTest knows a test's command only once its executable is built.
            ok, log = build_target(build, "all", timeout=3 * BUILD_TIMEOUT)
            if not ok:
                sys.exit(f"the unmutated build fails:\n{log[-3000:]}")
            suite, missing = test_binaries(ctest_tests(build), build)
            if not suite:
                sys.exit(f"CTest lists no test that runs an executable of {build}")
            if missing:
                print("not run for mutants, CTest finds no command for: " + ", ".join(missing))
            for binary in suite:
                began = time.monotonic()
                if not run_test(binary, UNMUTATED_TIMEOUT):
                    sys.exit(f"{binary.name} fails without any mutant; fix the suite first")
                took = time.monotonic() - began
                for _, command, _ in binary.tests:
                    timeouts[command[0]] = max(TEST_TIMEOUT, 3 * took)
                timeouts[binary.path] = max(TEST_TIMEOUT, 3 * took)
        for m in order:
            if ran >= opts.n:
                break
            if m.id in equivalent:
                skipped += 1
                continue
            sources.plant(m)
            try:
                verdict, killer = evaluate(build, m, lock, suite)
            finally:
                sources.restore()
            if verdict == "broken":
                broken += 1
                continue
            ran += 1
            if verdict == "killed":
                results[m.folder][0] += 1
            else:
                results[m.folder][1] += 1
                survivors.append(m)
            mark = "killed by " + killer if verdict == "killed" else "SURVIVED"
            print(f"[{ran:3}/{opts.n}] {m.path}:{m.lineno + 1} {m.operator:10} {mark}", flush=True)
    except KeyboardInterrupt as e:
        print(f"\ninterrupted ({e}) after {ran} mutants; sources restored", file=sys.stderr)
        interrupted = True
    else:
        interrupted = False
    finally:
        sources.restore()
        lock.release()
        dirty = subprocess.run(["git", "-C", ROOT, "status", "--porcelain", "--"] + paths, capture_output=True,
                               text=True).stdout
        changed = [l for l in dirty.splitlines() if l.startswith(" M") or l.startswith("M")]
        if changed and not globs:
            print("note: these sources differ from git (edits of your own?):\n" + "\n".join(changed))

    elapsed = time.monotonic() - start
    if survivors:
        print("\nSurvivors (add the id to tools/mutate-equivalent.txt with a reason only if nothing observable "
              "changes):")
        for m in survivors:
            print(m.describe())
    print("\nKill rate of behaviour-changing mutants:")
    total_k = total_s = 0
    for folder in FOLDERS:
        k, s = results[folder]
        total_k += k
        total_s += s
        if k + s:
            print(f"  {folder:9} {k:3}/{k + s:<3} {100.0 * k / (k + s):5.1f}%")
    if total_k + total_s:
        print(f"  {'overall':9} {total_k:3}/{total_k + total_s:<3} {100.0 * total_k / (total_k + total_s):5.1f}%")
    print(f"  {broken} mutants did not compile (not counted); {skipped} known equivalent skipped")
    print(f"  {elapsed / 60:.1f} min, of which {lock.waited / 60:.1f} min waiting for the build lock")
    return 130 if interrupted else 0


if __name__ == "__main__":
    sys.exit(main())
