#!/usr/bin/python3
# The Windows program as Windows and its user read it without running it: the
# version record (Explorer's details, Task Manager's Startup list), the icon,
# the manifest. With --setup, only what each setup program or uninstaller asks
# of Windows: to run with no more than the user has (highestAvailable), never
# as an administrator.
#   pe.py PROGRAM.exe | pe.py --setup FILE.exe...
import pefile, re, sys


def read(path):
    pe = pefile.PE(path)
    res = {e.id: e.directory.entries[0].directory.entries[0].data.struct for e in pe.DIRECTORY_ENTRY_RESOURCE.entries}
    return pe, lambda kind: pe.get_data(res[kind].OffsetToData, res[kind].Size) if kind in res else b"\0" * 6


def done(wrong):
    print("\n".join("FAIL " + w for w in wrong) or "all checks passed")
    sys.exit(1 if wrong else 0)


level = lambda data: re.findall(r"requestedExecutionLevel level=.(\w+)", data(24).decode())
if sys.argv[1] == "--setup":
    done(["%s asks for %s" % (f, asks) for f in sys.argv[2:] for asks in [level(read(f)[1])]
          if asks != ["highestAvailable"]])
pe, data = read(sys.argv[1])
record = {k.decode(): v.decode() for info in pe.FileInfo[0] for t in getattr(info, "StringTable", []) for k, v in
          t.entries.items()}
f, group = pe.VS_FIXEDFILEINFO[0], data(14)
done([what for what, ok in [
    ("version record %r" % record, {k: record.get(k) for k in ("FileDescription", "CompanyName", "FileVersion",
     "ProductVersion", "ProductName")} == {"FileDescription": "نيسمور", "CompanyName": "الدرفاني",
     "FileVersion": "1.00", "ProductVersion": "1.00", "ProductName": "Project1"}),
    ("version 1.0.0.0", (f.FileVersionMS, f.FileVersionLS, f.ProductVersionMS, f.ProductVersionLS) == (65536, 0) * 2),
    ("icons of 16, 32, 48, 256 pixels", sorted(group[6 + 14 * i] or 256 for i in range(group[4])) == [16, 32, 48, 256]),
    ("manifest %r" % data(24), re.findall("supportedOS Id=.{(.*?)}", data(24).decode()) == [
        "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"] and all(s in data(24).decode() for s in (  # Windows 10 and 11 only
        ">PerMonitorV2", ">UTF-8</activeCodePage>")) and level(data) == ["asInvoker"])] if not ok])
