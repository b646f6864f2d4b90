#!/usr/bin/env python3
"""Reads a built Quillpad.exe and fails when its hardening regresses: ASLR
with relocations, DEP, terminal-server awareness; imports and delay-loads of
only DLLs that Windows always takes from its own folder; the embedded manifest."""
import re
import struct
import sys
import xml.etree.ElementTree as ElementTree

# Known DLLs of Windows 7 to 11: loaded from the system folder whatever the
# search order. ntdll is in every process before the program.
KNOWN_DLLS = {
    "advapi32.dll", "clbcatq.dll", "comdlg32.dll", "gdi32.dll", "imagehlp.dll", "imm32.dll",
    "kernel32.dll", "msctf.dll", "msvcrt.dll", "normaliz.dll", "nsi.dll", "ntdll.dll", "ole32.dll",
    "oleaut32.dll", "psapi.dll", "rpcrt4.dll", "sechost.dll", "setupapi.dll", "shell32.dll",
    "shlwapi.dll", "user32.dll", "wldap32.dll", "ws2_32.dll",
}
DLL_CHARACTERISTICS = {"DYNAMIC_BASE": 0x0040, "NX_COMPAT": 0x0100, "TERMINAL_SERVER_AWARE": 0x8000}
RELOCS_STRIPPED = 0x0001
IMPORT, RESOURCE, BASERELOC = 1, 2, 5
RT_MANIFEST = 24
# dlltool's binding code of a delay-loaded DLL: push ecx, edx, eax and the DLL's
# descriptor, call __delayLoadHelper2, pop edx, ecx, jump to the bound function.
TAIL_MERGE = re.compile(rb"\x51\x52\x50\x68(.{4})\xE8.{4}\x5A\x59\xFF\xE0", re.S)
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise SystemExit("not a PE file")
        sections, optional_size, self.characteristics = struct.unpack_from("<H12xHH", data, pe + 6)
        optional = pe + 24
        if struct.unpack_from("<H", data, optional)[0] != 0x10B:
            raise SystemExit("not a 32-bit image")
        self.image_base = struct.unpack_from("<I", data, optional + 28)[0]
        self.dll_characteristics = struct.unpack_from("<H", data, optional + 70)[0]
        count = struct.unpack_from("<I", data, optional + 92)[0]
        self.directories = [struct.unpack_from("<II", data, optional + 96 + 8 * i) for i in range(count)]
        self.sections = [struct.unpack_from("<8xIIII", data, optional + optional_size + 40 * i)
                         for i in range(sections)]

    def offset(self, rva):
        for size, address, raw_size, raw in self.sections:
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise SystemExit(f"address {rva:#x} is in no section")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def imported_dlls(self, index, entry_size, name_at):
        rva = self.directory(index)[0]
        names = []
        while rva:
            entry = self.data[self.offset(rva):self.offset(rva) + entry_size]
            if not any(entry):
                break
            names.append(self.string(struct.unpack_from("<I", entry, name_at)[0]).lower())
            rva += entry_size
        return names

    def delay_loaded_dlls(self):
        """The names in the descriptors that the binding code hands to the helper
        (GNU ld leaves the delay import directory empty)."""
        descriptors = [struct.unpack("<I", m.group(1))[0] - self.image_base for m in TAIL_MERGE.finditer(self.data)]
        return [self.string(struct.unpack_from("<I", self.data, self.offset(rva) + 4)[0]).lower() for rva in descriptors]

    def resource(self, type_id, name_id):
        """The data of the first language of resource type_id/name_id, or None."""
        rva = self.directory(RESOURCE)[0]
        if not rva:
            return None
        base = self.offset(rva)

        def child(table, wanted):
            named, numbered = struct.unpack_from("<12xHH", self.data, base + table)
            for i in range(named + numbered):
                entry_id, target = struct.unpack_from("<II", self.data, base + table + 16 + 8 * i)
                if wanted is None or entry_id == wanted:
                    return target
            return None

        table = 0
        for wanted in (type_id, name_id):
            target = child(table, wanted)
            if target is None or not target & 0x80000000:
                return None
            table = target & 0x7FFFFFFF
        entry = child(table, None)
        if entry is None or entry & 0x80000000:
            return None
        data_rva, size = struct.unpack_from("<II", self.data, base + entry)
        return self.data[self.offset(data_rva):self.offset(data_rva) + size]


def problems(image):
    for name, flag in DLL_CHARACTERISTICS.items():
        if not image.dll_characteristics & flag:
            yield f"DllCharacteristics lacks {name}"
    if image.characteristics & RELOCS_STRIPPED or not image.directory(BASERELOC)[1]:
        yield "no base relocations: the image cannot move"
    delay_loads = image.delay_loaded_dlls()
    if not delay_loads:
        yield "no delay-loaded DLL found: the binding code is not as expected"
    for kind, names in (("imports", image.imported_dlls(IMPORT, 20, 12)), ("delay-loads", delay_loads)):
        for name in names:
            if name not in KNOWN_DLLS:
                yield f"{kind} {name}, which Windows looks for beside the program first"
    manifest = image.resource(RT_MANIFEST, 1)
    if manifest is None:
        yield "no manifest (resource 1 of type 24)"
        return
    root = ElementTree.fromstring(manifest)
    levels = [e.get("level") for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
    if levels != ["asInvoker"]:
        yield f"requestedExecutionLevel {levels}, not asInvoker"
    named = {e.get("Id").lower() for e in root.iter() if e.tag.endswith("}supportedOS")}
    for guid, system in SUPPORTED_OS.items():
        if guid not in named:
            yield f"supportedOS lacks {system}"
    for e in root.iter():
        if e.tag.endswith("}dpiAware") or e.tag.endswith("}dpiAwareness"):
            yield "the manifest declares DPI awareness"
        if e.tag.endswith("}assemblyIdentity") and e.get("name") == "Microsoft.Windows.Common-Controls":
            yield "the manifest asks for common controls 6"


def main():
    with open(sys.argv[1], "rb") as f:
        found = list(problems(Image(f.read())))
    for problem in found:
        print(f"FAIL: {sys.argv[1]}: {problem}")
    if not found:
        print(f"{sys.argv[1]}: hardened, imports only known DLLs, manifest as intended")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
