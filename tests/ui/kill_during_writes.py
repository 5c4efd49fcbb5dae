#!/usr/bin/env python3
"""Kills a writer of the options with SIGKILL at random moments while it writes, again and again,
and checks after every kill that the settings file holds one whole set of options and reads without
damage; at the end, that the next write removes every temporary file the killed writers left.

kill_during_writes.py --writer build/tools/settings-writer [--kills N] [--seed S]
"""

import argparse
import os
import random
import subprocess
import sys
import tempfile
import time


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--writer", required=True)
    parser.add_argument("--kills", type=int, default=100)
    parser.add_argument("--seed", type=int, default=None)
    args = parser.parse_args()
    seed = args.seed if args.seed is not None else random.randrange(1 << 30)
    rng = random.Random(seed)
    print("seed %d" % seed)
    with tempfile.TemporaryDirectory() as folder:
        env = dict(os.environ, QUORLANE_USER_HIVE_DIR=folder)

        def check():
            out = subprocess.run([args.writer, "check"], env=env, capture_output=True, text=True, check=True)
            held, state, temporaries = out.stdout.split()
            return held, state, int(temporaries)

        seen = {"A": 0, "B": 0, "none": 0}
        cut = 0
        for kill in range(args.kills):
            writer = subprocess.Popen([args.writer, "write"], env=env)
            time.sleep(rng.uniform(0.002, 0.03))
            writer.kill()
            writer.wait()
            held, state, temporaries = check()
            if held not in seen or state != "sound":
                print("kill %d left the options %s and the file %s" % (kill + 1, held, state))
                return 1
            seen[held] += 1
            cut += temporaries > 0
        # The next write removes what the killed writers left.
        subprocess.run([args.writer, "once"], env=env, check=True)
        held, state, temporaries = check()
        print("%d kills: the file held set A %d times, set B %d times, nothing yet %d times, always "
              "whole and sound; %d kills found a temporary file left; after the next write: %d left"
              % (args.kills, seen["A"], seen["B"], seen["none"], cut, temporaries))
        return 0 if held == "A" and state == "sound" and temporaries == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
