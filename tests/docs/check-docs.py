#!/usr/bin/env python3
"""Holds the README and docs/ to what the repository and the build have.

  check-docs.py SOURCE BUILD names        every path, preset, build folder, option, ctest name,
                                          target and link the pages give exists
  check-docs.py SOURCE BUILD run          the blocks marked `sh run` run and succeed
  check-docs.py SOURCE BUILD readme-host  the README's C host builds against the build tree and
                                          returns the demo's packet
  check-docs.py SOURCE BUILD reference    the C reference refuses an undocumented function
"""
import atexit
import fnmatch
import functools
import glob
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

SOURCE, BUILD, MODE = sys.argv[1], sys.argv[2], sys.argv[3]
BIN = os.path.join(BUILD, "bin")
TOP_FOLDERS = ("\\.ci|bench|bindings|cmake|db|demo|docs|examples|fuzz|host|include|resources|"
               "scripts|src|tests|translations")
FILE_EXTENSIONS = "cpp|h|c|ui|pas|lpr|lfm|inc|sh|py|sql|ts|dmd|qrc|cmake|supp|CDS|script|json"
# Options of programs that are not ours: the LCL reads this one before the Lazarus till starts.
FOREIGN_OPTIONS = {"--disableaccurateframe"}
# How the pages write an option in general.
GENERIC_OPTIONS = {"--name", "--option"}
# Options of the tools the pages use beside ours.
TOOL_OPTIONS = {
    "cmake": {"--build", "--preset", "--target", "--install", "--prefix", "--component"},
    "ctest": {"--test-dir", "--output-on-failure"},
    "pkg-config": {"--cflags", "--libs", "--variable"},
    "lintian": {"--pedantic", "--display-info", "--fail-on"},
    "valgrind": {"--cache-sim", "--toggle-collect"},
}
# The programs whose options the pages give, and where their options are spelled.
PROGRAM_SOURCES = {
    "example_c_host": ["examples/c_host/main.c"],
    "host.py": ["examples/python_host/host.py"],
    "kpfhost_pascal": ["examples/pascal_host/kpfhost_pascal.lpr",
                       "examples/pascal_host/kpftill.pas"],
    "lazarus_till": ["examples/lazarus_host/*.lpr", "examples/lazarus_host/*.pas",
                     "examples/pascal_host/kpftill.pas"],
    "qt_till": ["examples/qt_host/*.cpp"],
}

failures = []


def fail(page, text):
    failures.append(f"{os.path.relpath(page, SOURCE)}: {text}")


def pages():
    manual = sorted(glob.glob(os.path.join(SOURCE, "docs/*.md")))
    return [os.path.join(SOURCE, "README.md")] + manual


def blocks(text):
    """(info, body) of each fenced block."""
    return re.findall(r"^```([^\n]*)\n(.*?)^```", text, re.S | re.M)


def code_spans(text):
    prose = re.sub(r"^```[^\n]*\n.*?^```", "", text, flags=re.S | re.M)
    return re.findall(r"`([^`\n]+)`", prose)


def code_lines(text):
    """Each line of a shell or cmake block, and each code span, with continuations joined."""
    lines = []
    for info, body in blocks(text):
        if info.split()[:1] in (["sh"], ["cmake"]):
            lines += body.replace("\\\n", " ").splitlines()
    return lines + code_spans(text)


def run(command, **kwargs):
    return subprocess.run(command, capture_output=True, text=True, **kwargs)


def kpfhost_options():
    help_text = run([os.path.join(BIN, "kpfhost"), "--help-all"]).stdout
    return set(re.findall(r"(?<![\w-])(--?[a-z][a-z-]*)", help_text))


def test_names():
    listing = run(["ctest", "--test-dir", BUILD, "-N"]).stdout
    return re.findall(r"Test\s+#\d+: (\S+)", listing)


def targets():
    listing = run(["cmake", "--build", BUILD, "--target", "help"]).stdout
    return set(re.findall(r"^(\S+?):", listing, re.M))


def build_roots():
    presets = json.load(open(os.path.join(SOURCE, "CMakePresets.json")))["configurePresets"]
    roots = {p["binaryDir"].replace("${sourceDir}/", "") for p in presets}
    roots |= set(re.findall(r"\bbuild/[\w.-]+", sources_text(("scripts/*", "bench/*"))))
    return roots, {p["name"] for p in presets}


def anchors(text):
    found = set()
    for heading in re.findall(r"^#+ (.+)$", text, re.M):
        slug = re.sub(r"[^\w\- ]", "", heading.lower()).replace(" ", "-")
        found.add(slug)
    return found


def check_path(page, token, created):
    token = token.rstrip(".,;:)")
    if token.startswith("build/"):
        root = "/".join(token.split("/")[:2])
        if "*" in root:
            return
        if root not in ROOTS and not any(root.startswith(r) for r in ROOTS):
            fail(page, f"{token}: no preset or script makes {root}")
        return
    if os.path.basename(token) in created:
        return
    pattern = re.sub(r"<[^>]*>", "*", token)
    if not glob.glob(os.path.join(SOURCE, pattern)):
        fail(page, f"{token}: no such file in the repository")


