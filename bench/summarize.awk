# Reads Google Benchmark's JSON output of numo_bench and prints the figures of the run as
# Markdown: cost of one edit per corpus class and per formula length, numo against muParser,
# with the ratios and heap blocks; writes the plot's data files as a side effect.
# Usage: awk -v growth=FILE -v ratios=FILE -f bench/summarize.awk latest.json
# Plain awk (mawk or gawk) on purpose: nothing beyond a base Debian system is needed.

function value(line) {
    sub(/^[^:]*:[ \t]*/, "", line)
    sub(/,[ \t]*$/, "", line)
    gsub(/"/, "", line)
    return line
}

function microseconds(t, unit) {
    if (unit == "ns") return t / 1000
    if (unit == "ms") return t * 1000
    if (unit == "s") return t * 1000000
    return t
}

# Benchmark objects: a median (several repetitions) wins over a single iteration run.
/^[ \t]*\{[ \t]*$/ { name = ""; type = ""; aggregate = ""; cpu = ""; unit = "ns"; blocks = ""; left = ""; chars = "" }
/"run_name":/ { name = value($0) }
/"run_type":/ { type = value($0) }
/"aggregate_name":/ { aggregate = value($0) }
/"cpu_time":/ { cpu = value($0) }
/"time_unit":/ { unit = value($0) }
/"blocks":/ { blocks = value($0) }
/"left":/ { left = value($0) }
/"chars":/ { chars = value($0) }
/"load_avg":/ { load = value($0) }
/"date":/ { date = value($0) }
/"host_name":/ { host = value($0) }
/^[ \t]*\}/ {
    if (name == "" || cpu == "") next
    if (type == "aggregate" && aggregate != "median") next
    if (type != "aggregate" && (name in median)) next
    if (type == "aggregate") median[name] = 1
    if (!(name in seen)) { seen[name] = 1; order[count++] = name }
    cost[name] = microseconds(cpu + 0, unit)
    heap[name] = blocks
    kept[name] = left
    size[name] = chars
}

function side(name) { split(name, p, "/"); return p[2] }
function workload(name) { split(name, p, "/"); return p[3] }

END {
    if (count == 0) { print "summarize.awk: no benchmark results found" > "/dev/stderr"; exit 1 }
    for (i = 0; i < count; i++) {
        n = order[i]
        w = workload(n)
        if (!(w in known)) { known[w] = 1; workloads[nw++] = w }
        if (side(n) == "numo") numo[w] = n; else if (side(n) == "muparser") mup[w] = n
    }
    print "Cost of one edit (median CPU time, µs), numo's whole recalculation against muParser's"
    print "SetExpr + Eval, from one run" (date != "" ? " on " date : "") "."
    print ""
    print "| Formulas | Characters | numo µs | muParser µs | numo / muParser | numo blocks per edit | numo blocks left | muParser blocks per edit |"
    print "|---|---:|---:|---:|---:|---:|---:|---:|"
    worstLeft = 0
    for (i = 0; i < nw; i++) {
        w = workloads[i]
        if (!(w in numo) || !(w in mup)) continue
        a = numo[w]; b = mup[w]
        r = cost[a] / cost[b]
        split(w, kv, ":")
        label = (kv[1] == "corpus" ? "corpus " kv[2] : "generated, length " kv[2])
        printf "| %s | %.0f | %.2f | %.2f | %.3f | %.1f | %g | %.1f |\n", label, size[a], cost[a], cost[b], r, heap[a], kept[a] + 0, heap[b]
        if (kept[a] + 0 > worstLeft) worstLeft = kept[a] + 0
        if (kv[1] == "length") {
            printf "%s %.4f %.4f %.4f\n", kv[2], cost[a], cost[b], r > growth
            byLength[kv[2]] = a
            lengthRatio[kv[2]] = r
        }
        printf "\"%s\" %.4f\n", (kv[1] == "corpus" ? kv[2] : "len " kv[2]), r > ratios
    }
    print ""
    if (("64" in byLength) && ("511" in byLength)) {
        printf "- Growth: cost(511) / cost(64) = %.2f (target at most 10; proportional growth would be %.2f).\n", cost[byLength["511"]] / cost[byLength["64"]], 511 / 64
        printf "- Typical 64-character formula: numo / muParser = %.3f (target at most 0.2).\n", lengthRatio["64"]
    }
    printf "- Heap blocks left behind per edit by numo: %g at most (target 0).\n", worstLeft
    if (load != "") {
        gsub(/[][]/, "", load)
        gsub(/,/, ", ", load)
        print "- Load average of the machine when the run started (1, 5, 15 minutes): " load "."
    }
}
