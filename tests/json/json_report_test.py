#!/usr/bin/env python3
"""Runs disklens with and without --json on the same disks: the document must
be valid against docs/disklens.schema.json, and every value it shares with
the text report must be the value the text shows (read back from the text,
not from the code that wrote the document).

  json_report_test.py --program P --maker MAKE_IMAGES --samples DIR
                      --schema FILE --work DIR [--peer DIR]
Exit code 77 (a skip) when python3-jsonschema is missing."""
import argparse
import json
import os
import re
import shutil
import struct
import subprocess
import sys

try:
    import jsonschema
except ImportError:
    print("python3-jsonschema is not installed: tools/install-deps installs it")
    sys.exit(77)

ROW = re.compile(r"^\| (\d): \| +([0-9a-f]+) \| +(\d+) +(\d+) +(\d+) \| +([0-9a-f]+) \| "
                 r"+(\d+) +(\d+) +(\d+) \| +(\d+) \| +(\d+) \|$")
MBR_HEAD = re.compile(r"^ +MBR Partition Information \(HD(\d+) - 0x([0-9A-F]{8})\)$")
GPT_ROW = re.compile(r"^ +(\d+)  (.*) +([0-9A-F]+) +(\d+) +(\d+) +(\{[0-9A-F-]{36}\}) +(\{[0-9A-F-]{36}\})$")
BOOT_ROW = re.compile(r"^File System ID: 0x([0-9A-F]+)   LBA: (\d+)  Total Sectors: (\d+)(?:   ID: 0x([0-9A-F]+))?$")
CHAIN_END = re.compile(r"^ +(Error on Read|Chain loops back to LBA (\d+)|Chain stopped after \d+ EBRs(?: of this disk)?, before LBA (\d+))$")
GEOMETRY = re.compile(r"^ +\(CHS: (\d+)/(\d+)/(\d+)\) \(WCHS: (\d+)/(\d+)/(\d+)\)$")
# The EMBR section's lines: hex fields as "x"/"X", the rest decimal.
EMBR_HEAD = re.compile(r"^ +EMBR Found \(HD(\d+)\)$")
EMBR_LINES = [
    ("header", re.compile(r"^ Revision: +([0-9a-f]+) +Min SPT: +(-?\d+) +Sectors: +(\d+) +SSize: +(-?\d+)$"), "xddd"),
    ("geometry", re.compile(r"^  Last Cyl: +(-?\d+) +Last Hd: +(\d+) +SPT: +(\d+)$"), "ddd"),
    ("mpt", re.compile(r"^ +MPT Found:  Revision: (\d+),  Number of Entries: (\d+) Flag: ([0-9A-F]+)$"), "ddx"),
    ("mbft", re.compile(r"^ +MBFT Found: Revision: (\d+),  Number of Entries: (\d+)$"), "dd"),
    ("mdt", re.compile(r"^ +MDT Found:  Revision: (\d+),  Number of Entries: (\d+)$"), "dd"),
    ("mpt_entry", re.compile(r"^ +(\d+): (.{16}) Flag: +([0-9A-F]+) Start: +(\d+) End: +(\d+) FS: +([0-9A-F]+) ID: ([0-9A-F]+)$"), "dsxddxx"),
    ("mbft_entry", re.compile(r"^ +(\d+): (.{16}) LoadSeg: +([0-9a-f]+) CodeSeg: +([0-9a-f]+): *([0-9a-f]+) NumSecs: +(\d+) Alloc: +(\d+) ID: ([0-9A-F]+)$"), "dsxxxddx"),
    ("mdt_entry", re.compile(r"^ +(\d+): (.{16}) Flag: +([0-9a-f]+) Start: +(\d+) NumSecs: +(\d+) Alloc: +(\d+) ID: ([0-9A-F]+)$"), "dsxdddx"),
]


def embr_values(kind, m, types):
    return [kind] + [int(g, 16) if t == "x" else g.rstrip() if t == "s" else int(g)
                     for g, t in zip(m.groups(), types)]


def text_embr(text):
    """The EMBR lines of each disk, as [kind, values...] lists keyed by "HDn"."""
    found = {}
    lines = None
    for line in text.splitlines():
        h = EMBR_HEAD.match(line)
        if h:
            lines = found.setdefault("HD" + h.group(1), [])
            continue
        if lines is None:
            continue
        if "BOOT SECTOR INFORMATION" in line or "GPT Found (HD" in line or MBR_HEAD.match(line):
            lines = None
            continue
        for kind, pattern, types in EMBR_LINES:
            m = pattern.match(line)
            if m:
                lines.append(embr_values(kind, m, types))
                break
    return found


