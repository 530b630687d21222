"""Adds up the GoogleTest XML reports of the given build trees and prints "N passed, N failed".

A test program that ctest ran but that left no report (it crashed or hung) counts as one failure.
Exits 1 when anything failed or nothing ran."""
import os
import subprocess
import sys
import xml.etree.ElementTree as ET


def tests_of(build):
    out = subprocess.run(["ctest", "--test-dir", build, "-N"], capture_output=True, text=True).stdout
    return [line.split(":", 1)[1].strip() for line in out.splitlines() if line.strip().startswith("Test") and "#" in line]


def main(builds):
    passed = failed = skipped = 0
    for build in builds:
        reports = os.path.join(build, "test-reports")
        for name in tests_of(build):
            path = os.path.join(reports, name + ".xml")
            try:
                root = ET.parse(path).getroot()
            except (OSError, ET.ParseError):
                print(f"no report from {name}: counted as a failure")
                failed += 1
                continue
            for case in root.iter("testcase"):
                if case.find("failure") is not None or case.find("error") is not None:
                    failed += 1
                elif case.get("result") == "skipped" or case.get("status") == "notrun" or case.find("skipped") is not None:
                    skipped += 1
                else:
                    passed += 1
    print(f"{passed} passed, {failed} failed" + (f", {skipped} skipped" if skipped else ""))
    return 0 if failed == 0 and passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
