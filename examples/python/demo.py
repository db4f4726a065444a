#!/usr/bin/env python3
"""A short data-entry session from Python, late-bound over the library's C interface.

Stores categories and items in a new SQLite file with next numbers, fills a headless list
view and prints it, then enciphers and deciphers a password. Run from the repository:

    ORTIVA_LIBRARY=build/lib/libortiva_c.so python3 examples/python/demo.py

(without ORTIVA_LIBRARY the class registry or the linker's search path is used).
"""

import os
import sqlite3
import sys
import tempfile

try:
    import ortiva
except ImportError:  # run from a checkout: the package beside the examples
    sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..",
                                    "python"))
    import ortiva
from ortiva import ByRef, Missing


def create_schema(path):
    # The application's own schema script, run once with Python's own SQLite module.
    with sqlite3.connect(path) as conn:
        conn.execute("CREATE TABLE Categories (Code INTEGER PRIMARY KEY, Name VARCHAR(40))")
        conn.execute("CREATE TABLE Items (Code INTEGER PRIMARY KEY, Name VARCHAR(60), "
                     "Category INTEGER, Rate DOUBLE)")
    conn.close()


def print_list_view(lvw):
    items = lvw.ListItems
    headers = lvw.ColumnHeaders
    columns = headers.Count()
    table = [[headers(c).Text() for c in range(1, columns + 1)]]
    for i in range(1, items.Count() + 1):
        row = items(i)
        table.append([row.Text()] + [row.SubItems[c] for c in range(1, columns)])
    widths = [max(len(line[c]) for line in table) for c in range(columns)]
    for line in table:
        print("   " + "  ".join(cell.ljust(w) for cell, w in zip(line, widths)).rstrip())


def main():
    with tempfile.TemporaryDirectory(prefix="ortiva-python-") as directory:
        path = os.path.join(directory, "shop.db")
        create_schema(path)
        print(f"Library {ortiva.version()}, database {path}")

        db = ortiva.create("Ortiva.ClsCommonDb")
        db.SetPropertyValues(f"Data Source={path}", "", "", "Categories")
        print(f"Connected: ConState {db.ConState}, server date {db.dtSystemDate:%Y-%m-%d %H:%M}")

        for name in ["Tools", "Paint", "Garden"]:
            code = db.fnGetNextMaxNo("Code")
            db.fnInsertRecord([code, name])
        db.strTableName = "Items"
        for name, category, rate in [("Hammer", 1, 12.5), ("Saw", 1, 18.0), ("Brush", 2, 3.75),
                                     ("Roller", 2, 6.4), ("Rake", 3, 15.0)]:
            code = db.fnGetNextMaxNo("Code")
            db.fnInsertRecord([code, name, category, rate])
            print(f"   item {code} {name} at {rate}")

        lvw = ortiva.control("ListView", "lvwItems")
        for title in ["S.No", "Code", "Item", "Category", "Rate"]:
            lvw.ColumnHeaders.Add(Missing, Missing, title)
        condition = ByRef(" Rate > 5 ")
        db.PopulateListview(lvw, "Items", condition, ["SLNO", "Code", "Name", "Category", "Rate"])
        print(f"List view filled by: {db.LastExecutedSql}  (condition now {condition.value!r})")
        print_list_view(lvw)

        cipher = ortiva.create("Ortiva.clscryptor")
        secret = cipher.EnCrypt("s3cret-päss", "shop-key")
        print(f"Enciphered: {secret}")
        print(f"Deciphered: {cipher.DeCrypt(secret, 'shop-key')}")

        # Release before the directory goes, so that the database file is closed.
        for obj in (cipher, lvw, db):
            obj.release()
    return 0


if __name__ == "__main__":
    sys.exit(main())
