#!/usr/bin/env python3
"""Rewrites a UTF-8 C++ header so that every string and character literal holds code page 932 bytes.

Each byte of a non-ASCII character becomes a three-digit octal escape, so no trail byte (0x5C in 能) can act as a
backslash and no following digit can extend the escape. Everything outside literals is copied unchanged.
Usage: cp932_literals.py INPUT OUTPUT
"""
import sys


def convert(source: str) -> str:
    out = []
    i = 0
    n = len(source)
    while i < n:
        c = source[i]
        if c == '/' and source.startswith('//', i):
            end = source.find('\n', i)
            end = n if end < 0 else end
            out.append(source[i:end])
            i = end
        elif c == '/' and source.startswith('/*', i):
            end = source.find('*/', i + 2)
            end = n if end < 0 else end + 2
            out.append(source[i:end])
            i = end
        elif c in '"\'':
            quote = c
            out.append(c)
            i += 1
            while i < n and source[i] != quote:
                ch = source[i]
                if ch == '\\':
                    out.append(source[i:i + 2])
                    i += 2
                    continue
                if ord(ch) < 0x80:
                    out.append(ch)
                else:
                    out.append(''.join('\\%03o' % b for b in ch.encode('cp932')))
                i += 1
            out.append(quote)
            i += 1
        else:
            out.append(c)
            i += 1
    return ''.join(out)


def main() -> int:
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1], encoding='utf-8') as f:
        text = f.read()
    result = '// Generated from ' + sys.argv[1].split('/')[-1] + ': code page 932 literals.\n' + convert(text)
    try:
        with open(sys.argv[2], encoding='utf-8') as f:
            if f.read() == result:
                return 0
    except OSError:
        pass
    with open(sys.argv[2], 'w', encoding='utf-8', newline='\n') as f:
        f.write(result)
    return 0


if __name__ == '__main__':
    sys.exit(main())
