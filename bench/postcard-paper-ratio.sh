#!/usr/bin/env bash
# 300 postcards on postcard paper against the same 300 on A4 sheets, in one
# run: CPU time (user + system) of `nvl-hagaki print-pdf` as a ratio, and the
# postcard run's peak memory. Targets: ratio ≤ 1.5, peak ≤ 40 MB.
# Options after the program go to the postcard run only, e.g. --vertical
# for 300 vertical postcards against the horizontal A4 job.
set -euo pipefail
exe=${1:-build/release/src/app/nvl-hagaki}
shift || true
card_options=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$exe" "$work/nvl-hagaki"
python3 "$(dirname "$0")/write-book.py" "$work/book.dat"
run() { # paper [options] → "cpu_seconds peak_kb"
    /usr/bin/time -f "%U %S %M" -o "$work/time" "$work/nvl-hagaki" print-pdf "$work/book.dat" "$work/out.pdf" --paper "$@"
    awk '{printf "%.3f %d\n", $1 + $2, $3}' "$work/time"
}
run a4 >/dev/null # warm the caches
a4_cpu=0; card_cpu=0; card_peak=0
for i in 1 2 3 4 5; do
    read -r c _ < <(run a4); a4_cpu=$(echo "$a4_cpu + $c" | bc -l)
    read -r c p < <(run hagaki "${card_options[@]}"); card_cpu=$(echo "$card_cpu + $c" | bc -l)
    [ "$p" -gt "$card_peak" ] && card_peak=$p
done
printf 'A4 sheets (75 pages): %.3f s CPU a run\n' "$(echo "$a4_cpu / 5" | bc -l)"
printf 'postcards (300 pages) %s: %.3f s CPU a run, peak %d kB\n' "${card_options[*]}" "$(echo "$card_cpu / 5" | bc -l)" "$card_peak"
printf 'ratio: %.2f (target ≤ 1.5), peak %.1f MB (target ≤ 40)\n' \
    "$(echo "$card_cpu / $a4_cpu" | bc -l)" "$(echo "$card_peak / 1024" | bc -l)"
# CPU time on a busy machine varies by a tenth or more from run to run;
# instruction counts do not: the same ratio by callgrind, start-up taken out
# (a one-card run of each).
if command -v valgrind >/dev/null; then
    head -n 1 "$work/book.dat" > "$work/one.dat"
    count() { # book paper [options] → instructions
        local book=$1
        shift
        QT_QPA_PLATFORM=offscreen valgrind --tool=callgrind --callgrind-out-file=/dev/null \
            "$work/nvl-hagaki" print-pdf "$book" "$work/count.pdf" --paper "$@" 2>&1 |
            awk '/Collected/ {print $NF}'
    }
    a4=$(( $(count "$work/book.dat" a4) - $(count "$work/one.dat" a4) ))
    cards=$(( $(count "$work/book.dat" hagaki "${card_options[@]}") - $(count "$work/one.dat" hagaki "${card_options[@]}") ))
    printf 'instructions, start-up aside: A4 %d, postcards %d, ratio %.2f\n' "$a4" "$cards" \
        "$(echo "$cards / $a4" | bc -l)"
fi
