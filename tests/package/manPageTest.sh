#!/bin/sh
# The manual pages keep up with the programs: every option that nexalo-cli --help, each
# command's --help and nexalo-sim --help print, and every command that nexalo-cli --help lists,
# is described in the program's manual page. groff reads every page without a warning.
#
#   manPageTest.sh MAN_FOLDER NEXALO_CLI NEXALO_SIM
set -eu
man=$1 cli=$2 sim=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
missing=0

# The page's text with roff's escapes for hyphens and fonts taken out.
plain() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\&//g' "$man/$1"; }

# Options are --words; "--help" itself is documented with the synopsis.
options() { grep -o -- '--[a-z][a-z0-9-]*' | sort -u; }

expect() { # PAGE TEXT WHERE
    if ! grep -q -- "$2" "$work/$1"; then
        echo "$1: $2 ($3) is not described"
        missing=1
    fi
}

plain nexalo-cli.1 >"$work/nexalo-cli.1"
plain nexalo-sim.1 >"$work/nexalo-sim.1"

"$cli" --help >"$work/cli-help"
for option in $(options <"$work/cli-help"); do expect nexalo-cli.1 "$option" "nexalo-cli --help"; done
# Commands are the lines under the "commands" heading that start with two blanks and a word.
commands=$(sed -n '/^[A-Za-z ]*[Cc][Oo][Mm][Mm][Aa][Nn][Dd][Ss]:/,$p' "$work/cli-help" |
    sed -n 's/^  \([a-z][a-z0-9-]*\)\( .*\)\{0,1\}$/\1/p')
[ -n "$commands" ] || { echo "no commands found in nexalo-cli --help"; exit 1; }
for command in $commands; do
    expect nexalo-cli.1 "^\.B $command" "a command of nexalo-cli --help"
    "$cli" "$command" --help >"$work/cmd-help"
    for option in $(options <"$work/cmd-help"); do
        expect nexalo-cli.1 "$option" "nexalo-cli $command --help"
    done
done

"$sim" --help >"$work/sim-help"
for option in $(options <"$work/sim-help"); do expect nexalo-sim.1 "$option" "nexalo-sim --help"; done

for page in "$man"/*.1; do
    if groff -man -ww -z "$page" 2>&1 | grep .; then
        echo "$(basename "$page"): groff warns"
        missing=1
    fi
done

[ "$missing" -eq 0 ] && echo "manual pages match --help"
exit "$missing"
