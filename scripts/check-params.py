#!/usr/bin/python3
"""Lists the functions of Components/ and app/ that take more than six parameters.

A long list is allowed where a comment says why: the comment right above one of the function's
declarations, or one on its signature's lines, contains "parameters:", e.g.
    // Seven parameters: glTexImage1D's own, in its order.
Exits 1 when a function over the limit has no such comment at any of its declarations, else 0.

    scripts/check-params.py [--all] [ROOT]

--all lists the explained long lists too. The parse is a heuristic over the declarations and
definitions at namespace and class scope; function bodies are skipped, so calls never count.
Comments, literals and preprocessor lines are blanked first, then every statement whose head
reads `name(...)` has the top-level commas of its parameter list counted.
"""

import re
import sys
from pathlib import Path

LIMIT = 6
FOLDERS = ("Components", "app")
SUFFIXES = (".h", ".hpp", ".cpp")
MARKER = re.compile(r"parameters:", re.IGNORECASE)

# Names that open a parenthesis without being a function's.
NOT_FUNCTIONS = {
    "decltype", "sizeof", "alignof", "alignas", "noexcept", "static_assert", "requires",
    "__attribute__", "void", "bool", "char", "int", "long", "short", "float", "double",
    "auto", "unsigned", "signed", "return", "throw", "if", "for", "while", "switch", "catch",
}
# Braces after these open a scope whose declarations are scanned in turn.
SCOPE_HEAD = re.compile(r"\b(namespace|class|struct|union)\b|\bextern\s*(\"\s*\")?\s*$")
# The name before a parameter list: an identifier, a destructor or an operator.
NAME = re.compile(r"((?:~\s*)?(?:\boperator\s*(?:\(\)|[^\s(]+)|\b[A-Za-z_]\w*))\s*$")
# After a parameter list: qualifiers, then the colon of a constructor's initialisers.
CTOR_INIT = re.compile(r"^\s*(?:\w+\s*)*:(?!:)")


# Comments, literals and preprocessor lines (with their continuations). A quote right after a
# letter or digit is no character literal (1'000 is a digit separator).
BLANKED = re.compile(
    r"""(?P<pre>^[ \t]*\#(?:[^\n\\]|\\.)*)
      | (?P<comment>//[^\n]*|/\*.*?(?:\*/|\Z))
      | (?<![\w])R"(?P<delim>[^(\s"]*)\(.*?\)(?P=delim)"
      | "(?:[^"\\\n]|\\.)*"
      | (?<![\w'])'(?:[^'\\\n]|\\.)*'""",
    re.M | re.S | re.X)


def blank(text):
    """The text with comments, literals and preprocessor lines as spaces (newlines kept, so
    offsets still give the lines), and the comment texts by line number."""
    out = []
    comments = {}
    pos, line = 0, 1
    for m in BLANKED.finditer(text):
        out.append(text[pos:m.start()])
        line += text.count("\n", pos, m.start())
        if m.group("comment"):
            for k, part in enumerate(m.group(0).split("\n")):
                comments.setdefault(line + k, []).append(part)
        out.append(re.sub(r"[^\n]", " ", m.group(0)))
        line += m.group(0).count("\n")
        pos = m.end()
    out.append(text[pos:])
    return "".join(out), comments


def matching(text, i, opener, closer):
    """The index just past the bracket that closes the one at i."""
    depth = 0
    while i < len(text):
        if text[i] == opener:
            depth += 1
        elif text[i] == closer:
            depth -= 1
            if depth == 0:
                return i + 1
        i += 1
    return len(text)


def count_parameters(params):
    """Top-level commas of a parameter list, plus one; () and (void) take none."""
    body = params.strip()
    if body in ("", "void"):
        return 0
    depth = commas = 0
    for k, c in enumerate(body):
        if c in "([{<":
            depth += 1
        elif c in ")]}" or (c == ">" and body[k - 1] != "-"):
            depth -= 1
        elif c == "," and depth == 0:
            commas += 1
    return commas + 1


