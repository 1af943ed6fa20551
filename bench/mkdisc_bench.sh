#!/bin/bash
# mkdisc against genisoimage and xorriso (which writes with the same image
# library), each pressing the same generated folder of some 620 MiB: a few
# thousand files of incompressible bytes, many small and some large, in four
# folders, with a launcher and VGX.EXE in its root as mkdisc wants. Joliet
# names and no Rock Ridge for all three. Each turn presses once with each
# tool, in an order that rotates from turn to turn, each to an image of its
# own; a press is timed until its image is on the disk (mkdisc syncs its own,
# the others' are synced by `sync FILE`), and the image is removed untimed.
# The folder's files stay in the page cache, which is not dropped: dropping
# it would slow the whole machine, and what is measured is the tools' work
# and their writes, not the reading of a folder from the disk. The median of
# the turns' ratios is judged, as in the other benchmarks: a busy machine
# slows whole turns, not one tool.
#   mkdisc_bench.sh MKDISC PROGRAMS [TURNS]   (PROGRAMS: the win32 build's
#                                              Q3.EXE and VGX.EXE; TURNS: 6)
set -u
mkdisc=$1 programs=$2 turns=${3:-6}
root=$(cd "$(dirname "$0")/.." && pwd)
tools=(mkdisc xorriso genisoimage)

missing=()
for tool in xorriso genisoimage; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "mkdisc_bench: skipped: ${missing[*]} not installed (the Debian packages of the same names)"
    exit 0
fi
# The folder and one image at a time, with room to spare.
needed=2000000000
mkdir -p "$root/build"
free=$(df --output=avail -B1 "$root/build" | tail -n 1)
if [ "$free" -lt "$needed" ]; then
    echo "mkdisc_bench: skipped: $((free / 1000000)) MB free under $root/build, it needs $((needed / 1000000))"
    exit 0
fi

work=$(mktemp -d "$root/build/mkdisc_bench.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
dir="$work/disc"
mkdir "$dir" && cp "$programs/Q3.EXE" "$programs/VGX.EXE" "$dir/" || exit 1
summary=$(/usr/bin/python3 - "$dir" <<'PYTHON'
import os, random, sys
# Seeded, so that every run presses the same bytes. Each folder: how many
# files, and the range of their sizes.
folders = [("DATA", 2400, 1 << 10, 64 << 10), ("MAPS", 900, 16 << 10, 512 << 10),
           ("SOUND", 150, 256 << 10, 2 << 20), ("MOVIE", 16, 4 << 20, 12 << 20)]
generator = random.Random(1998)
files = total = 0
for name, count, smallest, largest in folders:
    os.mkdir(os.path.join(sys.argv[1], name))
    for number in range(count):
        size = generator.randint(smallest, largest)
        with open(os.path.join(sys.argv[1], name, "%s%04d.BIN" % (name[0], number)), "wb") as file:
            file.write(generator.randbytes(size))
        files += 1
        total += size
print("%d files, %.0f MiB in %d folders" % (files, total / 2**20, len(folders)))
PYTHON
) || exit 1
# The folder's own write-back is not to fall into the first turns.
sync -f "$dir"

# press TOOL OUT
press() {
    case $1 in
    mkdisc) "$mkdisc" --date 1998-12-08 "$dir" "$2" ;;
    xorriso) xorriso -as mkisofs -quiet --norock -J -o "$2" "$dir" ;;
    genisoimage) genisoimage -quiet -J -o "$2" "$dir" ;;
    esac
}

# timed TOOL NAME: presses the folder into the image NAME and sets `took` to
# the microseconds until it is on the disk. A failed press ends the run.
timed() {
    local out="$work/$2.iso" start end
    start=${EPOCHREALTIME//[!0-9]/}
    if ! press "$1" "$out" 2>"$work/errors" || ! sync "$out"; then
        echo "mkdisc_bench: $1 failed:" >&2
        cat "$work/errors" >&2
        exit 1
    fi
    end=${EPOCHREALTIME//[!0-9]/}
    took=$((end - start))
    rm -f "$out"
}

# quartiles: the median of the numbers on standard input and, as median.h
# has them, the first and third quartiles.
quartiles() {
    sort -g | awk '{ v[NR - 1] = $1 }
        function at(q,  x, below, above) {
            x = q * (NR - 1); below = int(x); above = below + 1 < NR ? below + 1 : below
            return v[below] + (x - below) * (v[above] - v[below])
        }
        END { printf "%.6f %.6f %.6f\n", at(0.5), at(0.25), at(0.75) }'
}

echo "pressing $summary, and Q3.EXE and VGX.EXE: once with each tool, untimed, then $turns turns"
for tool in "${tools[@]}"; do
    timed "$tool" "warm-$tool"
done
declare -A seconds
for ((turn = 0; turn < turns; ++turn)); do
    for ((i = 0; i < ${#tools[@]}; ++i)); do
        tool=${tools[(turn + i) % ${#tools[@]}]}
        timed "$tool" "$tool-$turn"
        seconds[$tool,$turn]=$(awk -v us="$took" 'BEGIN { printf "%.6f", us / 1e6 }')
    done
done

echo "each press until its image is on the disk: the median of the turns and, in brackets, the quartiles"
for tool in "${tools[@]}"; do
    read -r median low high < <(for ((turn = 0; turn < turns; ++turn)); do echo "${seconds[$tool,$turn]}"; done | quartiles)
    printf '  %-22s %6.2f s (%.2f-%.2f)\n' "$tool" "$median" "$low" "$high"
done
echo "mkdisc's time against the others': the median of the turns' ratios and, in brackets, their quartiles"
for peer in xorriso genisoimage; do
    read -r median low high < <(for ((turn = 0; turn < turns; ++turn)); do
        awk -v a="${seconds[mkdisc,$turn]}" -v b="${seconds[$peer,$turn]}" 'BEGIN { printf "%.6f\n", a / b }'
    done | quartiles)
    goal=-
    [ "$peer" = xorriso ] && goal="goal: at most 1, no slower than xorriso $(awk -v r="$median" 'BEGIN { print r <= 1 ? "(met)" : "(NOT met)" }')"
    printf '  %-22s %6.3f (%.3f-%.3f)  %s\n' "mkdisc / $peer" "$median" "$low" "$high" "$goal"
done
