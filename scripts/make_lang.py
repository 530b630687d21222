#!/usr/bin/env python3
"""Write a Movalent language file from the string table of a resource script.

Usage: make_lang.py STRINGS_RC RESOURCE_H OUT_LANG

The string table's identifiers are resolved through the #defines of
RESOURCE_H. The output is what the program's language-file reader expects:
UTF-16LE with a byte-order mark, CRLF line ends, a few "#" comment lines,
then one "id:text" line per string in identifier order. Line breaks and tabs
inside a text are written as the two-character escapes the reader turns back
into them.

The reader has no way to quote a backslash, so a text holding a literal
backslash followed by "n" or "t" (or the four characters backslash, r,
backslash, n) would come back altered. Every text is therefore read back with
the reader's own rules before anything is written; if one does not survive,
nothing is written and the script fails naming it. The same goes for anything
it cannot represent or cannot read faithfully from the resource script: it
stops rather than guess.
"""

import ast
import os
import re
import sys
import tempfile

LANGUAGE_NAME_ID = 124


class Failure(Exception):
    """A problem with the input, reported to the user without a traceback."""


# --------------------------------------------------------------------------
# Comments and preprocessor lines
# --------------------------------------------------------------------------

def strip_comments(text, where):
    """Remove // and /* */ comments, keeping string literals and line count."""
    out = []
    i = 0
    n = len(text)
    line = 1
    while i < n:
        c = text[i]
        if c == '"':
            # Copy a string literal whole; "" inside it is a quote, not an end.
            j = i + 1
            while True:
                if j >= n or text[j] == "\n":
                    raise Failure(f"{where}:{line}: unterminated string literal")
                if text[j] == "\\" and j + 1 < n and text[j + 1] != "\n":
                    j += 2
                    continue
                if text[j] == '"':
                    if j + 1 < n and text[j + 1] == '"':
                        j += 2
                        continue
                    break
                j += 1
            out.append(text[i:j + 1])
            i = j + 1
        elif text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            if j < 0:
                raise Failure(f"{where}:{line}: unterminated comment")
            # Keep the line breaks so later messages still give the right line.
            out.append("\n" * text.count("\n", i, j))
            line += text.count("\n", i, j)
            i = j + 2
        else:
            if c == "\n":
                line += 1
            out.append(c)
            i += 1
    return "".join(out)


def logical_lines(text):
    """Yield (line number, text) with backslash-newline continuations joined."""
    pending = ""
    start = None
    for number, raw in enumerate(text.split("\n"), 1):
        raw = raw.rstrip("\r")
        if start is None:
            start = number
        if raw.endswith("\\"):
            pending += raw[:-1]
            continue
        yield start, pending + raw
        pending = ""
        start = None
    if start is not None:
        yield start, pending


# --------------------------------------------------------------------------
# #define values from the header
# --------------------------------------------------------------------------

DEFINE_RE = re.compile(r"#\s*define\s+([A-Za-z_]\w*)(\(?)(.*)$")
INCLUDE_RE = re.compile(r'#\s*include\s+"([^"]+)"')
C_INT_RE = re.compile(r"\b(0[xX][0-9A-Fa-f]+|\d+)[uUlL]*\b")
ALLOWED_OPS = (ast.Add, ast.Sub, ast.Mult, ast.BitOr, ast.BitAnd, ast.BitXor,
               ast.LShift, ast.RShift, ast.USub, ast.UAdd, ast.Invert)


def read_defines(path, seen=None):
    """Map macro name -> replacement text for every object-like #define, those of the headers it includes
    with quotes (from its own folder) too."""
    seen = set() if seen is None else seen
    if os.path.abspath(path) in seen:
        return {}
    seen.add(os.path.abspath(path))
    text = strip_comments(read_text(path), path)
    defines = {}
    for _, line in logical_lines(text):
        include = INCLUDE_RE.match(line.strip())
        if include:
            defines.update(read_defines(os.path.join(os.path.dirname(path), include.group(1)), seen))
            continue
        match = DEFINE_RE.match(line.strip())
        if not match or match.group(2) == "(":
            continue  # not a define, or a function-like macro
        defines[match.group(1)] = match.group(3).strip()
    return defines


def c_int_literal(token):
    digits = token.rstrip("uUlL")
    if digits[:2] in ("0x", "0X"):
        return int(digits, 16)
    if len(digits) > 1 and digits[0] == "0":
        return int(digits, 8)
    return int(digits)


