#!/usr/bin/python3
"""Checks the Debian packages built by scripts/package.sh: which packages
there are, the files each one ships and what each one depends on.

Usage: check_packages.py BUILD_DIR [--gtk]   (--gtk: the GTK plugin was built)
"""
import glob
import os
import subprocess
import sys

# package: (files shipped besides its documentation, dependencies, forbidden
# dependencies). A dependency with a version must appear exactly; one
# without, as a package name with any version.
PACKAGES = {
    "ktupdate": (["usr/lib/{ma}/talvo/libktupdatedll.so"],
                 ["libc6", "libpugixml1v5", "libstdc++6"], ["libgtk-3-0"]),
    "ktupdate-gtk": (["usr/lib/{ma}/talvo/libktupdate_gtk.so"],
                     ["ktupdate (= {version})", "libgtk-3-0"], []),
    "ktupdate-dev": (["usr/include/ktupdate.h", "usr/lib/{ma}/pkgconfig/ktupdate.pc",
                      "usr/lib/{ma}/cmake/ktupdate/ktupdateConfig.cmake",
                      "usr/lib/{ma}/cmake/ktupdate/ktupdateConfigVersion.cmake"],
                     ["ktupdate (= {version})"], []),
    "kthost": (["usr/bin/kthost", "usr/share/man/man1/kthost.1.gz"],
               ["ktupdate (= {version})", "libc6", "libstdc++6"], ["libgtk-3-0"]),
    "libkthandover1": (["usr/lib/{ma}/libkthandover.so.1", "usr/lib/{ma}/libkthandover.so.1.0.0"],
                       ["libc6"], ["ktupdate"]),
    "libkthandover-dev": (["usr/include/kthandover.h", "usr/lib/{ma}/libkthandover.so",
                           "usr/lib/{ma}/pkgconfig/kthandover.pc"],
                          ["libkthandover1 (= {version})"], []),
    "kthandover": (["usr/bin/kthandover", "usr/share/man/man1/kthandover.1.gz"],
                   ["libkthandover1", "libc6"], ["ktupdate"]),
}
DOCUMENTATION = ["usr/share/doc/{package}/copyright", "usr/share/doc/{package}/changelog.Debian.gz",
                 "usr/share/lintian/overrides/{package}"]


def run(*command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout.strip()


def field(deb, name):
    return run("dpkg-deb", "--field", deb, name)


def check(build, gtk):
    multiarch = run("dpkg-architecture", "-qDEB_HOST_MULTIARCH").strip()
    debs = {field(d, "Package"): d for d in glob.glob(os.path.join(build, "*.deb"))}
    expected = set(PACKAGES) - (set() if gtk else {"ktupdate-gtk"})
    faults = []
    if set(debs) != expected:
        faults.append(f"packages {sorted(debs)}, expected {sorted(expected)}")
    for package in sorted(expected & set(debs)):
        deb = debs[package]
        version = field(deb, "Version")
        files, depends, forbidden = PACKAGES[package]
        wanted = {f.format(ma=multiarch, package=package) for f in files + DOCUMENTATION}
        # The files and links of the package, without its folders.
        got = {line.split(None, 5)[5].split(" -> ")[0].removeprefix("./")
               for line in run("dpkg-deb", "--contents", deb).splitlines() if not line.startswith("d")}
        if got != wanted:
            faults.append(f"{package}: extra {sorted(got - wanted)}, missing {sorted(wanted - got)}")
        declared = [d.strip() for d in field(deb, "Depends").split(",") if d.strip()]
        names = {d.split()[0] for d in declared}
        faults += [f"{package}: no dependency {d} in {declared}" for d in (d.format(version=version) for d in depends)
                   if d not in (declared if "(" in d else names)]
        faults += [f"{package}: must not depend on {name}" for name in forbidden if name in names]
    if "libkthandover1" in debs:
        shlibs = run("dpkg-deb", "--info", debs["libkthandover1"], "shlibs").split()
        if shlibs[:3] != ["libkthandover", "1", "libkthandover1"]:
            faults.append(f"libkthandover1: shlibs {shlibs}")
    return faults


if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[1].startswith("-"):
        sys.exit(__doc__)
    found = check(sys.argv[1], "--gtk" in sys.argv[2:])
    print("".join(f"FAIL: {fault}\n" for fault in found) + "packages: " + (f"{len(found)} fault(s)" if found else "ok"))
    sys.exit(1 if found else 0)
