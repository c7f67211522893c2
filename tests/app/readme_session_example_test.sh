#!/bin/sh
# Runs README's session with misbehaving installers as written and checks the
# exit statuses it prints and the journal it reads back.
# Usage: readme_session_example_test.sh README PROGRAM
set -eu
readme=$1
program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk '/^## Testing an update manager$/ { section = 1 }
     section && /^```sh$/ { inside = 1; next }
     inside && /^```$/ { exit }
     inside' "$readme" >"$work/example.sh"
grep -q 'json.tool' "$work/example.sh" || { echo "README's session reads no journal"; exit 1; }
# The installed name becomes the program under test.
sed -e 's|stubsetup -quiet|"$STUBSETUP" -quiet|' "$work/example.sh" >"$work/run.sh"

out=$(cd "$work" && HOME="$work" TMPDIR="$work" STUBSETUP=$program sh run.sh 2>/dev/null)
statuses=$(printf '%s\n' "$out" | grep 'exit status' | grep -v '^Crashing')
expected="Good: exit status 0
Silent: exit status 0
Broken: exit status 0
Broken: exit status 4
Stuck: exit status 143"
outcomes=$(printf '%s\n' "$out" | grep '"outcome"' | tr -d ' ,')
expected_outcomes='"outcome":"confirmed"
"outcome":"noreport"
"outcome":"badreport"
"outcome":"crash"
"outcome":"failed"
"outcome":"hang"'
if [ "$statuses" != "$expected" ] || [ "$outcomes" != "$expected_outcomes" ]; then
    printf 'expected:\n%s\n%s\ngot:\n%s\n' "$expected" "$expected_outcomes" "$out"
    exit 1
fi
# A crash ends with a nonzero status, whatever a sanitizer build makes of it.
printf '%s\n' "$out" | grep -q '^Crashing: exit status [1-9]' || {
    printf 'no crash in:\n%s\n' "$out"
    exit 1
}