def evaluate(expression, defines, where, seen=()):
    """Value of an integer expression of literals and defined names."""
    python = C_INT_RE.sub(lambda m: str(c_int_literal(m.group(0))), expression)
    try:
        tree = ast.parse(python.strip(), mode="eval")
    except SyntaxError:
        raise Failure(f"{where}: cannot read '{expression}' as a number") from None

    def value(node):
        if isinstance(node, ast.Expression):
            return value(node.body)
        if isinstance(node, ast.Constant) and type(node.value) is int:
            return node.value
        if isinstance(node, ast.Name):
            name = node.id
            if name in seen:
                raise Failure(f"{where}: '{name}' is defined in terms of itself")
            if name not in defines:
                raise Failure(f"{where}: '{name}' is not defined in the header")
            return evaluate(defines[name], defines, where, seen + (name,))
        if isinstance(node, ast.BinOp) and isinstance(node.op, ALLOWED_OPS):
            return apply(node.op, value(node.left), value(node.right))
        if isinstance(node, ast.UnaryOp) and isinstance(node.op, ALLOWED_OPS):
            operand = value(node.operand)
            return {ast.USub: -operand, ast.UAdd: operand,
                    ast.Invert: ~operand}[type(node.op)]
        raise Failure(f"{where}: cannot read '{expression}' as a number")

    def apply(op, left, right):
        if isinstance(op, (ast.LShift, ast.RShift)) and not 0 <= right < 64:
            raise Failure(f"{where}: shift out of range in '{expression}'")
        return {ast.Add: lambda: left + right, ast.Sub: lambda: left - right,
                ast.Mult: lambda: left * right, ast.BitOr: lambda: left | right,
                ast.BitAnd: lambda: left & right, ast.BitXor: lambda: left ^ right,
                ast.LShift: lambda: left << right,
                ast.RShift: lambda: left >> right}[type(op)]()

    return value(tree)


# --------------------------------------------------------------------------
# The string table
# --------------------------------------------------------------------------

CODE_PAGE_RE = re.compile(r"#\s*pragma\s+code_page\s*\(\s*(\w+)\s*\)")
CONDITIONAL_RE = re.compile(r"#\s*(if|ifdef|ifndef|elif|else|endif)\b")
TOKEN_RE = re.compile(r"""
      (?P<space>\s+)
    | (?P<string>L?"(?:[^"\\\n]|\\[^\n]|"")*")
    | (?P<word>[A-Za-z_]\w*)
    | (?P<number>\d\w*)
    | (?P<punct>[,{}()+\-*|&^~<>])
""", re.VERBOSE)
ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}


def read_text(path, encoding="utf-8"):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise Failure(f"{path}: {e.strerror}") from None
    try:
        return data.decode(encoding)
    except UnicodeDecodeError as e:
        raise Failure(f"{path}: not valid {encoding} at byte {e.start}") from None


def script_encoding(path):
    """The code page that the resource compiler reads this script in."""
    with open(path, "rb") as f:
        raw = f.read().decode("latin-1")
    pages = {m.group(1) for m in CODE_PAGE_RE.finditer(raw)}
    if len(pages) > 1:
        raise Failure(f"{path}: several code pages ({', '.join(sorted(pages))}) are not supported")
    if not pages:
        return "cp1252"  # the resource compiler's default
    page = pages.pop()
    if page == "65001":
        return "utf-8-sig"
    if page.isdigit():
        return "cp" + page
    raise Failure(f"{path}: unsupported code page '{page}'")


def unquote(literal, where):
    """Text of one string literal, decoded as the resource compiler does."""
    body = literal[2:-1] if literal.startswith("L") else literal[1:-1]
    out = []
    i = 0
    while i < len(body):
        c = body[i]
        if c == '"':  # the tokenizer only lets "" through
            out.append('"')
            i += 2
        elif c == "\\":
            e = body[i + 1]
            if e not in ESCAPES:
                raise Failure(f"{where}: escape \\{e} is not supported; write the character itself")
            out.append(ESCAPES[e])
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def tokenize(text, where):
    tokens = []
    code = []
    for number, line in logical_lines(text):
        stripped = line.strip()
        if stripped.startswith("#"):
            if CONDITIONAL_RE.match(stripped):
                raise Failure(f"{where}:{number}: conditional blocks are not supported here")
            continue  # #include, #pragma, #define: nothing for the string table
        code.append((number, line))
    for number, line in code:
        pos = 0
        while pos < len(line):
            match = TOKEN_RE.match(line, pos)
            if not match:
                raise Failure(f"{where}:{number}: unexpected '{line[pos]}'")
            pos = match.end()
            if match.lastgroup != "space":
                tokens.append((match.lastgroup, match.group(0), f"{where}:{number}"))
    return tokens


