#!/usr/bin/env python3
"""Every program the scripts call comes from a package install-deps.sh installs.

The scripts under scripts/ name the programs they call in scripts/programs.
This check reads every shell script, finds each word in a command's place,
and fails when one is neither a shell builtin, a function of the scripts, a
path of the project's own, nor listed. For each listed program it then finds
the Debian package that owns it (dpkg -S on its path) and fails unless
install-deps.sh installs that package or Debian marks it essential (always
there). A listed program that is not installed fails too, naming it: the
package that would bring it is missing from install-deps.sh.

  scripts/check_programs.py [all|native]   (native: programs not installed
                                             are only noted, since the
                                             Windows stages' packages are not)
"""
import os
import re
import shlex
import shutil
import subprocess
import sys

SCRIPTS = os.path.dirname(os.path.abspath(__file__))
SEPARATORS = {";", "|", "||", "&&", "&", "(", ")", "{", "}", "!", "|&", ";;", "\n"}
KEYWORDS_THEN_COMMAND = {"then", "do", "else", "elif", "if", "while", "until", "time"}
# Words that run the command after them (with their own options first).
WRAPPERS = {"exec": 0, "command": 0, "nohup": 0, "timeout": 1, "env": 0, "xargs": 0}
WRAPPER_OPTIONS_WITH_VALUE = {"-P", "-n", "-I", "-L", "-d", "-s", "-k", "-u", "--signal"}


def shell_words(kind):
    out = subprocess.run(["bash", "-c", f"compgen -{kind}"], capture_output=True, text=True)
    return set(out.stdout.split())


def without_heredocs(text):
    """The script with every here-document's body dropped and each line continuation joined."""
    lines, out, ending = text.replace("\\\n", " ").split("\n"), [], None
    for line in lines:
        if ending is not None:
            if line.strip() == ending:
                ending = None
            continue
        match = re.search(r"<<-?\s*['\"]?(\w+)['\"]?", line)
        if match:
            ending = match.group(1)
            line = line[: match.start()] + line[match.end():]
        out.append(line)
    return "\n".join(out)


def command_strings(text):
    """The text with each $( ... ) replaced by a placeholder, and the insides apart."""
    text = re.sub(r"\$\(\((?:[^()]|\([^()]*\))*\)\)", "0", text)  # arithmetic
    inner, out, i = [], [], 0
    while i < len(text):
        if text.startswith("$(", i):
            depth, j = 1, i + 2
            while j < len(text) and depth:
                depth += {"(": 1, ")": -1}.get(text[j], 0)
                j += 1
            inner.extend(command_strings(text[i + 2 : j - 1]))
            out.append("X")
            i = j
        else:
            out.append(text[i])
            i += 1
    return ["".join(out)] + inner


def tokens(text):
    lexer = shlex.shlex(text, posix=True, punctuation_chars=True)
    lexer.whitespace = " \t\r"
    lexer.commenters = "#"
    lexer.wordchars += "$-./:=@%+,*?[]{}~^"
    try:
        return list(lexer)
    except ValueError:
        return text.split()


def called_words(text):
    """Each word in a command's place, as (word, following words)."""
    found = []
    for part in command_strings(without_heredocs(text)):
        words = tokens(part)
        at_command, pattern, in_test, last = True, False, False, ""
        i = 0
        while i < len(words):
            word = words[i]
            i += 1
            if in_test:
                in_test = word != "]]"
                continue
            if pattern:  # a case pattern or a for list: not a command
                if word in {")", "esac"} or (last == "for" and word in {";", "\n"}):
                    pattern, at_command = False, True
                continue
            if word in SEPARATORS or word in KEYWORDS_THEN_COMMAND:
                if word == ";;":
                    pattern = True
                at_command = True
                continue
            if word == "in" and last in {"case", "for"}:
                pattern = True
                continue
            if not at_command:
                continue
            if word == "[[":
                in_test, at_command = True, False
                continue
            if re.match(r"^\w+\+?=$", word) and i < len(words) and words[i] == "(":
                while i < len(words) and words[i] != ")":
                    i += 1  # an array's words
                i += 1
                continue
            if re.match(r"^\w+(\[.*\])?\+?=", word) or re.match(r"^[0-9]*[<>]", word):
                continue  # an assignment or a redirection before the command
            if word in {"case", "for", "function", "select"}:
                last, at_command = word, False
                continue
            last = word
            at_command = False
            if word in WRAPPERS:
                found.append((word, words[i:]))
                skip = WRAPPERS[word]
                while i < len(words) and (words[i].startswith("-") or "=" in words[i] or skip):
                    if words[i] in WRAPPER_OPTIONS_WITH_VALUE:
                        i += 1
                    elif not words[i].startswith("-") and "=" not in words[i]:
                        skip -= 1
                    i += 1
                at_command = True
                continue
            if word == "trap" and i < len(words):
                found.extend(called_words(words[i]))
            found.append((word, words[i:]))
    return found


