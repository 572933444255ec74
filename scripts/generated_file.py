"""The command line shared by the table generators: print the generated
file, or with --check FILE exit 1 unless FILE is exactly what would be
printed (so a hand edit of a committed table cannot go unnoticed)."""

import sys


def main(text, usage, what):
    if len(sys.argv) == 3 and sys.argv[1] == "--check":
        with open(sys.argv[2], encoding="utf-8") as committed:
            if committed.read() != text:
                print("%s differs from the generated %s" % (sys.argv[2], what), file=sys.stderr)
                return 1
        return 0
    if len(sys.argv) != 1:
        print(usage.strip(), file=sys.stderr)
        return 2
    sys.stdout.write(text)
    return 0
