#!/usr/bin/python3
"""Turns the results of `make bench` into a Markdown table and a plot.

    report.py DIR

reads DIR/kernels.json (Google Benchmark, --benchmark_format=json, medians of the repetitions)
and DIR/host-default.jsonl, DIR/host-hugepages.jsonl (the host suite, one JSON object a line),
and writes DIR/results.md and DIR/results.png.
"""
import json
import os
import platform
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

MEMORY_BOUND = ("Boxreach", "Packcols", "Sidescale", "Groupsum")


def load_kernels(path):
    with open(path) as f:
        doc = json.load(f)
    rows, copy_bw, loop_bw = [], None, None
    for b in doc["benchmarks"]:
        if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
            continue
        name = b.get("run_name", b["name"])
        kernel, *params = name.split("/")
        if kernel == "MemoryCopy":
            copy_bw = b["bytes_per_second"]
            continue
        if kernel == "CopyLoop":
            loop_bw = b["bytes_per_second"]
            continue
        args = dict(p.split(":", 1) for p in params if ":" in p)
        rows.append({"kernel": kernel, "args": args, "ms": b["cpu_time"], "bench": b})
    return doc.get("context", {}), rows, copy_bw, loop_bw


def load_host(path):
    if not os.path.exists(path):
        return []
    with open(path) as f:
        return [json.loads(line) for line in f if line.strip()]


def fmt_rate(v):
    for unit, scale in (("G", 1e9), ("M", 1e6), ("k", 1e3)):
        if v >= scale:
            return f"{v / scale:.2f} {unit}"
    return f"{v:.0f}"


def fmt_s(v):
    if v != v:  # NaN: not measured
        return "-"
    return f"{v * 1e3:.2f} ms" if v < 1 else f"{v:.2f} s"


def cpu_model():
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return platform.processor() or "unknown"


def kernel_table(rows, copy_bw):
    out = [
        "| kernel | grid | radius | masks | time | items/s | bytes/s | of memory copy | ns/sample "
        "| ns/pair |",
        "|---|---|---|---|---|---|---|---|---|---|",
    ]
    for r in rows:
        b, a = r["bench"], r["args"]
        bw = b.get("bytes_per_second")
        frac = f"{100 * bw / copy_bw:.0f} %" if bw and copy_bw and r["kernel"] in MEMORY_BOUND else "-"
        nsps = f"{b['ns_per_sample']:.2f}" if "ns_per_sample" in b else "-"
        nspp = f"{r['ms'] * 1e6 / b['pairs']:.2f}" if b.get("pairs") else "-"
        masks = a.get("masks", {"0": "random labels", "1": "region labels"}.get(a.get("regions"), "-"))
        if "masks" in a:
            masks = "on" if a["masks"] == "1" else "off"
        out.append(
            f"| {r['kernel'].lower()} | {a.get('grid', '-')} | {a.get('radius', '-')} | {masks} "
            f"| {r['ms']:.2f} ms | {fmt_rate(b.get('items_per_second', 0))} "
            f"| {fmt_rate(bw) + 'B' if bw else '-'} | {frac} | {nsps} | {nspp} |"
        )
    return out


def host_table(entries):
    out = [
        "| module | built-in way | built-in | module | built-in / module | host floor "
        "| module / floor | floor with one read of the inputs | module / that floor | same result |",
        "|---|---|---|---|---|---|---|---|---|---|",
    ]
    for e in entries:
        if "builtin" not in e:
            continue
        fr = e["floor_read_s"]
        per_read = "-" if fr != fr else f"{e['module_s'] / fr:.2f}x"
        out.append(
            f"| {e['case']} | {e['builtin']} | {fmt_s(e['builtin_s'])} | {fmt_s(e['module_s'])} "
            f"| {e['builtin_s'] / e['module_s']:.1f}x | {fmt_s(e['floor_s'])} "
            f"| {e['module_s'] / e['floor_s']:.2f}x | {fmt_s(fr)} "
            f"| {per_read} "
            f"| {'yes' if e['same'] else 'NO'} |"
        )
    return out


