#!/usr/bin/env bash
# Where the time of one `plotyra-cli render` goes, for a tiny file and N x N surfaces (default
# 500 and 1000) at 800x600: the whole process (best of RUNS: real, user, system time, peak
# memory, page faults), the dynamic loader's own share, the system calls that map and unmap
# memory, and the moments each phase begins, read off the system calls that mark it (the
# chart file opened, fontconfig read, the first font, the GL library loaded, the renderer's
# first thread, the picture written). Phase moments come from strace, which slows every system
# call: read them as shares, not as times. Not part of test.sh; needs strace and /usr/bin/time.
# Usage: bench/render_phases.sh [PLOTYRA-CLI [RUNS [N...]]]
set -euo pipefail
cli=$(realpath -m "${1:-$(dirname "$0")/../build/default/app/plotyra-cli}")
cd "$(dirname "$0")/.."
runs=${2:-5}
shift $(($# < 2 ? $# : 2))
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(500 1000)
[ -x "$cli" ] || { echo "no plotyra-cli at $cli (build it first)" >&2; exit 1; }
for tool in strace /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install strace time)" >&2; exit 1; }
done
work=$(mktemp -d -t plotyra-phases-XXXXXX)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"

/usr/bin/python3 - "$work" "${sizes[@]}" <<'PY'
import math, sys
work, sizes = sys.argv[1], [int(s) for s in sys.argv[2:]]
with open(work + "/tiny.p3d", "w") as f:
    f.write("<3D>\n2\t2\n0\t1\n0\n1\n0\t1\n1\t0\n")
for n in sizes:
    with open("%s/s%d.p3d" % (work, n), "w") as f:
        f.write("<3D>\n%d\t%d\n%s\n" % (n, n, "\t".join(str(i) for i in range(n))))
        f.write("".join("%d\n" % k for k in range(n)))
        for k in range(n):
            f.write("\t".join("%.5f" % (math.sin(i * 0.02) * math.cos(k * 0.015))
                              for i in range(n)) + "\n")
PY

render() { "$cli" render "$work/$1.p3d" -o "$work/$1.png" --size 800x600; }

for name in tiny $(printf 's%s ' "${sizes[@]}"); do
    echo "== $name"
    render "$name" # warms the page cache and Mesa's shader cache
    best=""
    for _ in $(seq "$runs"); do
        line=$(/usr/bin/time -f "%e %U %S %M %R %F" "$cli" render "$work/$name.p3d" \
               -o "$work/$name.png" --size 800x600 2>&1 >/dev/null | tail -n 1)
        if [ -z "$best" ] || awk -v a="$line" -v b="$best" 'BEGIN{split(a,x," ");split(b,y," ");exit !(x[1]<y[1])}'; then
            best=$line
        fi
    done
    read -r real user sys rss minor major <<<"$best"
    echo "whole process: ${real} s real, ${user} s user, ${sys} s system, ${rss} KB peak," \
         "${minor} minor and ${major} major page faults (best of $runs)"
    LD_DEBUG=statistics render "$name" 2>&1 | awk '/total startup time in dynamic loader/ {
        gsub(/cycles/, ""); print "dynamic loader at start: " $NF " cycles"; exit }'
    strace -f -c -e trace=mmap,munmap,mremap,brk,madvise -o "$work/calls.txt" \
        "$cli" render "$work/$name.p3d" -o "$work/$name.png" --size 800x600 >/dev/null 2>&1
    awk '$NF ~ /^(mmap|munmap|mremap|brk|madvise)$/ { printf "%s %s calls; ", $NF, $4 }
         END { print "" }' "$work/calls.txt"
    strace -f -ttt -e trace=openat,clone,clone3,exit_group -o "$work/trace.txt" \
        "$cli" render "$work/$name.p3d" -o "$work/$name.png" --size 800x600 >/dev/null 2>&1
    /usr/bin/python3 - "$work/trace.txt" "$name" <<'PY'
import re, sys
marks = [("chart file opened", lambda s: "/%s.p3d" % sys.argv[2] in s),
         ("fontconfig set-up", lambda s: "fonts.conf" in s),
         ("first font file", lambda s: ".ttf" in s),
         ("GL library loaded", lambda s: "libOSMesa" in s),
         # the reader's threads come before: the renderer's are the first after the GL library
         ("drawing (GL threads)", lambda s: s.startswith("clone") and "GL library loaded" in seen),
         ("picture written", lambda s: ".png" in s and "O_CREAT" in s),
         ("exit", lambda s: s.startswith("exit_group"))]
start, seen = None, {}
for line in open(sys.argv[1]):
    m = re.match(r"\s*(?:\d+\s+)?(\d+\.\d+)\s+(.*)", line)
    if not m or "ENOENT" in line:
        continue
    t = float(m.group(1))
    start = start if start is not None else t
    for label, match in marks:
        if label not in seen and match(m.group(2)):
            seen[label] = t - start
order = sorted(seen.items(), key=lambda kv: kv[1])
end = seen.get("exit", order[-1][1] if order else 0)
print("phases under strace (ms from exec; total %.0f):" % (1000 * end))
previous = ("exec and libraries", 0.0)
for label, t in order:
    print("  %-22s %7.1f ms  (%4.1f %%)" % (previous[0], 1000 * (t - previous[1]),
                                            100 * (t - previous[1]) / end if end else 0))
    previous = (label, t)
PY
done
