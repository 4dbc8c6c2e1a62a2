#!/bin/bash
# A child's block in the word course: a key every 2 s (15 kana a minute in
# romaji, about two keys a kana) for two minutes, through a real X server,
# counting the wake-ups (voluntary context switches of every thread) while
# it types, and over 10 s on the drill with no key.
#
#   bash bench/child_block_wakeups.sh <build>      (needs Xvfb and xdotool)
set -u
build=${1:?usage: child_block_wakeups.sh <build>}
work=$(mktemp -d)
trap 'kill $kotoba $xvfb 2>/dev/null; rm -rf "$work"' EXIT
cp -r "$build/tree/." "$work/"
mkdir -p "$work/M0/data" "$work/M0/lessons"
for i in 1 2; do
  printf '去年\tきょねん\n風\tかぜ\n本\tほん\n石\tいし\n学校\tがっこう\n'
done > "$work/M0/lessons/child.txt"
export DISPLAY=:87 XDG_CONFIG_HOME=$work/config
Xvfb :87 -screen 0 1280x1024x24 >/dev/null 2>&1 &
xvfb=$!
sleep 1
cd "$work"
./M1/Kotoba --lesson M0/lessons/child.txt &
kotoba=$!
sleep 3
xdotool key x  # past the start screen
sleep 1
wakeups() { cat /proc/$kotoba/task/*/status | awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}'; }
before=$(wakeups)
keys=0
for k in k y o n e n k a z e h o n n i s i g a k k o u k y o n e n k a z e h o n n i s i g a k k o; do
  xdotool key "$k"
  keys=$((keys + 1))
  sleep 2
done
typing=$(($(wakeups) - before))
before=$(wakeups)
sleep 10
idle=$(($(wakeups) - before))
echo "$keys keys over $((keys * 2)) s: $typing wake-ups ($(awk "BEGIN {printf \"%.1f\", $typing / $keys}") a key); 10 s on the drill with no key: $idle"
