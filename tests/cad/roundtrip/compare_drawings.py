#!/usr/bin/python3
"""Checks a drawing the host saved against the drawing it opened, with ezdxf's strict reader.

usage: compare_drawings.py ORIGINAL SAVED [added]

Prints "ok" and exits 0 when the saved file has the original's version, every object of the
original (entities, their sub-entities, table entries, blocks, objects) with the same type,
attributes, extended data and reactors, and no audit error the original did not have.
With "added", the objects the session added must be written for the drawing's version: new
handles above the original's $HANDSEED and below the saved one, owners that exist (model space
for the entities added there), and subclass markers from R2000 on but not in R12; one line
"added TYPE COUNT" per kind added to model space follows "ok".
"""
import sys

import ezdxf


def plain(value):
    if hasattr(value, "__iter__") and not isinstance(value, str):
        return tuple(plain(v) for v in value)
    if isinstance(value, float):
        return round(value, 9) + 0.0
    return value


def attributes(entity, r12):
    # An R12 file has no owners and no pointers; ezdxf makes them up anew on each load.
    return {k: plain(v) for k, v in entity.dxf.all_existing_dxf_attribs().items()
            if not (r12 and (k == "owner" or k.endswith("_handle")))}


def extended_data(entity):
    if not entity.xdata:
        return {}
    return {app: [(t.code, plain(t.value)) for t in tags] for app, tags in entity.xdata.data.items()}


def reactors(entity):
    return sorted(entity.get_reactors()) if hasattr(entity, "get_reactors") else []


def audit_errors(doc):
    return sorted(str(e.message) for e in doc.audit().errors)


def record_groups(path):
    """The groups of every record of a file by its handle (group 5 or 105). Objects ezdxf
    makes up on loading (the SEQEND of an INSERT without attributes) are not among them."""
    with open(path, encoding="latin-1") as f:
        lines = [line.rstrip("\r\n") for line in f]
    records, current = {}, None
    for i in range(0, len(lines) - 1, 2):
        code, value = int(lines[i]), lines[i + 1].strip()
        if code == 0:
            # The header's $HANDSEED is a group 5 of the SECTION record, not a handle.
            current = [] if value != "SECTION" else None
        elif code in (5, 105) and current is not None and value not in records:
            records[value] = current
        if current is not None:
            current.append((code, value))
    return records


def main():
    original_path, saved_path = sys.argv[1], sys.argv[2]
    check_added = len(sys.argv) > 3 and sys.argv[3] == "added"
    original = ezdxf.readfile(original_path)
    saved = ezdxf.readfile(saved_path)
    problems = []
    r12 = original.dxfversion == "AC1009"
    if saved.dxfversion != original.dxfversion:
        problems.append(f"version {saved.dxfversion} instead of {original.dxfversion}")
    in_original = record_groups(original_path)
    groups = record_groups(saved_path)
    for handle, before in original.entitydb.items():
        if handle not in in_original:
            continue
        after = saved.entitydb.get(handle)
        if after is None:
            problems.append(f"{before.dxftype()} {handle} is missing")
            continue
        if after.dxftype() != before.dxftype():
            problems.append(f"{handle} is {after.dxftype()}, was {before.dxftype()}")
            continue
        a, b = attributes(after, r12), attributes(before, r12)
        if a != b:
            diff = {k: (b.get(k), a.get(k)) for k in set(a) | set(b) if a.get(k) != b.get(k)}
            problems.append(f"{before.dxftype()} {handle} changed: {diff}")
        if extended_data(after) != extended_data(before):
            problems.append(f"{before.dxftype()} {handle} lost its extended data")
        if reactors(after) != reactors(before):
            problems.append(f"{before.dxftype()} {handle} lost its reactors")
    before_errors, after_errors = audit_errors(original), audit_errors(saved)
    for error in after_errors:
        if error not in before_errors:
            problems.append(f"audit: {error}")
    added = {}
    if check_added:
        seed = int(original.header.get("$HANDSEED", "1"), 16)
        saved_seed = int(saved.header.get("$HANDSEED", "1"), 16)
        modern = saved.dxfversion > "AC1009"
        msp_owner = saved.modelspace().block_record_handle
        for handle, entity in saved.entitydb.items():
            if handle in in_original or handle not in groups:
                continue
            value = int(handle, 16)
            if value < seed or value >= saved_seed:
                problems.append(f"new {entity.dxftype()} {handle} not between the seeds "
                                f"{seed:X} and {saved_seed:X}")
            owner = entity.dxf.get("owner") if entity.dxf.is_supported("owner") else None
            if modern and owner is not None and owner not in saved.entitydb and owner != "0":
                problems.append(f"new {entity.dxftype()} {handle} has no owner {owner}")
            codes = groups.get(handle, [])
            markers = [v for c, v in codes if c == 100]
            if modern and not markers:
                problems.append(f"new {entity.dxftype()} {handle} has no subclass markers")
            if not modern and (markers or any(c == 330 for c, _ in codes)):
                problems.append(f"new {entity.dxftype()} {handle} has groups R12 lacks")
            if entity.dxf.is_supported("layer") and owner == msp_owner:
                added[entity.dxftype()] = added.get(entity.dxftype(), 0) + 1
                if entity.dxf.layer not in saved.layers:
                    problems.append(f"new {entity.dxftype()} on undefined layer {entity.dxf.layer}")
    for problem in problems:
        print("problem", problem)
    if not problems:
        print("ok")
        for kind in sorted(added):
            print("added", kind, added[kind])
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
