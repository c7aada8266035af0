#!/usr/bin/python3
"""The README and docs/*.md as a reader of a fresh clone meets them.

Every relative link resolves: its file or folder exists and, for a #anchor, the target file has a heading of
that anchor (GitHub's rule: lower case, punctuation dropped, blanks to hyphens). Every command of a sh block
names files and build targets that exist. The README's two set-up commands are the main job and the test
command, and the test command is the one .ci/run runs.

    /usr/bin/python3 tests/docs/check_docs.py SOURCE_DIR
"""
import pathlib
import re
import shlex
import sys

ROOT = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
problems = []


def anchors(markdown):
    """The anchors of the headings of a markdown text."""
    seen, out = {}, set()
    in_code = False
    for line in markdown.splitlines():
        if line.startswith("```"):
            in_code = not in_code
        m = re.match(r"^(#{1,6})\s+(.*?)\s*#*\s*$", line)
        if in_code or not m:
            continue
        slug = re.sub(r"[^\w\- ]", "", m.group(2).lower().replace("`", "")).replace(" ", "-")
        n = seen.get(slug, 0)
        seen[slug] = n + 1
        out.add(slug if n == 0 else f"{slug}-{n}")
    return out


def code_blocks(markdown, language):
    return re.findall(r"^```" + language + r"\n(.*?)^```", markdown, flags=re.M | re.S)


def check_links(doc):
    text = doc.read_text(encoding="utf-8")
    prose = re.sub(r"^```.*?^```", "", text, flags=re.M | re.S)
    for target in re.findall(r"\]\(([^)\s]+)\)", prose):
        if re.match(r"[a-z]+:", target):
            continue  # an external address
        path, _, anchor = target.partition("#")
        file = (doc.parent / path).resolve() if path else doc
        where = f"{doc.relative_to(ROOT)}: link {target}"
        if not file.exists():
            problems.append(f"{where}: {path} does not exist")
        elif anchor and (file.suffix != ".md" or anchor not in anchors(file.read_text(encoding="utf-8"))):
            problems.append(f"{where}: no heading #{anchor} in {file.relative_to(ROOT)}")


CMAKE = (ROOT / "CMakeLists.txt").read_text()
# target names, those made in a foreach as patterns (fuzz_kavrin_${name}); the dialogue programs are ${program}
TARGETS = [re.sub(r"\\\$\\\{\w+\\\}", r"[\\w-]+", re.escape(t))
           for t in re.findall(r"add_(?:executable|library)\(\s*([\w${}-]+)", CMAKE)]
TARGETS += [p for p in ("kavrin-regge", "kavrin-models") if p in CMAKE]
OPTIONS = set(re.findall(r"\b(KAVRIN_\w+|CMAKE_\w+)", CMAKE)) | {"CMAKE_BUILD_TYPE", "CMAKE_INSTALL_PREFIX",
                                                                 "CMAKE_PREFIX_PATH", "CMAKE_CXX_COMPILER",
                                                                 "CMAKE_CXX_FLAGS", "CMAKE_EXE_LINKER_FLAGS"}


def check_command(doc, line):
    """The files, targets and options a command names exist (paths below the source tree only)."""
    where = f"{doc.relative_to(ROOT)}: command {line[:60]}..."
    try:
        words = shlex.split(line)
    except ValueError as e:
        problems.append(f"{where}: does not parse ({e})")
        return
    for w in words:
        if w.startswith("-D"):
            name = w[2:].split("=")[0].split(":")[0]
            if name not in OPTIONS:
                problems.append(f"{where}: unknown option {name}")
        if w.startswith("-U") and w[2:] not in OPTIONS:
            problems.append(f"{where}: unknown option {w[2:]}")
        if re.match(r"(examples|data|docs|tests|fuzz|bench|tools)/", w) and not (ROOT / w).exists():
            problems.append(f"{where}: {w} does not exist")
    if "--target" in words:
        for t in words[words.index("--target") + 1:]:
            if t in ("&&", "|") or t.startswith("-") or "/" in t:
                break
            if not any(re.fullmatch(p, t) for p in TARGETS):
                problems.append(f"{where}: no build target {t}")


def commands(block):
    for line in block.replace("\\\n", " ").splitlines():
        for part in line.split("&&"):
            if part.strip():
                yield part.strip()


docs = [ROOT / "README.md"] + sorted((ROOT / "docs").glob("*.md"))
for doc in docs:
    check_links(doc)
    for block in code_blocks(doc.read_text(encoding="utf-8"), "sh"):
        for cmd in commands(block):
            check_command(doc, cmd)

# the set-up: the first two sh blocks of the README, the main job and the test command that CI runs
readme = (ROOT / "README.md").read_text(encoding="utf-8")
setup = readme.split("## Set-up", 1)[1].split("\n## ", 1)[0] if "## Set-up" in readme else ""
blocks = [b.strip() for b in code_blocks(setup, "sh")]
ci = [line.strip() for line in (ROOT / ".ci/run").read_text().splitlines()]
ci_test = next((ci[i + 1] for i, line in enumerate(ci) if line == "# The README's test command:"), None)
if len(blocks) != 2:
    problems.append(f"README.md: the set-up holds {len(blocks)} commands, not the main job and the test command")
elif ci_test is None:
    problems.append(".ci/run: no line after '# The README's test command:'")
else:
    main_job, test = blocks
    if test != ci_test.replace('-j"$jobs"', "-j2"):
        problems.append(f"README.md: the test command\n  {test}\ndiffers from the one .ci/run runs\n  {ci_test}")
    for needed in ("cmake -S . -B build", "--target kavrin-regge", "examples/run.sh"):
        if needed not in main_job:
            problems.append(f"README.md: the main job command lacks {needed}")

for p in problems:
    print(p)
print(f"{len(docs)} documents checked, {len(problems)} problem(s)")
sys.exit(1 if problems else 0)
