# Prints every live record of a DBF as read by Debian's python3-dbfread, one
# line per record, values separated by "|": None as <null>, logicals T/F,
# dates ISO, text decoded from Windows-1252 and written as UTF-8.
import sys

try:
    import dbfread
except ImportError:
    print("MISSING python3-dbfread")
    sys.exit(0)


def text(value):
    if value is None:
        return "<null>"
    if isinstance(value, bool):
        return "T" if value else "F"
    if hasattr(value, "isoformat"):
        return value.isoformat()
    if isinstance(value, bytes):
        return value.decode("cp1252")
    return str(value)


table = dbfread.DBF(sys.argv[1], encoding="cp1252", char_decode_errors="strict")
for record in table:
    line = "|".join(text(v) for v in record.values())
    sys.stdout.buffer.write((line + "\n").encode("utf-8"))
