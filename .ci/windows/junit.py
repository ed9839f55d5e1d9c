"""Judges a pytest run by its junit XML: prints the counts, and exits 1 on any
failure or error, or when fewer tests ran than the floor given."""

import sys
import xml.etree.ElementTree as ET

path, floor = sys.argv[1], int(sys.argv[2])
try:
    root = ET.parse(path).getroot()
except (OSError, ET.ParseError) as error:
    print(f"no junit XML ({error})")
    sys.exit(1)
suites = [root] if root.tag == "testsuite" else root.findall("testsuite")
tests = sum(int(s.get("tests", 0)) for s in suites)
failures = sum(int(s.get("failures", 0)) for s in suites)
errors = sum(int(s.get("errors", 0)) for s in suites)
skipped = sum(int(s.get("skipped", 0)) for s in suites)
passed = tests - failures - errors - skipped
print(f"{passed} passed, {skipped} skipped, {failures} failed, {errors} errors")
for case in root.iter("testcase"):
    skip = case.find("skipped")
    if skip is not None:
        print(f"  skipped {case.get('name')}: {skip.get('message')}", file=sys.stderr)
sys.exit(1 if failures or errors or passed + skipped < floor else 0)
