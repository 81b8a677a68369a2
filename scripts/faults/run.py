#!/usr/bin/env python3
"""Fault campaign: plants one realistic fault at a time and asks whether the tests notice.

Each fault in the list replaces one exact snippet of one source file. The runner works on a
scratch copy of a commit (build-faults/src, made fresh from `git archive`), builds it
incrementally in build-faults/build (ccache, -j2 by default), and judges every fault by the
test suite (ctest) and the conformance suites (`omxml conformance`), both built with
AddressSanitizer and UndefinedBehaviorSanitizer as CI's sanitizer job builds them, so a fault
that reads freed memory counts as caught when a test walks that path. The planted file is
restored after each fault, so the next fault starts from the clean tree. A snippet that does
not occur exactly once is reported as stale.

    python3 scripts/faults/run.py [--rev REV] [--only ID ...] [--report FILE] [--dir DIR] [-j N]
    python3 scripts/faults/run.py --check      # only tells which snippets are stale
    python3 scripts/faults/run.py --from-log LOG --rev REV --report FILE
                                               # the report of an earlier run, from its output

The list format (scripts/faults/faults.txt):

    @ ID path/to/file.cpp
    # what the fault does, in one line
    ! equivalent: why no behaviour can change        (optional)
    ? survives: why no test can see it               (optional, for known survivors)
    <<<
    the exact snippet
    ===
    its replacement
    >>>
"""
import argparse
import os
import re
import shutil
import signal
import subprocess
import sys
import time
from pathlib import Path

TOP = Path(__file__).resolve().parents[2]


class Fault:
    def __init__(self, ident, path):
        self.ident, self.path = ident, path
        self.what, self.equivalent, self.survives = "", "", ""
        self.old, self.new = None, None


def parse(list_path):
    faults, fault, block, lines = [], None, None, []
    for raw in Path(list_path).read_text().split("\n"):
        if block is not None:
            if raw in ("===", ">>>"):
                text = "\n".join(lines)
                if block == "old":
                    fault.old = text
                else:
                    fault.new = text
                block, lines = ("new" if raw == "===" else None), []
            else:
                lines.append(raw)
        elif raw.startswith("@ "):
            ident, path = raw[2:].split()
            fault = Fault(ident, path)
            faults.append(fault)
        elif raw.startswith("# ") and fault and fault.old is None:  # not a section heading after it
            fault.what = raw[2:]
        elif raw.startswith("! equivalent:") and fault:
            fault.equivalent = raw.split(":", 1)[1].strip()
        elif raw.startswith("? survives:") and fault:
            fault.survives = raw.split(":", 1)[1].strip()
        elif raw == "<<<":
            block, lines = "old", []
    for f in faults:
        if f.old is None or f.new is None:
            sys.exit(f"fault {f.ident}: missing snippet or replacement")
    idents = [f.ident for f in faults]
    if len(set(idents)) != len(idents):
        sys.exit("fault identifiers repeat")
    return faults


def run(cmd, cwd, timeout, env=None):
    """Runs cmd in its own process group; kills the whole group on timeout. Returns (rc, output)."""
    proc = subprocess.Popen(cmd, cwd=cwd, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                            start_new_session=True, text=True, errors="replace")
    try:
        out, _ = proc.communicate(timeout=timeout)
        return proc.returncode, out
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, _ = proc.communicate()
        return -1, out + "\n[timed out]"


