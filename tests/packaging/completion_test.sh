#!/bin/bash
# The completion script, sourced in bash, completes the clients' options and
# their own parameter names (case ignored, with "=" and no space after).
# Usage: completion_test.sh COMPLETION_FILE GOLDEN_DIR
# GOLDEN_DIR holds the clients' golden listings (tests/ctl/golden).
set -u
source "$1" || exit 1
golden=$2
failures=0

# complete "WORDS..." "expected replies" (the last word is completed)
check() {
    local line=$1 want=$2
    read -r -a COMP_WORDS <<<"$line"
    [[ $line == *" " ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _vorellctl
    local got="${COMPREPLY[*]}"
    if [[ $got != "$want" ]]; then
        echo "'$line': expected '$want', got '$got'"
        failures=$((failures + 1))
    fi
}

check "vorellctl2 zoomc"        "ZoomCheckBox="
check "vorellctl2 ZoomIn"        "ZoomInComboBox="
check "vorellctl ZoomIn"         "ZoomIn="
check "vorellctl2 MaxTap"        ""
check "vorellctl MaxTap"         "MaxTapTime= MaxTapMove="
check "/usr/bin/vorellctl2 tp_v" "TP_Version="
check "vorellctl2 DragS"         "DragSlider="
check "vorellctl2 --h"           "--help"
check "vorellctl -"              "-m -l -h -V --help --version"
check "vorellctl2 -m "           ""
check "vorellctl2 ZoomSlider=1"  ""
check "vorellctl2 -l Tou"        "TouchpadOff="

# On an empty word a client is offered exactly the parameters it lists.
for client in vorellctl vorellctl2; do
    read -r -a COMP_WORDS <<<"$client"; COMP_WORDS+=(""); COMP_CWORD=1
    _vorellctl
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort)
    want=$(sed -n 's/^    \([A-Za-z0-9_]*\) *= .*/\1=/p' "$golden/$client-defaults.txt" | sort)
    [[ $got == "$want" ]] || { echo "$client: offered names differ from its listing:"; diff <(echo "$want") <(echo "$got"); failures=$((failures + 1)); }
done

# Registered for both programs.
complete -p vorellctl vorellctl2 >/dev/null || { echo "not registered"; failures=$((failures + 1)); }
exit $((failures > 0))
