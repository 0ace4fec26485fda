#!/usr/bin/python3
# Checks the built 32-bit QvxCheck.exe without running it, reading it as Windows' loader does (a PE
# reader, never a tool's printed text): a GUI program for Windows 5.0 (2000), large address aware,
# importing only functions that windows2000_imports.txt lists for 5.0 or older, the memory size in
# the form not capped at 4 GiB, and a well-formed manifest asking only to run as the user.
# Usage: check_product.py EXE
import os
import sys
import xml.etree.ElementTree as ElementTree

try:
    import pefile
except ImportError:
    sys.exit("FAILED: /usr/bin/python3 has no pefile module (scripts/deps.sh installs python3-pefile)")

exe = sys.argv[1]
try:
    pe = pefile.PE(exe)
except (OSError, pefile.PEFormatError) as error:
    sys.exit(f"FAILED: cannot read {exe} as a Windows program ({error}); cmake --build --preset win32")
failures = []
fail = failures.append

if pe.FILE_HEADER.Machine != pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]:
    fail(f"{exe} is not a 32-bit x86 program (machine {pe.FILE_HEADER.Machine:#x})")
for field, wanted in (("MajorOperatingSystemVersion", 5), ("MinorOperatingSystemVersion", 0),
                      ("MajorSubsystemVersion", 5), ("MinorSubsystemVersion", 0),
                      ("Subsystem", pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"])):
    if getattr(pe.OPTIONAL_HEADER, field) != wanted:
        fail(f"the header's {field} is {getattr(pe.OPTIONAL_HEADER, field)}, not {wanted}")
if not pe.FILE_HEADER.IMAGE_FILE_LARGE_ADDRESS_AWARE:
    fail(f"{exe} is not large address aware")

# What Windows 2000 has: "VERSION DLL FUNCTION..." lines, the DLL's name compared without case as
# the loader compares it, the function's exactly.
known = set()
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "windows2000_imports.txt")) as listed:
    for words in (line.split() for line in listed):
        if words and not words[0].startswith("#") and float(words[0]) <= 5.0:
            known.update((words[1].lower(), function) for function in words[2:])
imports = []
for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []):
    for symbol in entry.imports:
        if symbol.name is None:
            fail(f"{entry.dll.decode()} is imported by ordinal {symbol.ordinal}: no name to check")
        else:
            imports.append((entry.dll.decode().lower(), symbol.name.decode()))
for entry in getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", []):
    fail(f"{entry.dll.decode()} is delay-loaded, out of the loader's sight")
if not imports:
    fail("no imports read")
# A 32-bit program, even a large address aware one on 64-bit Windows, is told at most 4 GiB by
# GlobalMemoryStatus, though every Windows has it: a player with 16 GiB would read "4096.0MB".
if ("kernel32.dll", "GlobalMemoryStatus") in imports:
    fail("KERNEL32.dll GlobalMemoryStatus is imported: it reports at most 4 GiB, whatever the machine has")
if ("kernel32.dll", "GlobalMemoryStatusEx") not in imports:
    fail("KERNEL32.dll GlobalMemoryStatusEx is not imported: the memory figure needs it")
for dll, function in imports:
    if (dll, function) not in known and function != "GlobalMemoryStatus":
        fail(f"{dll} {function} is not known to be in Windows 2000")

# The manifest (type 24, id 1) only says to run as the user who started the program (without it,
# Windows diverts a save into a protected folder elsewhere and the checker reports success). More
# (common controls 6, DPI awareness, a compatibility section) would change the dialog's behaviour.
# Windows XP SP2 and later refuse to start a program whose manifest is not well-formed XML (a
# side-by-side configuration error), though Wine starts it.
manifests = [name.directory.entries[0].data.struct
             for kind in getattr(getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None), "entries", [])
             if kind.id == pefile.RESOURCE_TYPE["RT_MANIFEST"]
             for name in kind.directory.entries if name.id == 1 and name.directory.entries]
v1, v2 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v2}"
try:
    root = ElementTree.fromstring(pe.get_data(manifests[0].OffsetToData, manifests[0].Size))
except IndexError:
    fail("the program has no manifest (type 24, id 1)")
except ElementTree.ParseError as error:
    fail(f"the manifest is not well-formed XML: {error}")
else:
    tree = [element.tag for element in root.iter()]
    if tree != [v1 + "assembly", v2 + "trustInfo", v2 + "security", v2 + "requestedPrivileges",
                v2 + "requestedExecutionLevel"]:
        fail(f"the manifest's elements are {tree}, not the execution level alone")
    elif root[0][0][0][0].attrib != {"level": "asInvoker", "uiAccess": "false"}:
        fail(f"the execution level asks for {root[0][0][0][0].attrib}, not asInvoker without UI access")

for failure in failures:
    print(f"FAILED: {failure}")
if failures:
    sys.exit(1)
print(f"ok: {exe}, {len(imports)} imports, all in Windows 2000; asInvoker")