def check_names():
    options = kpfhost_options()
    tests = test_names()
    known_targets = targets()
    tracked = run(["git", "-C", SOURCE, "ls-files"]).stdout.split()
    basenames = {os.path.basename(f) for f in tracked}
    for _, _, files in os.walk(BUILD):  # what the build makes: generated headers, CMake files
        basenames |= set(files)
    # Qt names the program as it was started in the first line.
    expected_help = re.sub(r"^Usage: \S+", "Usage: kpfhost",
                           run([os.path.join(BIN, "kpfhost"), "--help"]).stdout)
    # Files the pages themselves make: a block named after its file, the examples' outputs.
    created = {"demo-home", "result.xml"}
    for page in pages():
        created |= {info.split()[1] for info, _ in blocks(open(page).read())
                    if len(info.split()) > 1 and info.split()[1] not in ("run", "kpfhost-help")}
    for page in pages():
        text = open(page).read()
        for info, body in blocks(text):
            if info.split()[1:] == ["kpfhost-help"] and body != expected_help:
                fail(page, "the kpfhost --help block is not what kpfhost --help prints")
        for span in code_spans(text) + re.findall(r"\S+", "\n".join(b for _, b in blocks(text))):
            for token in span.split():
                if re.match(rf"^({TOP_FOLDERS})/\S*$|^CMakeLists\.txt$|^CMakePresets\.json$",
                            token):
                    check_path(page, token, created)
                elif re.match(r"^build/\S+$", token):
                    check_path(page, token, created)
                elif re.match(rf"^[\w+-]+\.({FILE_EXTENSIONS})$", token) \
                        and token not in basenames and token not in created:
                    fail(page, f"{token}: no file of that name in the repository or the build")
        for line in code_lines(text):
            check_line(page, line, options, tests, known_targets)
        for target, anchor in re.findall(r"\]\(([^)#\s]*)(?:#([^)\s]*))?\)", text):
            if target.startswith("http"):
                continue
            path = os.path.normpath(os.path.join(os.path.dirname(page), target)) if target else page
            if not os.path.exists(path):
                fail(page, f"link to {target}: no such file")
            elif anchor and path.endswith(".md") and anchor not in anchors(open(path).read()):
                fail(page, f"link to {target}#{anchor}: no such heading")
        check_every_option(page, text, options)
        if os.path.basename(page) == "kpfhost.md":
            for span in code_spans(text):
                option = re.match(r"^(--[a-z][a-z-]*)", span)
                if option and option.group(1) not in options | GENERIC_OPTIONS:
                    fail(page, f"`{span}`: kpfhost has no option {option.group(1)}")


@functools.lru_cache(maxsize=None)
def sources_text(patterns):
    """The text of every file the patterns name, read once however often it is asked for."""
    return "".join(open(name, errors="replace").read() for pattern in patterns
                   for name in glob.glob(os.path.join(SOURCE, pattern), recursive=True)
                   if os.path.isfile(name))


def check_every_option(page, text, options):
    """Any option a page gives, wherever it stands, belongs to some program: kpfhost, one of the
    examples or scripts (spelled in its source), or a tool the pages use."""
    spelled = sources_text(("examples/**/*", "scripts/*", "bench/*", "host/*.cpp"))
    known = options | GENERIC_OPTIONS | FOREIGN_OPTIONS | set().union(*TOOL_OPTIONS.values())
    code = " ".join(body for _, body in blocks(text)) + " " + " ".join(code_spans(text))
    for option in sorted(set(re.findall(r"(?<![\w-])(--[a-z][\w-]*)", code))):
        if option not in known and option not in spelled:
            fail(page, f"{option}: no program the pages name knows this option")


