#!/usr/bin/env bash
# The completion script in bash: what each command line completes to.
set -uo pipefail
source "$1"
status=0
# check "<words>" "<expected replies>": the last word is the one being completed.
check() {
    local expected=$2
    read -r -a COMP_WORDS <<<"$1"
    [[ $1 == *' ' ]] && COMP_WORDS+=("")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$1 COMP_POINT=${#1}
    COMPREPLY=()
    local function
    function=$(complete -p "${COMP_WORDS[0]}" | sed -n 's/.*-F \([^ ]*\) .*/\1/p')
    "$function" 2>/dev/null
    local got="${COMPREPLY[*]}"
    if [ "$got" != "$expected" ]; then
        echo "FAIL: '$1' completes to '$got', expected '$expected'" >&2
        status=1
    fi
}
check 'velmar-reg ' 'query add delete copy export import env'
check 'velmar-reg e' 'export env'
check 'velmar-reg query hkc' 'HKCU\ HKCR\ HKCC\'
check 'velmar-reg add HKEY_L' 'HKEY_LOCAL_MACHINE\'
check 'velmar-reg add HKCU\Software\Demo /t reg_m' 'REG_MULTI_SZ'
check 'velmar-reg delete HKCU\Software\Demo /v' '/v /ve /va'
check 'velmar-reg query HKCU\Software /reg' '/reg:32 /reg:64'
check 'velmar-sc ' 'query start stop create delete'
check 'velmar-sc st' 'start stop'
check 'velmar-sc create Indexer ' 'binPath= start= DisplayName='
check 'velmar-sc create Indexer start= d' 'demand disabled'
exit $status
