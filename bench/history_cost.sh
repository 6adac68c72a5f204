#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What the history costs a run: `zonedesk-cli lookup` over 10,000 names (or $2) of the ten
# registries against the sample responder on loopback (answers without delay), best of three,
# with the history on (a fresh database each time) and off: peak resident set and CPU seconds
# (user + system), as GNU time reports them for the process.
#   bench/history_cost.sh [BUILD_DIR [NAMES]]
set -euo pipefail
build=${1:-build/default}
count=${2:-10000}
cli=$build/zonedesk-cli
work=$(mktemp -d)
server=
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT

"$cli" serve-samples >"$work/env" &
server=$!
for _ in $(seq 100); do
    grep -q RDAP "$work/env" 2>/dev/null && break
    sleep 0.1
done
set -a
# shellcheck disable=SC1091
. "$work/env"
set +a

suffixes=(com net org cn com.cn jp hk tv cc edu biz info)
for ((i = 0; i < count; i++)); do
    echo "name$i.${suffixes[i % ${#suffixes[@]}]}"
done >"$work/names.txt"

# One run: "PEAK_KIB CPU_SECONDS". Its exit status tells of the names (near expiry, errors), not of
# the run, and is not checked.
run() {
    /usr/bin/time -f "%M %U %S" -o "$work/time" \
        "$cli" lookup --ten-registries -q "$@" "$work/names.txt" -o /dev/null >/dev/null 2>&1 || true
    awk '{ printf "%d %.2f\n", $1, $2 + $3 }' "$work/time"
}

# The least peak and the least CPU of three runs.
best() {
    local label=$1
    shift
    local rss= cpu=
    for round in 1 2 3; do
        read -r r c < <(run "${@//ROUND/$round}")
        if [ -z "$rss" ] || [ "$r" -lt "$rss" ]; then rss=$r; fi
        if [ -z "$cpu" ] || awk -v a="$c" -v b="$cpu" 'BEGIN { exit !(a < b) }'; then cpu=$c; fi
    done
    printf '%-16s peak %6.1f MB   CPU %5.2f s\n' "$label" "$(awk -v k="$rss" 'BEGIN { print k / 1024 }')" "$cpu"
}

echo "$count names, best of three"
best "history on" --db "$work/historyROUND.sqlite3"
best "history off" --no-history
stored=$(du -b "$work/history1.sqlite3" | cut -f1)
echo "history file after one run: $((stored / count)) bytes per lookup"