def check_line(page, line, options, tests, known_targets):
    # What a command substitution prints is not an option of the program around it.
    words = re.sub(r"\$\([^)]*\)", "VALUE", line).split()
    for index, word in enumerate(words):
        name = os.path.basename(word)
        if name == "kpfhost" or word == "kpfhost":
            for option in words[index + 1:]:
                option = option.split("=")[0]
                if option in ("|", "&&", ";") or option.startswith("$("):
                    break
                if re.match(r"^--?[a-z]", option) and option not in options:
                    fail(page, f"{line.strip()}: kpfhost has no option {option}")
        sources = PROGRAM_SOURCES.get(name)
        if sources is None and re.match(r"^(bash )?(scripts|bench)/[\w.-]+$", word):
            sources = [word]
        if sources:
            spelled = sources_text(tuple(sources))
            for option in words[index + 1:]:
                if option in ("|", "&&", ";"):
                    break
                option = option.strip("[]").split("=")[0]
                if re.match(r"^--[a-z]", option) and option not in FOREIGN_OPTIONS \
                        and option not in spelled:
                    fail(page, f"{line.strip()}: {name} knows no option {option}")
        if word == "--preset" and index + 1 < len(words) and words[index + 1] not in PRESETS:
            fail(page, f"{line.strip()}: no preset {words[index + 1]}")
        if word.endswith("scripts/build") and index + 1 < len(words):
            for preset in words[index + 1].strip("[]").split("|"):
                if preset.strip("\\") not in PRESETS:
                    fail(page, f"{line.strip()}: no preset {preset}")
        if word == "--target" and index + 1 < len(words) and words[index + 1] not in known_targets:
            fail(page, f"{line.strip()}: no target {words[index + 1]}")
    if words[:1] == ["ctest"] and "-R" in words:
        regex = words[words.index("-R") + 1].strip("'\"").replace("\\|", "|")
        if not any(re.search(regex, t) for t in tests):
            fail(page, f"{line.strip()}: no test matches {regex}")
    for name in re.findall(r"\b([A-Z]\w+\.(?:\*|[A-Z]\w+))(?![\w.])", line):
        suite = name.split(".")[0]
        if not any(t.split(".")[0].split("/")[-1] == suite for t in tests):
            continue  # not a test's name (a Pascal method, a settings file)
        if not any(fnmatch.fnmatchcase(t, name) or fnmatch.fnmatchcase(t, name + "*")
                   or t.endswith("/" + name) for t in tests):
            fail(page, f"{name}: no such test")


def sandbox():
    """A copy of the checkout with build/run and build/dev both this build, as after scripts/run,
    so that what the commands write never lands in the checkout."""
    work = tempfile.mkdtemp(prefix="kpf-docs-")
    atexit.register(shutil.rmtree, work, ignore_errors=True)
    for entry in os.listdir(SOURCE):
        if entry not in (".git", "build"):
            copy = shutil.copytree if os.path.isdir(os.path.join(SOURCE, entry)) else shutil.copy2
            copy(os.path.join(SOURCE, entry), os.path.join(work, entry))
    os.mkdir(os.path.join(work, "build"))
    for preset in ("run", "dev"):
        os.symlink(BUILD, os.path.join(work, "build", preset))
    return work


def check_runnable():
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    ran = 0
    for page in pages():
        for info, body in blocks(open(page).read()):
            if info.split() != ["sh", "run"]:
                continue
            ran += 1
            result = run(["bash", "-euo", "pipefail", "-c", body], cwd=sandbox(), env=environment,
                         timeout=300)
            if result.returncode != 0:
                fail(page, f"block failed ({result.returncode}):\n"
                           f"{body}{result.stdout}{result.stderr}")
    if ran == 0:
        failures.append("no block is marked to run")


def check_readme_host():
    readme = open(os.path.join(SOURCE, "README.md")).read()
    source = [body for info, body in blocks(readme) if info.split() == ["c", "till.c"]]
    if len(source) != 1:
        failures.append("README.md: no single `c till.c` block")
        return
    work = sandbox()
    with open(os.path.join(work, "till.c"), "w") as file:
        file.write(source[0])
    # The build tree's flags for what pkg-config gives an installed host.
    compiled = run(["cc", "-Wall", "-Wextra", "-Werror", "till.c",
                    "-I", os.path.join(SOURCE, "include"), "-I", os.path.join(BUILD, "include"),
                    "-L", BIN, f"-Wl,-rpath,{BIN}", "-lPkg_Kpf05520", "-l_dll", "-o", "till"],
                   cwd=work)
    if compiled.returncode != 0:
        failures.append("README.md: till.c does not build:\n" + compiled.stderr)
        return
    run([os.path.join(BIN, "kpfhost"), "--make-demo-home", "demo-home"], cwd=work)
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen", TILL_CONFIRM_MS="300")
    result = run(["./till", "demo-home"], cwd=work, env=environment, timeout=120)
    if result.returncode != 0 or 'CDIMPOSTO="03"' not in result.stdout \
            or "<DATAPACKET" not in result.stdout:
        failures.append(f"README.md: till exits {result.returncode}, not with the demo's packet:\n"
                        f"{result.stdout}{result.stderr}")


def check_reference():
    work = tempfile.mkdtemp(prefix="kpf-reference-")
    atexit.register(shutil.rmtree, work, ignore_errors=True)
    header = os.path.join(work, "undocumented.h")
    with open(header, "w") as file:
        file.write("/** @file\n * A header with one function left undocumented. */\n"
                   "int KpfUndocumented(void);\n")
    config = open(os.path.join(BUILD, "reference/Doxyfile")).read()
    config += f'\nINPUT = "{header}"\nOUTPUT_DIRECTORY = "{work}"\n'
    result = run(["doxygen", "-"], input=config)
    if result.returncode == 0 or "KpfUndocumented" not in result.stderr:
        failures.append("doxygen took a header with an undocumented function: "
                        f"{result.returncode} {result.stderr}")


ROOTS, PRESETS = build_roots()
{"names": check_names, "run": check_runnable, "readme-host": check_readme_host,
 "reference": check_reference}[MODE]()
for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
