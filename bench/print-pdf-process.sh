#!/usr/bin/env bash
# Times `nvl-hagaki print-pdf` on 300 postcards as a whole process (start-up
# included): wall time, peak memory, PDF size and its fonts.
set -euo pipefail
exe=${1:-build/release/src/app/nvl-hagaki}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$exe" "$work/nvl-hagaki"
python3 "$(dirname "$0")/write-book.py" "$work/book.dat"
"$work/nvl-hagaki" print-pdf "$work/book.dat" "$work/warm.pdf" 2>/dev/null   # warm the caches
for run in 1 2 3 4 5; do
    /usr/bin/time -f "%e s wall, %M KB peak" "$work/nvl-hagaki" print-pdf "$work/book.dat" "$work/out.pdf" 2>&1 \
        | grep -v XDG_RUNTIME_DIR
done
echo "PDF: $(stat -c %s "$work/out.pdf") bytes, $(pdfinfo "$work/out.pdf" | awk '/Pages/ {print $2}') pages"
pdffonts "$work/out.pdf"
