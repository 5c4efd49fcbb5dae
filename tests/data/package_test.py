#!/usr/bin/env python3
"""The Debian package as `make package` builds it: lintian finds no errors (scripts/make-package),
its version is the one the installed program reports, dpkg-shlibdeps found the Qt libraries, and
`dpkg-deb -c` lists the binaries, the desktop entry, the icons, the metadata and the manual pages, and
the installed desktop entry passes the distribution's own validator."""

import argparse
import os
import subprocess
import sys
import tempfile


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--libdir", required=True)
    args = parser.parse_args()
    failures = []

    with tempfile.TemporaryDirectory(prefix="quorlane-package-") as out:
        r = subprocess.run([os.path.join(args.source, "scripts", "make-package"), args.build, out],
                           capture_output=True, text=True, timeout=600)
        print(r.stdout + r.stderr)
        if r.returncode != 0:
            print("FAIL: make-package")
            return 1
        deb = r.stdout.strip().splitlines()[-1]
        if not os.path.basename(deb).startswith(f"quorlane-calculator_{args.version}_"):
            failures.append(f"package file {deb} does not carry the version {args.version}")

        fields = {}
        for name in ("Package", "Version", "Depends"):
            fields[name] = subprocess.run(["dpkg-deb", "-f", deb, name], capture_output=True, text=True).stdout.strip()
        if fields["Version"] != args.version:
            failures.append(f"Version {fields['Version']!r}, want {args.version!r}")
        for library in ("libqt6widgets6", "libqt6gui6", "libc6", "libqt6svg6", "libqt6printsupport6"):
            if library not in fields["Depends"]:
                failures.append(f"Depends lacks {library}: {fields['Depends']}")

        listing = subprocess.run(["dpkg-deb", "-c", deb], capture_output=True, text=True).stdout
        paths = {line.split()[-1].lstrip(".") for line in listing.splitlines()}
        wanted = ["/usr/bin/quorcalc", "/usr/bin/quorcalc-cli", f"/usr/share/applications/{args.app_id}.desktop",
                  f"/usr/share/icons/hicolor/scalable/apps/{args.app_id}.svg",
                  f"/usr/share/metainfo/{args.app_id}.metainfo.xml",
                  "/usr/share/man/man1/quorcalc.1.gz", "/usr/share/man/man1/quorcalc-cli.1.gz",
                  f"/usr/{args.libdir}/quorlane-calculator/modules/libquorlane-print.so"]
        wanted += [f"/usr/share/icons/hicolor/{s}x{s}/apps/{args.app_id}.png" for s in (16, 24, 32, 48, 64, 128, 256)]
        for path in wanted:
            if path not in paths:
                failures.append(f"dpkg-deb -c does not list {path}")

        # The entry as the package installs it, through the validator of the distribution it is for.
        tree = os.path.join(out, "tree")
        subprocess.run(["dpkg-deb", "-x", deb, tree], check=True)
        entry = os.path.join(tree, "usr", "share", "applications", f"{args.app_id}.desktop")
        r = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
        if r.returncode != 0 or "error:" in r.stdout + r.stderr:
            failures.append("desktop-file-validate rejects the installed entry:\n" + r.stdout + r.stderr)

    for f in failures:
        print("FAIL:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
