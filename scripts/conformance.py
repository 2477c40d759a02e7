#!/usr/bin/python3
"""Runs quillmere-cli over the W3C XML Conformance Test Suite and prints how many documents it
refuses and accepts, side by side with Expat alone (Python's pyexpat) and libxml2's xmllint.

    /usr/bin/python3 scripts/conformance.py [--suite FOLDER] [--cli PROGRAM]

FOLDER holds xmlts20130923.zip (default: $QUILLMERE_XMLTS, else ../shared/xmlts beside the
repository); the archive is unpacked into a temporary folder. The cases are those a
non-validating reader that reads nothing outside the document is judged by: XML 1.0 fifth
edition, ENTITIES="none", namespace processing on (cases marked NAMESPACE="no" are left out).
Type not-wf must be refused; valid and invalid must be converted, except an entity declared
nowhere, whose text cannot be known: that case may be refused with a reason that says so.
Exits with 1 when quillmere-cli misses that goal, with 0 when it meets it or the suite is absent.
"""
import argparse
import concurrent.futures
import os
import pyexpat
import shutil
import subprocess
import sys
import tempfile
import zipfile

ARCHIVE = "xmlts20130923.zip"
REPOSITORY = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# A case the converter may refuse, and the reason it must give then.
MAY_BE_REFUSED = {"rmt-e3e-13": "undefined entity"}
# Far beyond any case's time: a run that takes longer hangs.
TIMEOUT_SECONDS = 60


def read_cases(root):
    """Every TEST of the catalogs xmlconf/xmlconf.xml includes, read as that file includes them
    (each catalog is an external entity, so files of several TEST elements are read too), with
    the attribute defaults of the catalogs' DTD and the document's path."""
    cases = []
    folders = []

    def parse(parser, path):
        folders.append(os.path.dirname(path))
        parser.SetBase(path)
        with open(path, "rb") as catalog:
            parser.ParseFile(catalog)
        folders.pop()

    def on_start(name, attributes):
        if name == "TEST":
            case = dict(attributes)
            case["path"] = os.path.normpath(os.path.join(folders[-1], case["URI"]))
            cases.append(case)

    def on_entity(context, base, system_id, public_id):
        path = os.path.join(os.path.dirname(base), system_id)
        parse(parsers[-1].ExternalEntityParserCreate(context), path)
        return 1

    parsers = [pyexpat.ParserCreate()]
    parsers[0].SetParamEntityParsing(pyexpat.XML_PARAM_ENTITY_PARSING_UNLESS_STANDALONE)
    parsers[0].StartElementHandler = on_start
    parsers[0].ExternalEntityRefHandler = on_entity
    parse(parsers[0], os.path.join(root, "xmlconf", "xmlconf.xml"))
    return cases


def selected(case):
    if case.get("ENTITIES", "none") != "none" or case.get("NAMESPACE", "yes") == "no":
        return False
    if case.get("RECOMMENDATION", "XML1.0") in ("XML1.1", "NS1.1"):
        return False
    if "VERSION" in case and "1.0" not in case["VERSION"].split():
        return False
    return "EDITION" not in case or "5" in case["EDITION"].split()


def run_cli(cli, path):
    """(outcome, reason): accepted, refused (a reported failure), or what else happened."""
    try:
        finished = subprocess.run([cli, "--stdout", path], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.PIPE, timeout=TIMEOUT_SECONDS)
    except subprocess.TimeoutExpired:
        return "hung", "no end after %d s" % TIMEOUT_SECONDS
    errors = finished.stderr.decode("utf-8", "replace")
    lines = [line for line in errors.splitlines() if line.startswith("error:")]
    reason = lines[0][len("error:"):] if lines else errors.strip()
    if finished.returncode == 0:
        return "accepted", ""
    if finished.returncode == 1 and lines:
        return "refused", reason
    return "exit status %d" % finished.returncode, reason


def expat_accepts(path):
    parser = pyexpat.ParserCreate(namespace_separator=" ")
    try:
        with open(path, "rb") as document:
            parser.ParseFile(document)
        return True
    except pyexpat.ExpatError:
        return False