def json_embr(embr):
    """The same lists from a disk's "embr" member, in the order the text prints them."""
    if embr is None:
        return None
    x = lambda v: int(v, 16)
    name = lambda n: masked(n.split("\0")[0])
    out = [["header", embr["revision"], embr["min_sectors_per_track"], embr["sectors"],
            embr["sector_size"]],
           ["geometry", embr["last_cylinder"], embr["last_head"], embr["sectors_per_track"]]]
    if embr["mpt"]:
        t = embr["mpt"]
        out.append(["mpt", t["revision"], t["entry_count"], x(t["flags"])])
        out += [["mpt_entry", e["index"], name(e["name"]), x(e["flags"]), e["start_lba"],
                 e["end_lba"], x(e["file_system_id"]), x(e["id"])] for e in t["entries"]]
    if embr["mbft"]:
        t = embr["mbft"]
        out.append(["mbft", t["revision"], t["entry_count"]])
        out += [["mbft_entry", e["index"], name(e["name"]), x(e["load_segment"]),
                 x(e["code_segment"]), x(e["code_offset"]), e["sector_count"],
                 e["allocated_bytes"], x(e["id"])] for e in t["entries"]]
    if embr["mdt"]:
        t = embr["mdt"]
        out.append(["mdt", t["revision"], t["entry_count"]])
        out += [["mdt_entry", e["index"], name(e["name"]), x(e["flags"]), e["start_lba"],
                 e["sector_count"], e["allocated_bytes"], x(e["id"])] for e in t["entries"]]
    return out


# Decoders of the document that the text has not: their rows are not compared.
OWN_DECODERS = ("exfat", "bitlocker", "refs")


def field_matches(value, text):
    """Whether a decoder field of the document reads as `text` in the report."""
    try:
        if isinstance(value, list):  # reserved words, shown as hex numbers
            return [int(v, 16) for v in value] == [int(t, 16) for t in text.split()]
        if isinstance(value, int):
            return int(text) == value
        if value.startswith("0x") and re.fullmatch(r"0x[0-9A-F]+", value):
            # the jump bytes stand as "EB 52 90"
            digits = text[2:] if text.startswith("0x") else text.replace(" ", "")
            return int(digits, 16) == int(value, 16)
    except ValueError:
        return False
    return masked(value.split("\0")[0]) == text


def text_fields(lines, i):
    """The decoder lines after a BOOT SECTOR INFORMATION row: [(label, value)]."""
    fields = []
    while i < len(lines) and len(lines[i]) >= 32 and lines[i][30:32] == ": " \
            and lines[i][:30].strip():
        fields.append(lines[i][32:])
        i += 1
    return fields


def fields_match(row, texts):
    """The row's fields (and a FAT32 backup's, as "primary (backup)") against the text."""
    fields = row.get("fields") or {}
    backup = row.get("backup_fields")
    if len(fields) != len(texts):
        return False
    for (key, value), text in zip(fields.items(), texts):
        if backup is None or key not in backup:
            if not field_matches(value, text):
                return False
            continue
        # The backup's text is the last parenthesised part that fits both values.
        if not any(text.endswith(")") and field_matches(value, text[:k]) and
                   field_matches(backup[key], text[k + 2:-1])
                   for k in range(len(text)) if text.startswith(" (", k)):
            if not (key == "reserved_words" and field_matches(value, text)):
                return False
    return True


