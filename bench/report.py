#!/usr/bin/env python3
"""Prints the benchmarks of one `make bench` run as one table and checks the budgets.

Usage: report.py NATIVE.json WINDOWS.txt WINDOWS-EXIT-CODE
NATIVE.json is Google Benchmark's JSON with median aggregates; WINDOWS.txt is what
win_bench, watch_bench and save_bench (of /scomma and /sprom) printed (figure and info lines) and
what bench.sh measured of the idle programs and of the programs' peak memory (share, limit and
memory lines). Exits 1 when a budget is missed or the Windows run failed.
"""
import json
import sys

# The budgets a run must check: by the start of the figure's name, its baseline and the
# largest ratio to it. A figure that goes missing, or comes against another baseline or with
# a looser budget, fails the run instead of passing unseen.
BUDGETS = {
    "RefreshList 10000 rows": ("table read + owner-data paint", 1.3),
    "RefreshList 100000 rows": ("table read + owner-data paint", 1.5),
    "header click, 10000 rows": ("sort + owner-data paint", 1.3),
    "RefreshList 10000 IPv4 + 10000 IPv6 rows": ("table reads + owner-data paint", 1.5),
    "export 10000 rows": ("60000 cell reads + safe write", 1.5),
    "launch to a filled, visible window": ("minimal one-window program", 1.3),
    "launch in English to a filled, visible window": ("minimal one-window program", 1.3),
    "unchanged re-read, 10000 rows": ("table read and decode", 1.2),
    "one address added to 10000, shown": ("unchanged re-read + owner-data paint", 1.3),
    "one address removed from 10000, shown": ("unchanged re-read + owner-data paint", 1.3),
    "/scomma 10000 addresses, start to exit": ("minimal console, same bytes", 1.3),
    "one row of 10000 moved top to bottom, shown": ("unchanged re-read + owner-data paint", 1.3),
    "first 1000 of 10000 rows gone, shown": ("unchanged re-read + owner-data paint", 1.5),
    "RefreshList 10000 rows, all 14 columns": ("reads + owner-data paint of 14", 1.5),
    "unchanged re-read, 10000 rows, all 14": ("table read + adapter read", 1.2),
    "RefreshList 10000 rows, Route shown": ("reads + owner-data paint of 7", 1.5),
    "unchanged re-read, 10000 rows, Route shown": ("table read + route read", 1.2),
    "RefreshList 10000 rows, connection shown": ("reads + owner-data paint of 12", 1.5),
    "unchanged re-read, 10000 rows, connection shown": ("table read + connection reads", 1.2),
    "idle CPU, 42 rows": ("minimal re-reading program", 1.1),
    "one address added to 10000, watch line out": ("unchanged re-read + one row's line", 1.2),
    "idle watch CPU, 42 rows": ("minimal re-reading program", 1.1),
    "one address added to 42, /wprom file out": ("the same change, /wtab line out", 1.2),
    "/sprom 10000 addresses, start to exit": ("minimal console, same bytes", 1.3),
    "peak working set, 10001 rows shown": ("minimal owner-data list, same rows", 1.8),
}


# Figures with a ceiling of their own rather than a baseline: by the start of the name, the
# largest value allowed.
LIMITS = {
    "idle CPU, 5000 addresses": 2.0,
    "idle watch CPU, 5000 addresses": 2.0,
}


def value_text(value, unit):
    if unit == "%":
        return f"{value:.3f}%"
    if unit == "MiB":
        return f"{value:.1f} MiB"
    return time_text(value)


def time_text(ms):
    if ms < 1:
        return f"{ms * 1000:.2f} us"
    return f"{ms:.1f} ms"


def native_rows(path):
    with open(path, encoding="utf-8") as f:
        data = json.load(f)
    rows = []
    for b in data["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        name, count = b["run_name"].split("/")
        factor = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1000.0}[b["time_unit"]]
        what = {"Decode": "decode the table", "CellTexts": "the six cell texts",
                "Csv": "CSV text"}.get(name, name)
        count = int(count)
        rows.append(("native", f"{what}, {count:,} row{'' if count == 1 else 's'}", b["real_time"] * factor,
                     "", None, None, "ms"))
    return rows


def windows_rows(path):
    figures, infos, limits = [], [], []
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            parts = line.rstrip("\r\n").split("\t")
            if parts[0] in ("figure", "share", "memory") and len(parts) == 6:
                # A share is a percentage of a core, and a memory figure MiB, rather than a time.
                kind, name, value, baseline, base_value, budget = parts
                figures.append(("Wine", name, float(value), baseline, float(base_value), float(budget) or None,
                                {"share": "%", "memory": "MiB"}.get(kind, "ms")))
            elif parts[0] == "info" and len(parts) == 3:
                infos.append((parts[1], parts[2]))
            elif parts[0] == "limit" and len(parts) == 5:
                _, name, value, unit, ceiling = parts
                limits.append((name, float(value), unit, float(ceiling)))
    return figures, infos, limits


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    rows = native_rows(sys.argv[1])
    figures, infos, limits = windows_rows(sys.argv[2])
    windows_code = int(sys.argv[3])
    missed = []
    print(f"{'':6}  {'what':44} {'median':>10}  {'baseline (same run)':36} {'median':>10} {'ratio':>6}  budget")
    for side, what, ms, baseline, base_ms, budget, unit in rows + figures:
        line = f"{side:6}  {what:44} {value_text(ms, unit):>10}"
        if baseline:
            ratio = ms / base_ms if base_ms > 0 else float("inf")
            line += f"  {baseline:36} {value_text(base_ms, unit):>10} {ratio:6.2f}"
            if budget:
                ok = ratio <= budget
                line += f"  <= {budget:.2f} {'met' if ok else 'MISSED'}"
                if not ok:
                    missed.append(what)
        print(line)
    for name, value, unit, ceiling in limits:
        ok = value <= ceiling
        unit = unit if unit == "%" else " " + unit
        print(f"{'Wine':6}  {name:44} {value:9.3f}{unit}  {'':47} <= {ceiling:.2f}{unit} {'met' if ok else 'MISSED'}")
        if not ok:
            missed.append(name)
    for name, ceiling in LIMITS.items():
        if not any(l[0].startswith(name) and l[3] <= ceiling for l in limits):
            missed.append(f"{name} (not measured within {ceiling:.2f})")
    for name, (baseline, budget) in BUDGETS.items():
        if not any(f[1].startswith(name) and f[3] == baseline and f[5] is not None and f[5] <= budget
                   for f in figures):
            missed.append(f"{name} (not measured within {budget:.2f} times {baseline})")
    print()
    for name, value in infos:
        print(f"{name}: {value}")
    print()
    if missed:
        print("Budgets missed: " + "; ".join(missed))
    if windows_code != 0 and not missed:
        print(f"The Windows benchmarks failed (exit code {windows_code}).")
    if missed or windows_code != 0:
        return 1
    print("Every budget met.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
