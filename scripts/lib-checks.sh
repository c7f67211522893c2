# shellcheck shell=bash
# Helpers of the check scripts, sourced from the repository root.
# shellcheck disable=SC2034 # the variables are for the scripts that source this

# The Debian packages one build makes.
package_names=(stubsetup libinstallerlib1 libinstallerlib-dev)

# Says what failed and ends the script.
fail() {
    echo "$(basename "$0"): $*" >&2
    exit 1
}

# Runs a command and says how long it took, so that CI time stays in view:
# stage NAME COMMAND...
stage() {
    local name=$1 start=$SECONDS
    shift
    "$@"
    echo "$(basename "$0"): $name took $((SECONDS - start)) s"
}

# Builds for the Debian layout (prefix /usr, libraries in lib/<triplet>) and
# makes the Debian packages by README's own recipe, so that the recipe is
# the one that is checked: build_packages BUILD_DIR PACKAGE_DIR
build_packages() {
    local recipe
    recipe=$(awk '/^<!-- package recipe -->$/ { getline; inside = 1; next }
                  inside && /^```$/ { exit } inside' README.md)
    [ -n "$recipe" ] || fail "README.md has no package recipe"
    recipe=${recipe//build-deb\/packages/$2}
    recipe=${recipe//build-deb/$1}
    (set -e; eval "$recipe") >/dev/null || fail "README's package recipe failed in $1"
}

# The path of a package's file: package_file PACKAGE_DIR NAME
package_file() {
    local file
    file=$(find "$1" -maxdepth 1 -name "$2_*.deb")
    [ -n "$file" ] || fail "cpack made no package $2 in $1"
    echo "$file"
}

# The installer report a run with a return code and a message writes.
expected_report() {
    printf '%s\n' '<?xml version="1.0" encoding="UTF-8" ?>' '<InstallerResult>' \
        "<ReturnCode>$1</ReturnCode>" "<UserMessage>$2</UserMessage>" '</InstallerResult>'
}

# Writes the README's C example to a file.
write_c_example() {
    awk '/^```c$/ { inside = 1; next } /^```$/ { inside = 0 } inside' README.md >"$1"
    [ -s "$1" ] || fail "README.md has no C example"
}

# The example is built as strict C.
c_example_flags=(-std=c11 -Wall -Wextra -Werror -pedantic)
