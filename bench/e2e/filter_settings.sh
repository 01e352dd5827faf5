#!/usr/bin/env bash
# Writes to standard output a settings file with every rule for lines on, for the end-to-end
# benchmark (run.js --zandrel-settings): a block list of 1,000 entries (500 senders, 500 keywords)
# that the flood's lines never match, so that every line is judged against all of it and still
# shown; 50 highlighted senders and keywords; gifts in their own colour; repeats merged.
# "Only gifts and highlights" stays off: it would hide the flood and measure less work, not more.
set -euo pipefail
list() { local prefix=$1 count=$2; for i in $(seq 1 "$count"); do printf '%s%d\\n' "$prefix" "$i"; done; }
cat <<CONF
[rules]
blockedSenders="$(list blocked-viewer- 500)"
blockedKeywords="$(list spam-word- 500)"
highlightedSenders="$(list friend- 50)"
highlightedKeywords="$(list keyword- 50)"
mergeRepeats=1
[look]
giftsStandOut=1
CONF