def xmllint_accepts(path):
    finished = subprocess.run(["xmllint", "--noout", "--nonet", path], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=TIMEOUT_SECONDS)
    return finished.returncode == 0


def xmllint_version():
    finished = subprocess.run(["xmllint", "--version"], capture_output=True, text=True)
    words = (finished.stderr or finished.stdout).split()
    return "libxml2 " + words[words.index("version") + 1] if "version" in words else "libxml2"


def main():
    arguments = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    arguments.add_argument("--suite", default=os.environ.get(
        "QUILLMERE_XMLTS", os.path.join(REPOSITORY, "..", "shared", "xmlts")))
    arguments.add_argument("--cli", default=os.path.join(REPOSITORY, "build", "bin",
                                                         "quillmere-cli"))
    options = arguments.parse_args()
    archive = os.path.join(options.suite, ARCHIVE)
    if not os.path.isfile(archive):
        print("conformance: %s is absent; the check is skipped" % os.path.normpath(archive))
        return 0
    if not os.access(options.cli, os.X_OK):
        sys.exit("conformance: %s is missing; build it first" % options.cli)
    cli = os.path.abspath(options.cli)

    with tempfile.TemporaryDirectory(prefix="quillmere-xmlts-") as root:
        with zipfile.ZipFile(archive) as suite:
            suite.extractall(root)
        cases = [case for case in read_cases(root) if selected(case)]
        wrong = [case for case in cases if case["TYPE"] == "not-wf"]
        right = [case for case in cases if case["TYPE"] in ("valid", "invalid")]
        paths = [case["path"] for case in wrong + right]
        with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
            cli_runs = dict(zip(paths, pool.map(lambda path: run_cli(cli, path), paths)))
            lint = shutil.which("xmllint") is not None
            lint_runs = dict(zip(paths, pool.map(xmllint_accepts, paths))) if lint else {}
        expat_runs = {path: expat_accepts(path) for path in paths}

        def counts(accepted):
            return ("%d/%d" % (sum(not accepted(case["path"]) for case in wrong), len(wrong)),
                    "%d/%d" % (sum(accepted(case["path"]) for case in right), len(right)))

        print("W3C XML Conformance Test Suite (%s): XML 1.0 fifth edition, ENTITIES=\"none\", "
              "namespaces on" % ARCHIVE)
        print("  %-34s %15s %15s" % ("", "not-wf refused", "wf accepted"))
        rows = [("quillmere-cli", lambda path: cli_runs[path][0] == "accepted"),
                ("Expat alone (pyexpat, %s)" % pyexpat.EXPAT_VERSION, expat_runs.get)]
        if lint:
            rows.append(("xmllint --nonet (%s)" % xmllint_version(), lint_runs.get))
        else:
            print("  (xmllint is not installed: apt-get install libxml2-utils)")
        for name, accepted in rows:
            print("  %-34s %15s %15s" % ((name,) + counts(accepted)))

        def relative(case):
            return os.path.relpath(case["path"], os.path.join(root, "xmlconf"))

        misses = []
        for case in wrong:
            outcome, reason = cli_runs[case["path"]]
            if outcome != "refused":
                misses.append((case, outcome + (": " + reason if reason else "")))
        for case in right:
            outcome, reason = cli_runs[case["path"]]
            allowed = MAY_BE_REFUSED.get(case["ID"])
            if outcome == "refused" and allowed and allowed in reason:
                print("  refused as it may be: %s %s: %s" % (case["ID"], relative(case), reason))
            elif outcome != "accepted":
                misses.append((case, outcome + (": " + reason if reason else "")))
        for case, what in misses:
            print("  MISS %s (%s) %s: %s" % (case["ID"], case["TYPE"], relative(case), what))
        print("quillmere-cli %s the goal" % ("misses" if misses else "meets"))
        return 1 if misses else 0


if __name__ == "__main__":
    sys.exit(main())