def text_disks(text):
    """The MBR facts of each disk of a text report, keyed by "HDn"."""
    disks = {}
    disk = None
    current = None  # the disk whose sections follow, up to the next MBR head
    in_chain = False
    lines = text.splitlines()
    for n, line in enumerate(lines):
        m = MBR_HEAD.match(line)
        if m:
            disk = {"signature": "0x" + m.group(2), "rows": [], "geometry": None,
                    "chain_rows": [], "chain_ends": [], "gpt": [], "boot": [], "fields": []}
            disks["HD" + m.group(1)] = disk
            current = disk
            in_chain = False
            continue
        if current is not None:
            g = GPT_ROW.match(line)
            if g:
                current["gpt"].append([int(g.group(1)), g.group(2).rstrip(), int(g.group(3), 16),
                                       int(g.group(4)), int(g.group(5)), g.group(6), g.group(7)])
                continue
            b = BOOT_ROW.match(line)
            if b:
                current["boot"].append([int(b.group(1), 16), int(b.group(2)), int(b.group(3)),
                                        int(b.group(4), 16) if b.group(4) else 0])
                current["fields"].append(text_fields(lines, n + 1))
                continue
            if line.startswith("Error reading LBA "):
                current["boot"].append(["error", int(line.split()[-1])])
                current["fields"].append([])
                continue
        if disk is None:
            continue
        e = CHAIN_END.match(line)
        if e and in_chain:
            disk["chain_ends"].append(line.strip())
            continue
        m = GEOMETRY.match(line)
        if m and disk["geometry"] is None:
            disk["geometry"] = [int(g) for g in m.groups()]
        elif "Volume Information" in line:
            in_chain = True
        elif "Continued:" in line:
            in_chain = False
        elif line.startswith("=" * 79) or "EMBR Found" in line:
            disk = None  # the MBR section is over
        else:
            m = ROW.match(line)
            if m:
                row = [int(g, 16) if i in (1, 5) else int(g) for i, g in enumerate(m.groups())]
                disk["chain_rows" if in_chain else "rows"].append(row)
    return disks


def masked(name):
    """A name as the text shows it: control characters (C0, DEL, C1) as "?"."""
    return "".join("?" if ord(c) < 0x20 or 0x7F <= ord(c) <= 0x9F else c for c in name)


def json_row(entry):
    s, e = entry["start_chs"], entry["end_chs"]
    return [entry["index"], int(entry["boot_flag"], 16), s["cylinder"], s["head"], s["sector"],
            int(entry["type"], 16), e["cylinder"], e["head"], e["sector"],
            entry["relative_lba"], entry["sector_count"]]


CHECKS_HEAD = re.compile(r"^ +CHECKS \(HD(\d+)\)$")
FINDING = re.compile(r"^(error|warning|note) +([a-z0-9]+\.[a-z0-9-]+)(?: LBA (\d+))?")


def text_findings(text):
    """The (severity, id, lba) of each CHECKS line, keyed by "HDn"."""
    found, lines = {}, None
    for line in text.splitlines():
        h = CHECKS_HEAD.match(line)
        if h:
            lines = found.setdefault("HD" + h.group(1), [])
        elif lines is not None and line.startswith("=" * 79):
            lines = None
        elif lines is not None:
            m = FINDING.match(line)
            if m:
                lines.append([m.group(1), m.group(2), int(m.group(3)) if m.group(3) else None])
    return found