def signature(head):
    """(name, parameter count, offset of the name, end of the parameter list) of the function
    a statement head declares, or None."""
    angle = 0
    for k, c in enumerate(head):
        if c == "<":
            angle += 1
        elif c == ">" and angle > 0:
            angle -= 1
        elif c == "=" and angle == 0:
            comparison = head[k - 1:k] in ("=", "!", "<", ">") or head[k + 1:k + 2] == "="
            if not comparison and not re.search(r"\boperator\s*\W*$", head[:k]):
                return None  # a variable with its initialiser, or an alias
        elif c == "(" and angle == 0:
            m = NAME.search(head[:k])
            if not m or m.group(1).split("::")[-1] in NOT_FUNCTIONS:
                return None
            end = matching(head, k, "(", ")")
            name = re.sub(r"\s+", "", m.group(1))
            return name, count_parameters(head[k + 1:end - 1]), m.start(1), end
    return None


def scan(text):
    """Every function declaration or definition of one file as (name, parameter count, first
    line, last line), and the comments by line."""
    blanked, comments = blank(text)

    def statement_end(m):
        return ";" + " " * (len(m.group(0)) - 1)

    # Access labels and Qt's class markers end a statement.
    blanked = re.sub(r"\b(public|protected|private)(\s+(slots|Q_SLOTS))?\s*:(?!:)",
                     statement_end, blanked)
    blanked = re.sub(r"\b(signals|Q_SIGNALS)\s*:(?!:)|\b(Q_OBJECT|Q_GADGET)\b", statement_end,
                     blanked)
    found = []
    i, start, n, paren = 0, 0, len(blanked), 0
    while i < n:
        c = blanked[i]
        if c == "(":
            paren += 1
        elif c == ")":
            paren -= 1
        elif paren == 0 and c in ";{}":
            head = blanked[start:i]
            sig = signature(head) if c != "}" else None
            if sig and c == "{" and CTOR_INIT.match(head[sig[3]:]):
                # The body follows the initialisers: the first brace after a ) or a }.
                while i < n:
                    if blanked[i] == "{":
                        k = i - 1
                        while k >= 0 and blanked[k].isspace():
                            k -= 1
                        if k >= 0 and blanked[k] in ")}":
                            break
                        i = matching(blanked, i, "{", "}")
                    elif blanked[i] == "(":
                        i = matching(blanked, i, "(", ")")
                    else:
                        i += 1
            if sig:
                name, count, at, _ = sig
                found.append((name, count, blanked.count("\n", 0, start + at) + 1,
                              blanked.count("\n", 0, i) + 1))
            if i < n and blanked[i] == "{" and (sig or not SCOPE_HEAD.search(head)):
                # A function body or an initialiser: nothing in it is a declaration.
                i = start = matching(blanked, i, "{", "}")
                continue
            start = i + 1
        i += 1
    return found, comments


def explained(comments, first, last):
    """A marker in a comment on the signature's lines or in the comment block right above."""
    lines = list(range(first, last + 1))
    above = first - 1
    while above in comments:
        lines.append(above)
        above -= 1
    return any(MARKER.search(part) for ln in lines for part in comments.get(ln, []))


def main(argv):
    show_all = "--all" in argv
    args = [a for a in argv if a != "--all"]
    root = Path(args[0]) if args else Path(__file__).resolve().parent.parent
    long_lists = []
    for folder in FOLDERS:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in SUFFIXES or not path.is_file():
                continue
            found, comments = scan(path.read_text(encoding="utf-8", errors="replace"))
            for name, count, first, last in found:
                if count > LIMIT:
                    long_lists.append((path.relative_to(root), name, count, first,
                                       explained(comments, first, last)))

    # One explained declaration covers the function's other declarations and its definition.
    def key(f):
        return f[1].split("::")[-1], f[2]

    covered = {key(f) for f in long_lists if f[4]}
    failures = 0
    for f in long_lists:
        ok = key(f) in covered
        failures += 0 if ok else 1
        if show_all or not ok:
            why = "explained" if ok else "no 'parameters:' comment"
            print(f"{f[0]}:{f[3]}: {f[1]} takes {f[2]} parameters ({why})")
    if failures:
        print(f"{failures} declaration(s) over {LIMIT} parameters without a why-comment",
              file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