def capacity_table(entries):
    out = [
        "| grid, radius (10 % of pixels active) | entries | plain capacity | create + shrink | "
        "tight capacity | create + shrink | boxreach |",
        "|---|---|---|---|---|---|---|",
    ]
    for e in entries:
        if "plain_capacity" not in e:
            continue
        out.append(
            f"| {e['case'].replace('boxreach capacity ', '')} | {e['entries']} "
            f"| {e['plain_capacity']} | {fmt_s(e['plain_floor_s'])} | {e['tight_capacity']} "
            f"| {fmt_s(e['tight_floor_s'])} | {fmt_s(e['module_s'])} |"
        )
    return out


def find(entries, case, builtin_prefix=""):
    for e in entries:
        if e.get("case") == case and e.get("builtin", "").startswith(builtin_prefix):
            return e
    return None


def targets(host, rows, copy_bw):
    """The goals of this suite, checked on the huge-page run and the 2048 x 2048 kernels."""
    out = ["| goal | measured | met |", "|---|---|---|"]

    def ratio_goal(case, prefix, goal, text):
        e = find(host, case, prefix)
        if e:
            r = e["builtin_s"] / e["module_s"]
            out.append(f"| {text} | {r:.1f}x | {'yes' if r >= goal else 'no'} |")

    def floor_goal(case, prefix):
        e = find(host, case, prefix)
        if e:
            r = e["module_s"] / e["floor_s"]
            out.append(f"| {case} within 1.3x of the host floor | {r:.2f}x | {'yes' if r <= 1.3 else 'no'} |")

    ratio_goal("boxreach", "", 100, "boxreach >= 100x the vectorised lists")
    ratio_goal("pathpeak", "", 100, "pathpeak >= 100x the vectorised walk")
    ratio_goal("packcols", "", 2.5, "packcols >= 2.5x sparse(i, j, v, m, n)")
    ratio_goal("sidescale", "", 3, "sidescale >= 3x the spdiags product")
    ratio_goal("groupsum", "accumarray", 1, "groupsum at least as fast as accumarray per column")
    ratio_goal("groupsum", "sparse", 10, "groupsum >= 10x the indicator product")
    for case in ("packcols", "sidescale", "groupsum"):
        floor_goal(case, "")
    for kernel in MEMORY_BOUND:
        best = None
        for r in rows:
            if r["kernel"] == kernel and r["args"].get("grid") == "2048":
                bw = r["bench"].get("bytes_per_second", 0)
                best = bw if best is None else min(best, bw)
        if best is not None and copy_bw:
            f = best / copy_bw
            out.append(
                f"| {kernel.lower()} kernel >= 50 % of memory copy at 2048 x 2048 (slowest case) "
                f"| {100 * f:.0f} % | {'yes' if f >= 0.5 else 'no'} |"
            )
    worst = [r["bench"]["ns_per_sample"] for r in rows if "ns_per_sample" in r["bench"]]
    if worst:
        out.append(
            f"| pathpeak kernel <= 1.5 ns per sample (slowest case) | {max(worst):.2f} ns "
            f"| {'yes' if max(worst) <= 1.5 else 'no'} |"
        )
    return out