def check(name, program, disks, args, validator):
    env = dict(os.environ, DISKLENS_DISKS=":".join(disks))
    # --check exits 2 or 3 for what it found; the text and the document must agree.
    plain = subprocess.run([program, *args], env=env, stdin=subprocess.DEVNULL,
                           capture_output=True)
    text = plain.stdout.decode("latin-1")
    run = subprocess.run([program, "--json", *args], env=env, stdin=subprocess.DEVNULL,
                         capture_output=True)
    raw = run.stdout
    problems = []
    skipped = []
    allowed = (0, 2, 3) if "--check" in args else (0,)
    if plain.returncode not in allowed:
        problems.append("the text run exited %d" % plain.returncode)
    if run.returncode != plain.returncode:
        problems.append("--json exited %d, the text run %d" % (run.returncode, plain.returncode))
    if not raw.endswith(b"\n"):
        problems.append("the document does not end with a line feed")
    doc = json.loads(raw.decode("utf-8"))
    for error in validator.iter_errors(doc):
        problems.append("schema: %s at %s" % (error.message, "/".join(map(str, error.path))))
    expected = text_disks(text)
    embr_text = text_embr(text)
    got = {d["name"]: d for d in doc["disks"]}
    mbr_names = sorted(n for n, d in got.items() if d["mbr"] is not None)
    if mbr_names != sorted(expected):
        problems.append("disks with an MBR: text %s, JSON %s" % (sorted(expected), mbr_names))
    for hd, facts in expected.items():
        disk = got.get(hd)
        if disk is None or disk["mbr"] is None:
            continue
        if disk["number"] != 0x80 + int(hd[2:]):
            problems.append("%s: number %d" % (hd, disk["number"]))
        if disk["mbr"]["disk_signature"] != facts["signature"]:
            problems.append("%s: signature %s, text %s" % (hd, disk["mbr"]["disk_signature"],
                                                          facts["signature"]))
        b, d = disk["bios_geometry"], disk["drive_geometry"]
        geometry = [b["highest_cylinder"], b["highest_head"], b["sectors_per_track"],
                    d["cylinders"], d["heads"], d["sectors_per_track"]]
        if geometry != facts["geometry"]:
            problems.append("%s: geometry %s, text %s" % (hd, geometry, facts["geometry"]))
        rows = [json_row(e) for e in disk["mbr"]["entries"]]
        if rows != facts["rows"]:
            problems.append("%s: MBR rows %s, text %s" % (hd, rows, facts["rows"]))
        chains = [e["chain"] for e in disk["mbr"]["entries"] if "chain" in e]
        chain_rows = [json_row(x) for c in chains for ebr in c["ebrs"] for x in ebr["entries"]]
        if chain_rows != facts["chain_rows"]:
            problems.append("%s: chain rows differ from the text's" % hd)
        ends = []
        for c in chains:
            if c["end"] == "read_error":
                ends.append("Error on Read")
            elif c["end"] == "loop":
                ends.append("Chain loops back to LBA %d" % c["end_lba"])
            elif c["end"] in ("chain_cap", "pass_budget"):
                ends.append("before LBA %d" % c["end_lba"])
        text_ends = [t if not t.startswith("Chain stopped") else t[t.index("before LBA"):]
                     for t in facts["chain_ends"]]
        if ends != text_ends:
            problems.append("%s: chain ends %s, text %s" % (hd, ends, text_ends))
        gpt = disk["gpt"]["entries"] if disk["gpt"] else []
        gpt_rows = [[e["index"], e["name"], int(e["attributes"], 16), e["first_lba"], e["last_lba"],
                     e["type_guid"], e["unique_guid"]] for e in gpt]
        text_gpt = facts["gpt"]
        if len(gpt_rows) != len(text_gpt) or any(
                j[:1] + j[2:] != t[:1] + t[2:] or
                (t[1].isascii() and not masked(j[1]).startswith(t[1]))
                for j, t in zip(gpt_rows, text_gpt)):
            problems.append("%s: GPT rows %s, text %s" % (hd, gpt_rows, text_gpt))
        boot = [["error", r["lba"]] if r["read_error"] else
                [int(r["file_system_id"], 16), r["lba"], r["total_sectors"], int(r["id"], 16)]
                for r in disk["boot_sectors"]]
        if boot != facts["boot"]:
            problems.append("%s: boot rows %s, text %s" % (hd, boot, facts["boot"]))
        decoded = [r for r in disk["boot_sectors"] if not r["read_error"]]
        for r, texts in zip(decoded, [f for f, b in zip(facts["fields"], facts["boot"])
                                      if b[0] != "error"]):
            if r["decoder"] in OWN_DECODERS:
                # The text shows these volumes through the FAT12/16 decoder by
                # design; the document decodes their own fields, which the text lacks.
                skipped.append("%s: the %s row at LBA %d (no text of its own)" %
                               (hd, r["decoder"], r["lba"]))
                continue
            if not fields_match(r, texts):
                problems.append("%s: fields of the %s row at LBA %d %s, text %s" %
                                (hd, r["decoder"], r["lba"], r["fields"], texts))
        if json_embr(disk["embr"]) != embr_text.get(hd):
            problems.append("%s: EMBR %s, text %s" % (hd, json_embr(disk["embr"]),
                                                     embr_text.get(hd)))
    if "--check" in args:
        findings = text_findings(text)
        for disk in doc["disks"]:
            got_findings = [[f["severity"], f["id"], f["lba"]] for f in disk.get("findings", [])]
            if got_findings != findings.get(disk["name"], []):
                problems.append("%s: findings %s, text %s" % (disk["name"], got_findings,
                                                              findings.get(disk["name"])))
            if "findings" not in disk or "gpt_backup" not in disk:
                problems.append("%s: no findings or gpt_backup member" % disk["name"])
    for p in problems:
        print("%s: %s" % (name, p))
    for s in skipped:
        print("%s: not compared with the text: %s" % (name, s))
    print("%s: %d disks, %d checked against the text%s" %
          (name, len(doc["disks"]), len(expected), "" if not problems else ", FAILED"))
    return not problems


