#!/usr/bin/env python3
"""quorcalc-cli as a process: options, exit status, byte-exact output, answering line by line."""

import argparse
import os
import subprocess
import sys

failures = []


def check(what, got, want):
    if got != want:
        failures.append(f"{what}:\n  got  {got!r}\n  want {want!r}")


def run(cli, args, stdin):
    return subprocess.run([cli] + args, input=stdin, capture_output=True, timeout=30)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--version", required=True, help="the version the build reads from ProgramVersion.h")
    options = parser.parse_args()
    cli = options.cli

    # --version: read from the program's version block; it must be the version the build knows.
    r = run(cli, ["--version"], b"")
    check("--version", (r.returncode, r.stdout.splitlines()[0]),
          (0, f"quorcalc-cli (Quorlane Calculator) {options.version}".encode()))

    # Options before and after the subcommand; the separators reach every conversion.
    requests = b"parse\t1,5\nfixed\t1234,5\t0\t2\nfmt\t#.##0,00\t1234,5\n\n"
    want = b"ok\t40000000000000000015\nok\t1234,50\nok\t1.234,50\n"
    for args in (["--decimal", ",", "--group", ".", "bcd"], ["bcd", "--decimal", ",", "--group", "."]):
        r = run(cli, args, requests)
        check(f"{args} stdout", r.stdout, want)
        check(f"{args} exit", r.returncode, 0)

    # Texts keep leading and trailing blanks; an 8-bit character passes through untouched.
    r = run(cli, ["--decimal", ".", "--group", ",", "bcd"], b"fmt\t' \xe9 '0 \t5\nexp\t-2\t0\n")
    check("blanks and 8-bit text", r.stdout, b"ok\t \xe9 5 \nok\t-2.00000000000000000E+00\n")

    # No input: no output, exit 0.
    r = run(cli, ["bcd"], b"")
    check("empty input", (r.stdout, r.returncode), (b"", 0))

    # Unusable command lines: exit 2 with an explanation on stderr and nothing on stdout.
    for args in (["bcd", "--decimal"], ["--decimal", "xy", "bcd"], ["frobnicate"], [], ["bcd", "extra"]):
        r = run(cli, args, b"parse\t1\n")
        check(f"{args} exit", r.returncode, 2)
        check(f"{args} stdout", r.stdout, b"")
        if b"usage" not in r.stderr:
            failures.append(f"{args}: no usage text on stderr: {r.stderr!r}")

    # A program can talk to it line by line: each answer arrives before the next request is sent.
    p = subprocess.Popen([cli, "--decimal", ".", "--group", ",", "bcd"], stdin=subprocess.PIPE,
                         stdout=subprocess.PIPE)
    for request, answer in ((b"add\t1\t2\n", b"ok\t40000000000000000030\n"),
                            (b"div\t1\t0\n", b"error\t83\tBCD divide by zero\n")):
        p.stdin.write(request)
        p.stdin.flush()
        check(f"interactive {request!r}", p.stdout.readline(), answer)
    p.stdin.close()
    check("interactive exit", p.wait(timeout=10), 0)

    # The keys subcommand: a key script, the separators of the user, byte-exact lines.
    script = b"1\n2\n3\n4\n.\n5\n+\n1\n=\nsqrt\nms\nbogus\n"
    r = run(cli, ["--group", ".", "keys", "--decimal", ","], script)
    want = (b"after\t1\t1\t\nafter\t2\t12\t\nafter\t3\t123\t\nafter\t4\t1.234\t\n"
            b"after\t.\t1.234,\t\nafter\t5\t1.234,5\t\nafter\t+\t1.234,5\t\nafter\t1\t1\t\n"
            b"after\t=\t1.235,5\t\nafter\tsqrt\t35,14967994164385\t\n"
            b"after\tms\t35,14967994164385\tMemory = 35,14967994164385\n")
    if not r.stdout.startswith(want):
        failures.append(f"keys script:\n  got  {r.stdout!r}\n  want {want!r}...")
    tail = r.stdout[len(want):]
    if not tail.startswith(b"usage\tunknown key 'bogus'"):
        failures.append(f"keys usage line: {tail!r}")
    tape = [line for line in r.stdout.split(b"\n") if line.startswith(b"tape\t")]
    check("keys tape", tape, [b"tape\t1.234,5  ", b"tape\t1 +", b"tape\t" + b"-" * 26, b"tape\t1.235,5 =",
                              b"tape\t ", b"tape\t1.235,5 sqrt", b"tape\t" + b"-" * 26,
                              b"tape\t35,14967994164385 =", b"tape\t ", b"tape\t35,14967994164385 MS"])
    check("keys exit", r.returncode, 0)

    # A line longer than any request (40 MB of TABs, as a broken or hostile writer sends it) is
    # answered with a usage line in bounded memory, and the next request as usual.
    p = subprocess.Popen([cli, "--decimal", ".", "--group", ",", "bcd"], stdin=subprocess.PIPE,
                         stdout=subprocess.PIPE)
    chunk = b"\t" * (1 << 20)
    for _ in range(40):
        p.stdin.write(chunk)
    p.stdin.write(b"\nadd\t1\t2\n")
    p.stdin.close()
    answers = p.stdout.read().split(b"\n")
    _, status, usage = os.wait4(p.pid, 0)
    check("long line answers", answers,
          [b"usage\ta request is at most 65536 bytes long", b"ok\t40000000000000000030", b""])
    check("long line exit", os.waitstatus_to_exitcode(status), 0)
    if usage.ru_maxrss > 100 * 1024:  # KiB; the line alone is 40 MB, holding it costs about 1 GB
        failures.append(f"a 40 MB line took {usage.ru_maxrss} KiB")

    if failures:
        print("\n".join(failures))
        return 1
    print("cli process checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
