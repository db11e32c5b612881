#!/usr/bin/env python3
"""Checks that every source file includes only the folders its folder may use.

The layers, lowest first: the seams in platform/, their forms in
platform/<form>/, the core folders, then the hosts and the tools. A folder
may include its own files and those of the folders the table below allows.

Usage: check_includes.py ROOT        checks the tree at ROOT
       check_includes.py --self-test shows that a breach is caught
"""
import os
import re
import sys
import tempfile

SEAMS = {"platform"}
FORMS = {"platform/std", "platform/posix", "platform/win32"}
CORE_ORDER = ["settings", "definition", "mail", "commands", "browser"]

# The folders each folder may include, besides itself.
ALLOWED = {"platform": set()}
for form in FORMS:
    ALLOWED[form] = set(SEAMS)
# The system's forms may build on what needs the standard library alone.
for form in ("platform/posix", "platform/win32"):
    ALLOWED[form] |= {"platform/std"}
for i, folder in enumerate(CORE_ORDER):
    ALLOWED[folder] = SEAMS | set(CORE_ORDER[:i])
CORE = SEAMS | set(CORE_ORDER)
for host in ("hosts/qt", "hosts/band"):
    ALLOWED[host] = CORE | FORMS
ALLOWED["tools"] = CORE | FORMS
# Tests, benchmarks and fuzz targets may use every layer and the test
# support; the command-line tools' tests and the portable suites are kept off
# the hosts. The portable suites include no platform form either: they take
# their registry, connections and pump from tests/support, so the same suites
# build for every system.
TESTABLE = CORE | FORMS | {"tests/support"}
for suite in CORE_ORDER:
    ALLOWED["tests/" + suite] = CORE | {"tests/support", "tests/" + suite}
for suite in ["platform", "tools", "support", "layering"]:
    ALLOWED["tests/" + suite] = TESTABLE | {"tests/" + suite}
ALLOWED["tests/qt"] = TESTABLE | {"hosts/qt", "tests/qt"}
ALLOWED["tests/band"] = TESTABLE | {"hosts/band", "tests/band"}
ALLOWED["fuzz"] = TESTABLE
ALLOWED["bench"] = TESTABLE | {"hosts/qt"}

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.MULTILINE)
SOURCE_SUFFIXES = (".h", ".cc", ".cpp")


def folder_rule(relative_dir):
    """The table entry of the deepest listed folder holding `relative_dir`."""
    probe = relative_dir
    while probe:
        if probe in ALLOWED:
            return probe
        probe = os.path.dirname(probe)
    return None


def check(root):
    """Returns the list of breaches in the tree at `root`."""
    breaches = []
    for folder in sorted(ALLOWED):
        top = os.path.join(root, folder)
        if not os.path.isdir(top):
            continue
        for dirpath, dirnames, filenames in os.walk(top):
            dirnames.sort()
            relative_dir = os.path.relpath(dirpath, root).replace(os.sep, "/")
            if folder_rule(relative_dir) != folder:
                continue  # a sub folder with a rule of its own
            for name in sorted(filenames):
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.join(dirpath, name)
                with open(path, encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for match in INCLUDE.finditer(text):
                    target = match.group(1)
                    if "/" not in target:
                        continue  # a file of the same folder
                    owner = folder_rule(os.path.dirname(target))
                    if owner == folder or owner in ALLOWED[folder]:
                        continue
                    line = text.count("\n", 0, match.start()) + 1
                    breaches.append(
                        f"{relative_dir}/{name}:{line}: includes {target}, "
                        f"but {folder}/ may only use "
                        f"{', '.join(sorted(ALLOWED[folder])) or 'nothing'}")
    return breaches


def self_test():
    """A core file that includes a host header must be reported."""
    with tempfile.TemporaryDirectory() as root:
        def write(path, text):
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w") as f:
                f.write(text)
        write("settings/good.cc", '#include "platform/registry.h"\n')
        write("hosts/qt/view.h", "\n")
        if check(root):
            print("self-test: a clean tree was reported")
            return 1
        write("settings/bad.cc",
              '#include "settings/good.h"\n#include "hosts/qt/view.h"\n')
        write("platform/seam.h", '#include "platform/posix/form.h"\n')
        write("platform/posix/form.h", '#include "platform/seam.h"\n')
        write("tests/support/factory.cc", '#include "platform/posix/form.h"\n')
        write("tests/mail/suite_test.cc",
              '#include "tests/support/factory.h"\n'
              '#include "platform/posix/form.h"\n')
        found = check(root)
        if (len(found) != 3 or "platform/seam.h:1" not in found[0] or
                "settings/bad.cc:2" not in found[1] or
                "tests/mail/suite_test.cc:2" not in found[2]):
            print("self-test: the breaches were not reported:", found)
            return 1
    print("self-test: a core file including a host header, a seam "
          "including its form and a portable suite including a form are "
          "caught")
    return 0


def main(argv):
    if len(argv) == 2 and argv[1] == "--self-test":
        return self_test()
    if len(argv) != 2:
        print(__doc__)
        return 2
    breaches = check(argv[1])
    for breach in breaches:
        print(breach)
    if breaches:
        print(f"{len(breaches)} include(s) break the layering")
        return 1
    print("every include keeps to the layering")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
