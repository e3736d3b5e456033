#!/usr/bin/env bash
# Whole-process speed and peak memory of `plotyra-cli render` of an N x N grid (default 1000)
# at 800x600 against gnuplot's lit pm3d picture of the same grid at the same size, PNG output
# both; also the peak memory of rendering a tiny file. Not part of test.sh. gnuplot is installed
# for this measurement only (apt-get install gnuplot-nox), never as a dependency of the project;
# without it the script says so and stops.
# Usage: bench/render_vs_gnuplot.sh [PLOTYRA-CLI [N [RUNS]]]
set -euo pipefail
# A PLOTYRA-CLI named relative to the caller's folder stays valid after the cd.
cli=$(realpath -m "${1:-$(dirname "$0")/../build/default/app/plotyra-cli}")
cd "$(dirname "$0")/.."
n=${2:-1000}
runs=${3:-3}
if ! command -v gnuplot >/dev/null; then
    echo "skipped: gnuplot is not installed (apt-get install -y gnuplot-nox, for measuring only)"
    exit 0
fi
[ -x "$cli" ] || { echo "no plotyra-cli at $cli (build it first)" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs /usr/bin/time (package time)" >&2; exit 1; }
work=$(mktemp -d -t plotyra-measure-XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

# One surface for both programs: a headerless text grid for plotyra (then its "<3D>" form) and
# a plain matrix of the same heights for gnuplot.
python3 - "$n" "$work" <<'PY'
import math, sys
n, work = int(sys.argv[1]), sys.argv[2]
coords = [i / (n - 1) for i in range(n)]
rows = [" ".join("%.6g" % (math.sin(6 * x) * math.cos(5 * z)) for x in coords) for z in coords]
with open(work + "/grid.txt", "w", newline="") as f:
    f.write("%d %d\r\n%s\r\n" % (n, n, " ".join(repr(c) for c in coords)))
    f.write("".join("%r\r\n" % c for c in coords))
    f.write("".join(r + "\r\n" for r in rows))
with open(work + "/grid.dat", "w") as f:
    f.write("".join(r + "\n" for r in rows))
PY
"$cli" convert --force-grid-form "$work/grid.txt" "$work/grid.p3d"

# gnuplot's quickest way to such a picture: the heights as a matrix, quadrangles in scan order
# (with depthorder, for hidden parts drawn right, as a further figure).
gnuplot_script() { # $1 terminal, $2 extra pm3d options
    cat <<GP
set terminal $1 size 800,600
set output '$work/gnuplot.png'
set pm3d lighting primary 0.5 specular 0.2 ${2:-}
splot '$work/grid.dat' matrix with pm3d notitle
GP
}
gnuplot_script png >"$work/png.gp"
gnuplot_script pngcairo >"$work/pngcairo.gp"
gnuplot_script png depthorder >"$work/depthorder.gp"

# The best wall time (seconds) and the largest peak RSS (MiB) of RUNS runs of a command.
measure() {
    local best="" peak=0 i wall rss
    for ((i = 0; i < runs; i++)); do
        /usr/bin/time -v -o "$work/time.txt" "$@" >/dev/null 2>"$work/stderr.txt" ||
            { cat "$work/stderr.txt" >&2; return 1; }
        wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0;
               for (k = 1; k <= n; k++) s = s * 60 + t[k]; print s}' "$work/time.txt")
        rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
        best=$(awk -v a="$wall" -v b="$best" 'BEGIN {print (b == "" || a < b) ? a : b}')
        ((rss > peak)) && peak=$rss
    done
    echo "$best $((peak / 1024))"
}

report() { # label, then the command
    local label=$1 result
    shift
    result=$(measure "$@")
    printf '%-44s %6.2f s %6d MiB\n' "$label" ${result% *} ${result#* }
    echo "$result" >"$work/last"
}

echo "grid ${n} x ${n}, 800x600 PNG, best of $runs runs, $(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg)"
report "plotyra-cli render" "$cli" render "$work/grid.p3d" -o "$work/plotyra.png"
plotyra=$(cut -d' ' -f1 "$work/last")
report "plotyra-cli render --no-legend" "$cli" render "$work/grid.p3d" --no-legend -o "$work/p.png"
report "  of which loading (plotyra-cli info)" "$cli" info "$work/grid.p3d"
report "  of which start-up (plotyra-cli about)" "$cli" about
report "plotyra-cli render, tiny file" "$cli" render examples/surface.p3d -o "$work/tiny.png"
report "gnuplot pm3d lighting, png (libgd)" gnuplot "$work/png.gp"
gd=$(cut -d' ' -f1 "$work/last")
report "gnuplot pm3d lighting, pngcairo" gnuplot "$work/pngcairo.gp"
cairo=$(cut -d' ' -f1 "$work/last")
report "gnuplot pm3d lighting depthorder, png" gnuplot "$work/depthorder.gp"
awk -v p="$plotyra" -v g="$gd" -v c="$cairo" 'BEGIN {
    f = g < c ? g : c
    printf "plotyra-cli is %.1f x faster than gnuplot'"'"'s faster terminal (%.1f x libgd, %.1f x cairo)\n",
        f / p, g / p, c / p }'
