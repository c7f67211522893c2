#!/bin/sh
# Runs README's shell example as written, with a message that a line-based
# reader would get wrong, and checks what it prints.
# Usage: readme_shell_example_test.sh README PROGRAM
set -eu
readme=$1
program=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

awk '/^## Playing the update manager in a shell script$/ { section = 1 }
     section && /^```sh$/ { inside = 1; next }
     inside && /^```$/ { exit }
     inside' "$readme" >"$work/example.sh"
grep -q 'xmllint' "$work/example.sh" || { echo "README's example reads no report"; exit 1; }
# The installed name becomes the program under test; the message becomes ours.
sed -e "s|^stubsetup |\"\$STUBSETUP\" |" -e 's|-message "Reboot first"|-message "$MESSAGE"|' \
    "$work/example.sh" >"$work/run.sh"

message='Tom & "Jerry" <'"'"'s>
second line: café'
out=$(cd "$work" && HOME="$work" LC_ALL=C.UTF-8 STUBSETUP=$program MESSAGE=$message sh run.sh)
expected="exit status: 0
return code: 3
message: $message
Corvane Updater 4.0!"
if [ "$out" != "$expected" ]; then
    printf 'expected:\n%s\ngot:\n%s\n' "$expected" "$out"
    exit 1
fi
