# Writes a FoxPro table with memo (DBF + FPT) through Debian's python3-dbf.
import datetime
import sys

try:
    import dbf
except ImportError:
    print("MISSING python3-dbf")
    sys.exit(0)

table = dbf.Table(sys.argv[1], "NAME C(20); AMOUNT N(8,2); BORN D; OK L; NOTE M",
                  dbf_type="fp", codepage="cp1252")
table.open(dbf.READ_WRITE)
table.append(("M\u00fcller", 12.5, datetime.date(1999, 10, 10), True, "Gr\u00fc\u00dfe\r\naus K\u00f6ln"))
table.append(("Zo\u00eb \u20ac", -3.25, None, False, ""))
table.append(("Stra\u00dfe", 0, datetime.date(2026, 2, 28), None, "x" * 300))
table.close()
print("written")
