#!/usr/bin/python3
"""check_saves.py LEDGER DATABASE: holds the gears of DATABASE against the
SAVEs of LEDGER (crash_soak.sh writes it) and prints one line of counts:

  rows=N damaged=0|1 partial=N lost=N duplicates=N moved=N

damaged:    integrity_check is not ok (or the file cannot be read)
partial:    a row whose four values are not exactly what the SAVE that
            wrote its teeth put in the editor (or whose teeth no SAVE wrote)
lost:       SAVEs the window acknowledged whose gear is gone or holds the
            values of an earlier SAVE
duplicates: a gear that is in the table twice
moved:      a gear whose ID changed since an earlier check

Every SAVE writes its own sequence number as the teeth, so each row names the
SAVE that wrote it. An update continues the gear it picked: the gear of an
insert is the chain of SAVEs that updated it, and its row must hold the
latest of them that landed, never one older than the latest acknowledged.
The ID each gear was first seen with is kept in LEDGER to tell a gear that
moved. Details of every finding go to stderr.
"""
import sqlite3
import sys


def main(ledger_path, database_path):
    ledger = sqlite3.connect(ledger_path)
    saves = {seq: (kind, target, m, t, qty, acked)
             for seq, kind, target, m, t, qty, acked in
             ledger.execute("SELECT seq, kind, target, M, T, QTY, acked FROM Saves")}

    def chain(seq):
        while saves[seq][0] == "update":
            seq = saves[seq][1]
        return seq

    counts = dict(rows=0, damaged=0, partial=0, lost=0, duplicates=0, moved=0)
    try:
        database = sqlite3.connect(f"file:{database_path}?mode=rw", uri=True)
        if database.execute("PRAGMA integrity_check").fetchall() != [("ok",)]:
            raise sqlite3.DatabaseError("integrity_check is not ok")
        rows = database.execute("SELECT ID, D, M, T, QTY FROM Gears").fetchall()
    except sqlite3.Error as error:
        print(f"damaged: {database_path}: {error}", file=sys.stderr)
        counts["damaged"] = 1
        print(" ".join(f"{k}={v}" for k, v in counts.items()))
        return

    counts["rows"] = len(rows)
    known_ids = dict(ledger.execute("SELECT chain, id FROM GearIds"))
    row_of_chain = {}
    for row in rows:
        gear_id, teeth, m, t, qty = row
        save = saves.get(teeth) if isinstance(teeth, int) else None
        if save is None or (m, t, qty) != (save[2], save[3], save[4]):
            counts["partial"] += 1
            print(f"partial: row {row}, SAVE {teeth} wrote {save}", file=sys.stderr)
            continue
        c = chain(teeth)
        if c in row_of_chain:
            counts["duplicates"] += 1
            print(f"duplicate: rows {row_of_chain[c]} and {row} are one gear", file=sys.stderr)
            continue
        row_of_chain[c] = row
        if known_ids.setdefault(c, gear_id) != gear_id:
            counts["moved"] += 1
            print(f"moved: gear of SAVE {c} was ID {known_ids[c]}, now {row}", file=sys.stderr)

    for seq, (kind, target, m, t, qty, acked) in saves.items():
        if not acked:
            continue
        row = row_of_chain.get(chain(seq))
        if row is None or row[1] < seq:
            counts["lost"] += 1
            print(f"lost: acknowledged SAVE {seq} ({kind}), its gear is now {row}", file=sys.stderr)

    ledger.executemany("INSERT OR IGNORE INTO GearIds (chain, id) VALUES (?, ?)", known_ids.items())
    ledger.commit()
    print(" ".join(f"{k}={v}" for k, v in counts.items()))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