def volume_images(work):
    """Disks whose type 0x07 partition holds exFAT (mkfs.exfat), a Windows 7
    BitLocker header or a ReFS boot record (both built from their published
    layouts): rows the document decodes as themselves. [] without the tools."""
    if not (shutil.which("mkfs.exfat") and shutil.which("sfdisk")):
        print("note: no mkfs.exfat or sfdisk, the volume disks left out")
        return []
    os.makedirs(work, exist_ok=True)
    disks = []
    guid = bytes.fromhex("3BD66749292ED84A8399F6A339E3D001")
    bitlocker = bytearray(512)
    bitlocker[0:11] = b"\xEB\x58\x90-FVE-FS-"
    struct.pack_into("<HB", bitlocker, 11, 512, 8)
    struct.pack_into("<I", bitlocker, 32, 8192)
    bitlocker[160:176] = guid
    struct.pack_into("<QQQ", bitlocker, 176, 0x2100000, 0x12100000, 0x22100000)
    refs = bytearray(512)
    refs[3:20] = b"ReFS\0\0\0\0\0\0\0\0\0FSRS"
    struct.pack_into("<QIIBB", refs, 24, 8192, 512, 128, 3, 4)
    for name, volume in (("exfat", None), ("bitlocker", bitlocker), ("refs", refs)):
        path = os.path.join(work, name + ".img")
        with open(path, "wb") as f:
            f.truncate(12 * 1024 * 1024)
        subprocess.run(["sfdisk", path], input=b"label: dos\nstart=2048, size=20480, type=7\n",
                       check=True, capture_output=True)
        if volume is None:
            vol = os.path.join(work, "exfat-volume.img")
            with open(vol, "wb") as f:
                f.truncate(10 * 1024 * 1024)
            subprocess.run(["mkfs.exfat", vol], check=True, capture_output=True)
            with open(vol, "rb") as f:
                volume = f.read()
        with open(path, "r+b") as f:
            f.seek(2048 * 512)
            f.write(volume)
        disks.append(path)
    return disks


def main():
    ap = argparse.ArgumentParser()
    for option in ("--program", "--maker", "--samples", "--schema", "--work"):
        ap.add_argument(option, required=True)
    ap.add_argument("--peer")
    a = ap.parse_args()
    with open(a.schema, encoding="utf-8") as f:
        schema = json.load(f)
    jsonschema.Draft202012Validator.check_schema(schema)
    validator = jsonschema.Draft202012Validator(schema)
    images = os.path.join(os.path.abspath(a.work), "images")
    os.makedirs(images, exist_ok=True)
    subprocess.run([a.maker, images], check=True)
    made = [os.path.join(images, n) for n in
            ("mbr-chain.img", "embr.img", "gpt.img", "gpt-4k.img@4096", "truncated.img")]
    samples = [os.path.join(a.samples, n) for n in ("disk0.img", "disk1.img")]
    peer = []
    if a.peer and os.path.isdir(a.peer):
        for root, _, files in sorted(os.walk(a.peer)):
            peer += [os.path.join(root, f) for f in sorted(files) if f.endswith(".img")]
    else:
        print("note: no peer images at %s, left out" % a.peer)
    hostile_dir = os.path.join(os.path.abspath(a.work), "hostile")
    subprocess.run([a.maker, "--hostile", hostile_dir], check=True)
    with open(os.path.join(hostile_dir, "list.txt"), encoding="ascii") as f:
        hostile = [os.path.join(hostile_dir, line.strip()) for line in f if line.strip()]
    volumes = volume_images(os.path.join(os.path.abspath(a.work), "volumes"))
    ok = True
    for args in ([], ["/all"], ["--check"], ["--check", "/all"]):
        if volumes:
            ok &= check("volume disks %s" % args, a.program, volumes, args, validator)
        for start in range(0, len(hostile), 32):
            ok &= check("hostile corpus %d %s" % (start // 32, args), a.program,
                        hostile[start:start + 32], args, validator)
        ok &= check("samples %s" % args, a.program, samples, args, validator)
        ok &= check("test images %s" % args, a.program, made[:2] + [""] + made[2:], args, validator)
        if peer:
            ok &= check("peer images %s" % args, a.program, peer[:32], args, validator)
    # Options in either order give the same document.
    env = dict(os.environ, DISKLENS_DISKS=":".join(samples))
    one = subprocess.run([a.program, "/all", "--json"], env=env, capture_output=True).stdout
    two = subprocess.run([a.program, "--json", "/all"], env=env, capture_output=True).stdout
    mask = lambda b: re.sub(rb'"run_date":"[^"]*"', b'', b)
    if mask(one) != mask(two):
        print("/all --json and --json /all differ")
        ok = False
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