def plot(path, rows, copy_bw, hosts):
    fig, (ax1, ax3, ax2) = plt.subplots(1, 3, figsize=(18, 5.5),
                                        gridspec_kw={"width_ratios": [3, 2, 3]})
    labels, fracs, colours = [], [], []
    palette = {"Boxreach": "tab:blue", "Packcols": "tab:green", "Sidescale": "tab:orange",
               "Groupsum": "tab:purple"}
    for r in rows:
        bw = r["bench"].get("bytes_per_second")
        if r["kernel"] in MEMORY_BOUND and bw and copy_bw:
            a = r["args"]
            tag = f"r{a['radius']}" if "radius" in a else ("reg" if a.get("regions") == "1" else "rnd")
            if a.get("masks") == "1":
                tag += " m"
            labels.append(f"{r['kernel'][:4].lower()} {a.get('grid')} {tag}")
            fracs.append(100 * bw / copy_bw)
            colours.append(palette[r["kernel"]])
    ax1.barh(range(len(fracs)), fracs, color=colours)
    ax1.set_yticks(range(len(fracs)), labels, fontsize=7)
    ax1.invert_yaxis()
    ax1.axvline(50, color="red", linestyle="--", linewidth=1)
    ax1.set_xlabel("bytes moved per second, % of memory copy in the same binary")
    ax1.set_title("Kernels on memory already touched (r = radius, m = masks)")

    pp = [r for r in rows if "ns_per_sample" in r["bench"]]
    ax3.barh(range(len(pp)), [r["bench"]["ns_per_sample"] for r in pp], color="tab:red")
    ax3.set_yticks(range(len(pp)), [f"{r['args']['grid']} r{r['args']['radius']}"
                                     f"{' m' if r['args']['masks'] == '1' else ''}" for r in pp],
                   fontsize=7)
    ax3.invert_yaxis()
    ax3.axvline(1.5, color="red", linestyle="--", linewidth=1)
    ax3.set_xlabel("ns per sample (pairs at distance 1 take one sample)")
    ax3.set_title("pathpeak kernel")

    width = 0.38
    for k, (label, entries) in enumerate(hosts):
        es = [e for e in entries if "builtin" in e]
        names = [f"{e['case']}\nvs {e['builtin']}" for e in es]
        ratios = [e["builtin_s"] / e["module_s"] for e in es]
        xs = [i + (k - 0.5) * width for i in range(len(es))]
        ax2.bar(xs, ratios, width, label=f"{label} allocation")
        ax2.set_xticks(range(len(es)), names, fontsize=6.5, rotation=35, ha="right")
    ax2.set_yscale("log")
    ax2.axhline(1, color="black", linewidth=0.8)
    ax2.set_ylabel("built-in time / module time (log)")
    ax2.set_title("Inside Octave: speed-up over the built-in way")
    ax2.legend(fontsize=8)
    fig.tight_layout()
    fig.savefig(path, dpi=110)


def main():
    d = sys.argv[1] if len(sys.argv) > 1 else "bench/results"
    ctx, rows, copy_bw, loop_bw = load_kernels(os.path.join(d, "kernels.json"))
    default = load_host(os.path.join(d, "host-default.jsonl"))
    huge = load_host(os.path.join(d, "host-hugepages.jsonl"))
    md = [
        "# Benchmark results",
        "",
        f"Machine: {cpu_model()}, {ctx.get('num_cpus', '?')} cores at {ctx.get('mhz_per_cpu', '?')} MHz, "
        f"{platform.system()} {platform.release()}; run of {ctx.get('date', '?')}. "
        "Reproduce with `make bench`.",
        "",
        "## Kernels",
        "",
        "Plain arrays already in memory; CPU time, median of the repetitions. Memory copy in the "
        f"same binary: {fmt_rate(copy_bw or 0)}B/s (bytes read plus bytes written; a plain copy "
        f"loop of 8-byte words: {fmt_rate(loop_bw or 0)}B/s). The machine is shared, so a kernel "
        "may show more than 100 %: the copy and the kernel never run at the same moment.",
        "",
        *kernel_table(rows, copy_bw),
        "",
    ]
    for label, entries in (("huge pages", huge), ("default", default)):
        if entries:
            md += [f"## Inside Octave, {label} allocation", "",
                   "384 x 384 grid with radius 3 (groupsum: 2e6 x 8 data, 40 groups); "
                   "medians of 5 runs.", "", *host_table(entries), ""]
            cap = capacity_table(entries)
            if len(cap) > 2:
                md += [f"Capacity of `pairIndex` on a masked grid ({label} allocation):", "", *cap, ""]
    if huge:
        md += ["## Goals (huge pages; kernels at 2048 x 2048)", "", *targets(huge, rows, copy_bw), ""]
    with open(os.path.join(d, "results.md"), "w") as f:
        f.write("\n".join(md))
    plot(os.path.join(d, "results.png"), rows, copy_bw,
         [(n, e) for n, e in (("default", default), ("huge-page", huge)) if e])


if __name__ == "__main__":
    main()
