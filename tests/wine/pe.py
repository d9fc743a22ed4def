#!/usr/bin/python3
# The Windows program as Windows and its user read it without running it: the
# version record (Explorer's details, Task Manager's Startup list), the icon,
# the manifest, and the libraries it needs to start at all.
#   pe.py PROGRAM.exe
import pefile, sys

pe = pefile.PE(sys.argv[1])
res = {e.id: e for e in pe.DIRECTORY_ENTRY_RESOURCE.entries}
data = lambda e: pe.get_data(e.data.struct.OffsetToData, e.data.struct.Size)
record = {k.decode(): v.decode() for info in pe.FileInfo[0] if hasattr(info, "StringTable")
          for table in info.StringTable for k, v in table.entries.items()}
fixed = pe.VS_FIXEDFILEINFO[0]
manifest = data(res[24].directory.entries[0].directory.entries[0]).decode() if 24 in res else ""
group = data(res[14].directory.entries[0].directory.entries[0]) if 14 in res else b"\0" * 6
icons = sorted(group[6 + 14 * i] or 256 for i in range(group[4]))
needs = {d.dll.decode().lower() for d in pe.DIRECTORY_ENTRY_IMPORT}
failures = [what for what, ok in [
    ("version record %r" % record, all(record.get(k) == v for k, v in (
        ("FileDescription", "نيسمور"), ("CompanyName", "الدرفاني"), ("FileVersion", "1.00"),
        ("ProductVersion", "1.00"), ("ProductName", "Project1")))),
    ("file and product version 1.0.0.0", (fixed.FileVersionMS, fixed.FileVersionLS, fixed.ProductVersionMS,
                                          fixed.ProductVersionLS) == (0x10000, 0, 0x10000, 0)),
    ("icons of 16, 32, 48 and 256 pixels: %s" % icons, icons == [16, 32, 48, 256]),
    ("manifest %r" % manifest, all(s in manifest for s in (
        'level="asInvoker"', "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
        "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
        ">PerMonitorV2", ">UTF-8</activeCodePage>"))),
    ("starts without Media Foundation: needs %s" % sorted(needs), not needs & {"mfplat.dll", "mfplay.dll"}),
] if not ok]
print("\n".join("FAIL " + f for f in failures) or "all checks passed")
sys.exit(1 if failures else 0)