class Campaign:
    def __init__(self, args):
        self.root = TOP / args.dir
        self.src, self.build, self.work = self.root / "src", self.root / "build", self.root / "work"
        self.jobs = args.jobs
        self.env = dict(os.environ, CCACHE_BASEDIR=str(self.root), ASAN_OPTIONS="detect_leaks=1:abort_on_error=1",
                        UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1")

    def prepare(self, rev):
        shutil.rmtree(self.src, ignore_errors=True)
        self.src.mkdir(parents=True)
        archive = subprocess.run(["git", "-C", str(TOP), "archive", rev], check=True, capture_output=True).stdout
        subprocess.run(["tar", "-x", "-C", str(self.src)], input=archive, check=True)
        rc, out = run(["cmake", "-S", str(self.src), "-B", str(self.build), "-G", "Ninja",
                       "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DOMXML_WERROR=OFF",
                       "-DOMXML_SANITIZE=ON", "-DCMAKE_BUILD_TYPE=Debug",
                       # A fault in the library relinks the library only; the programs load it at run time.
                       "-DCMAKE_LINK_DEPENDS_NO_SHARED=ON"], TOP, 600, self.env)
        if rc != 0:
            sys.exit("configure failed:\n" + out)

    def compile(self):
        return run(["cmake", "--build", str(self.build), f"-j{self.jobs}"], TOP, 1800, self.env)

    def judge(self):
        """Returns the judges that failed: 'tests' (with the failing test names) and/or 'conformance'."""
        caught = []
        rc, out = run(["ctest", "--test-dir", str(self.build), f"-j{self.jobs}", "--timeout", "60"], TOP, 900,
                      self.env)
        if rc != 0:
            names = re.findall(r"^\s*\d+ - (\S+)", out, re.M)
            caught.append("tests (" + ", ".join(names[:4]) + (", ..." if len(names) > 4 else "") + ")")
        shutil.rmtree(self.work, ignore_errors=True)
        self.work.mkdir(parents=True)
        rc, out = run([str(self.build / "tools" / "omxml"), "conformance", "--workdir", str(self.work)], self.work, 300,
                      self.env)
        if rc != 0:
            caught.append("conformance")
        return caught

    def try_fault(self, fault):
        target = self.src / fault.path
        if not target.is_file():
            return "stale", "file is gone"
        original = target.read_text()
        count = original.count(fault.old)
        if count != 1:
            return "stale", f"snippet occurs {count} times"
        try:
            target.write_text(original.replace(fault.old, fault.new, 1))
            rc, out = self.compile()
            if rc != 0:
                errors = [l for l in out.splitlines() if "error" in l][:2]
                return "does not build", " / ".join(errors)[:200]
            caught = self.judge()
            return ("caught", ", ".join(caught)) if caught else ("survived", "")
        finally:
            target.write_text(original)


def write_report(path, rev, faults, results, seconds):
    real = [f for f in faults if results[f.ident][0] in ("caught", "survived") and not f.equivalent]
    caught = [f for f in real if results[f.ident][0] == "caught"]
    lines = [
        "# Fault campaign report",
        "",
        f"Generated by `scripts/faults/run.py` on commit `{rev}`"
        + (f" in {seconds / 60:.0f} min." if seconds else " (rendered from the run's output)."),
        "Judges: `ctest` (the whole test suite) and `omxml conformance`.",
        "",
        f"**{len(caught)} of {len(real)} non-equivalent faults caught "
        f"({100 * len(caught) / max(len(real), 1):.1f} %).**",
        "",
    ]
    counts = {}
    for f in faults:
        state = results[f.ident][0]
        if f.equivalent and state in ("caught", "survived"):
            state = "equivalent (" + state + ")"
        counts[state] = counts.get(state, 0) + 1
    lines += ["| outcome | faults |", "|---|---|"] + [f"| {k} | {v} |" for k, v in sorted(counts.items())] + [""]
    lines += ["| fault | file | what | outcome | judge / note |", "|---|---|---|---|---|"]
    for f in faults:
        state, detail = results[f.ident]
        note = detail
        if state == "survived":
            note = ("equivalent: " + f.equivalent) if f.equivalent else ("survives: " + (f.survives or "no test sees it"))
        elif f.equivalent:
            note = detail + "; marked equivalent: " + f.equivalent
        lines.append(f"| {f.ident} | `{f.path}` | {f.what} | {state} | {note.replace('|', '/')} |")
    Path(path).write_text("\n".join(lines) + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rev", default="HEAD")
    parser.add_argument("--list", default=str(TOP / "scripts" / "faults" / "faults.txt"))
    parser.add_argument("--report", default=str(TOP / "scripts" / "faults" / "report.md"))
    parser.add_argument("--only", nargs="*")
    parser.add_argument("--dir", default="build-faults", help="scratch folder, relative to the repository")
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--from-log", help="write the report of a run from the lines it printed")
    parser.add_argument("-j", "--jobs", type=int, default=2)
    args = parser.parse_args()
    faults = parse(args.list)
    if args.only:
        faults = [f for f in faults if f.ident in args.only]
    if args.check:
        for f in faults:
            path = TOP / f.path
            n = path.read_text().count(f.old) if path.is_file() else 0
            if n != 1:
                print(f"{f.ident}: stale ({n} matches in {f.path})")
        print(f"{len(faults)} faults checked")
        return
    rev = subprocess.run(["git", "-C", str(TOP), "rev-parse", "--short", args.rev], check=True, capture_output=True,
                         text=True).stdout.strip()
    if args.from_log:
        results = {}
        for m in re.finditer(r"^\[\d+/\d+\] (\S+): (caught|survived|stale|does not build) ?(.*)$",
                             Path(args.from_log).read_text(), re.M):
            results[m.group(1)] = (m.group(2), m.group(3))
        faults = [f for f in faults if f.ident in results]
        write_report(args.report, rev, faults, results, 0)
        return
    campaign = Campaign(args)
    start = time.time()
    campaign.prepare(args.rev)
    rc, out = campaign.compile()
    if rc != 0:
        sys.exit("the clean tree does not build:\n" + out[-3000:])
    if campaign.judge():
        sys.exit("the clean tree fails its own judges; fix that first")
    results = {}
    for i, fault in enumerate(faults, 1):
        results[fault.ident] = campaign.try_fault(fault)
        print(f"[{i}/{len(faults)}] {fault.ident}: {results[fault.ident][0]} {results[fault.ident][1]}", flush=True)
    campaign.compile()  # leave the build matching the clean tree
    write_report(args.report, rev, faults, results, time.time() - start)
    print("report:", args.report)


if __name__ == "__main__":
    main()