def external(word, builtins, functions):
    return not (word in builtins or word in functions or "/" in word or word.startswith("$")
                or not re.match(r"^[A-Za-z][\w.+-]*$", word))


def owning_package(program):
    """The Debian package of the program, looked for where Debian puts programs
    first (a stand-in elsewhere on PATH does not count); None when no package
    holds it."""
    places = [os.path.join(d, program) for d in ("/usr/bin", "/bin", "/usr/sbin", "/sbin")]
    places += [p for p in [shutil.which(program)] if p]
    for place in places:
        if not os.path.exists(place):
            continue
        for candidate in dict.fromkeys([place, os.path.realpath(place)]):
            out = subprocess.run(["dpkg", "-S", candidate], capture_output=True, text=True)
            if out.returncode == 0:
                return out.stdout.split(":")[0].split(",")[0].strip()
    return None


def always_there(package):
    """Essential and required packages are on every Debian machine."""
    out = subprocess.run(["dpkg-query", "-W", "-f=${Essential} ${Priority}", package],
                         capture_output=True, text=True)
    essential, _, priority = out.stdout.partition(" ")
    return essential == "yes" or priority == "required"


def with_dependencies(packages):
    """The packages and what each installed one depends on directly."""
    found = set(packages)
    for package in packages:
        out = subprocess.run(["dpkg-query", "-W", "-f=${Depends},${Pre-Depends}", package],
                             capture_output=True, text=True)
        for alternative in out.stdout.split(","):
            for name in alternative.split("|"):
                name = name.strip().split(" ")[0].split(":")[0]
                if name:
                    found.add(name)
    return found


def installed_by_deps():
    text = open(os.path.join(SCRIPTS, "install-deps.sh"), encoding="utf-8").read()
    return set(re.findall(r"[a-z0-9][a-z0-9.+-]+", " ".join(re.findall(r"=\(([^)]*)\)", text))))


def listed_programs():
    path = os.path.join(SCRIPTS, "programs")
    names = set()
    for line in open(path, encoding="utf-8"):
        names.update(line.split("#")[0].split())
    return names


def main():
    mode = sys.argv[1] if len(sys.argv) > 1 else "all"
    builtins = shell_words("b") | shell_words("k") | {"[", "]", "]]", "source", "."}
    scripts = sorted(f for f in os.listdir(SCRIPTS) if f.endswith(".sh"))
    texts = {f: open(os.path.join(SCRIPTS, f), encoding="utf-8").read() for f in scripts}
    functions = set()
    for text in texts.values():
        functions.update(re.findall(r"^\s*([\w-]+)\s*\(\)\s*\{", text, re.M))
    listed, wanted = listed_programs(), with_dependencies(installed_by_deps())
    failures = []
    for name, text in texts.items():
        for word, _ in called_words(text):
            if external(word, builtins, functions) and word not in listed:
                failures.append(f"scripts/{name} calls {word}, which scripts/programs does not list")
    for program in sorted(listed):
        package = owning_package(program)
        if package is None:
            if mode == "all":
                failures.append(f"{program} is not installed: scripts/install-deps.sh installs "
                                "no package that brings it")
            else:
                print(f"note: {program} is not installed (a Windows stage's program)")
        elif package not in wanted and not always_there(package):
            failures.append(f"{program} comes from the package {package}, which "
                            "scripts/install-deps.sh does not install")
    for failure in dict.fromkeys(failures):
        print(failure, file=sys.stderr)
    if failures:
        return 1
    print(f"every program the scripts call ({len(listed)}) comes from a package they install")
    return 0


if __name__ == "__main__":
    sys.exit(main())
