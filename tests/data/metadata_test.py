#!/usr/bin/env python3
"""The desktop entry and the AppStream metadata as the desktop's own tools read them, and what they
point to: desktop-file-validate, appstreamcli validate --no-net, one id across the files, and every
screenshot URL naming a picture in docs/."""

import argparse
import os
import re
import subprocess
import sys


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--data", required=True, help="the build's data folder")
    parser.add_argument("--docs", required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--screenshots", required=True, help="the URL docs/ is published under")
    args = parser.parse_args()
    failures = []
    desktop = os.path.join(args.data, args.app_id + ".desktop")
    metainfo = os.path.join(args.data, args.app_id + ".metainfo.xml")

    r = subprocess.run(["desktop-file-validate", desktop], capture_output=True, text=True)
    if r.returncode != 0 or "error:" in r.stdout + r.stderr:
        failures.append("desktop-file-validate:\n" + r.stdout + r.stderr)

    r = subprocess.run(["appstreamcli", "validate", "--no-net", "--explain", metainfo], capture_output=True, text=True)
    if r.returncode != 0:
        failures.append("appstreamcli validate:\n" + r.stdout + r.stderr)

    entry = dict(line.split("=", 1) for line in open(desktop, encoding="utf-8").read().splitlines() if "=" in line)
    xml = open(metainfo, encoding="utf-8").read()
    ids = {"Icon": entry.get("Icon"), "StartupWMClass": entry.get("StartupWMClass"),
           "metainfo id": re.search(r"<id>(.*?)</id>", xml).group(1),
           "launchable": re.search(r'<launchable type="desktop-id">(.*?)\.desktop</launchable>', xml).group(1)}
    for what, value in ids.items():
        if value != args.app_id:
            failures.append(f"{what} is {value!r}, not the desktop id {args.app_id!r}")

    shots = re.findall(r"<image>(.*?)</image>", xml)
    if not shots:
        failures.append("no screenshots")
    for url in shots:
        name = url[len(args.screenshots) + 1:] if url.startswith(args.screenshots + "/") else None
        if name is None or not os.path.isfile(os.path.join(args.docs, name)):
            failures.append(f"screenshot {url} is not a picture of docs/ under {args.screenshots}/")

    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