def read_string_table(path, defines):
    """Map string id -> text for every entry of every STRINGTABLE."""
    text = strip_comments(read_text(path, script_encoding(path)), path)
    tokens = tokenize(text, path)
    strings = {}
    i = 0
    while i < len(tokens):
        kind, value, where = tokens[i]
        i += 1
        if not (kind == "word" and value.upper() == "STRINGTABLE"):
            continue
        # Skip memory flags and LANGUAGE/VERSION/CHARACTERISTICS options.
        while i < len(tokens) and tokens[i][1].upper() not in ("BEGIN", "{"):
            i += 1
        if i == len(tokens):
            raise Failure(f"{where}: STRINGTABLE without BEGIN")
        i += 1
        while True:
            if i == len(tokens):
                raise Failure(f"{where}: STRINGTABLE without END")
            kind, value, where = tokens[i]
            if value.upper() in ("END", "}"):
                i += 1
                break
            expression = []
            while i < len(tokens) and tokens[i][0] != "string" and tokens[i][1] != ",":
                if tokens[i][1].upper() in ("END", "}"):
                    raise Failure(f"{tokens[i][2]}: string id without text")
                expression.append(tokens[i][1])
                i += 1
            if not expression:
                raise Failure(f"{where}: string text without id")
            if i < len(tokens) and tokens[i][1] == ",":
                i += 1
            parts = []
            while i < len(tokens) and tokens[i][0] == "string":
                parts.append(unquote(tokens[i][1], tokens[i][2]))
                i += 1
            if not parts:
                raise Failure(f"{where}: string id '{' '.join(expression)}' without text")
            string_id = evaluate(" ".join(expression), defines, where)
            if not 1 <= string_id <= 0xFFFF:
                raise Failure(f"{where}: string id {string_id} is outside 1..65535")
            if string_id in strings:
                raise Failure(f"{where}: string id {string_id} is defined twice")
            strings[string_id] = "".join(parts)
    return strings


# --------------------------------------------------------------------------
# The language file
# --------------------------------------------------------------------------

def encode_text(text):
    """Text as written after "id:"; None when the format cannot carry it."""
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\r" and text.startswith("\r\n", i):
            out.append("\\r\\n")
            i += 2
            continue
        if c == "\r" or c == "\0":
            return None  # no escape exists, and raw it would end or cut the text
        out.append({"\n": "\\n", "\t": "\\t"}.get(c, c))
        i += 1
    return "".join(out)


def read_back(line):
    """(id, text) of one line by the program's reader rules; None if skipped."""
    line = line.lstrip(" \t")
    if not line or line.startswith("#"):
        return None
    head, colon, text = line.partition(":")
    digits = re.match(r"\d*", head).group(0)
    string_id = int(digits) if digits else 0
    if string_id == 0:
        return None
    if not colon:
        text = ""
    text = text.replace("\\r\\n", "\r\n").replace("\\n", "\n").replace("\\t", "\t")
    return string_id, text


def read_back_single(line):
    """Text of one line by the single-identifier reader used for the name."""
    return line.partition(":")[2].replace("\\n\\r", "\n\r")


def language_lines(strings, source_name):
    if LANGUAGE_NAME_ID not in strings or not strings[LANGUAGE_NAME_ID]:
        raise Failure(f"string {LANGUAGE_NAME_ID} (the language's own name) is missing")
    lines = [
        f"# Movalent language file: {encode_text(strings[LANGUAGE_NAME_ID]) or ''}",
        f"# Generated from {source_name}; change the string table, not this file.",
        "# One \"id:text\" line per string. In a text, \\n is a line break, \\r\\n a",
        "# carriage return and line break, \\t a tab. To translate, keep the ids and",
        f"# replace the texts; string {LANGUAGE_NAME_ID} is the language's own name.",
    ]
    problems = []
    for string_id in sorted(strings):
        text = strings[string_id]
        encoded = encode_text(text)
        line = None if encoded is None else f"{string_id}:{encoded}"
        if line is None:
            problems.append(f"string {string_id} {text!r} holds a NUL or a carriage return "
                            "without a line feed after it, which a language file cannot carry")
            continue
        if read_back(line) != (string_id, text):
            problems.append(f"string {string_id} {text!r} holds a backslash that the reader would "
                            "take for an escape (\\n, \\t or \\r\\n); reword it")
            continue
        if string_id == LANGUAGE_NAME_ID and read_back_single(line) != text:
            problems.append(f"string {string_id} {text!r} does not read back unchanged as the language name")
            continue
        lines.append(line)
    if problems:
        raise Failure("\n".join(problems))
    return lines


def write_language_file(path, lines):
    data = b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le")
    directory = os.path.dirname(os.path.abspath(path))
    # Write beside the target and rename, so a failed run leaves no half file.
    handle, temporary = tempfile.mkstemp(dir=directory, prefix=".make_lang-")
    try:
        with os.fdopen(handle, "wb") as f:
            f.write(data)
        # mkstemp makes the file private; give it the permissions a plain
        # open() would have.
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(temporary, 0o666 & ~umask)
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def main(argv):
    if len(argv) != 4:
        sys.stderr.write(f"usage: {os.path.basename(argv[0])} STRINGS_RC RESOURCE_H OUT_LANG\n")
        return 2
    strings_rc, resource_h, out_lang = argv[1:]
    try:
        defines = read_defines(resource_h)
        strings = read_string_table(strings_rc, defines)
        lines = language_lines(strings, os.path.basename(strings_rc))
        write_language_file(out_lang, lines)
    except Failure as e:
        sys.stderr.write(f"make_lang: {e}\n")
        return 1
    except OSError as e:
        sys.stderr.write(f"make_lang: {out_lang}: {e.strerror}\n")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
