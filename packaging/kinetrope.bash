# bash completion for kinetrope. The commands, options and what their values look like are
# read from the program's own help, so that completion follows the program it completes.

# The commands listed under "commands:" in the program's help.
_kinetrope_commands() {
    "$1" --help 2>/dev/null | awk '/^commands:/ { on = 1; next }
                                   on && /^  [a-z]/ { print $1 }
                                   on && /^$/ { exit }'
}

# The first line of the command's help, "usage: kinetrope CMD OPERAND ...", gives the
# operand; each option line "  --name VALUE   text" gives an option and its value.
_kinetrope_help() {
    "$1" "$2" --help 2>/dev/null | awk 'NR == 1 { print "operand", $4; next }
                                        /^options:/ { on = 1; next }
                                        on && /^$/ { exit }
                                        on && /^  -/ { sub(/^  /, ""); sub(/  .*/, "");
                                                       print "option", $1, $2 }'
}

# Adds to COMPREPLY what may stand where VALUE does: "a|b|FILE.wav" is words or files,
# FILE.ext or OUT.ext files with that extension, FILE or TASKS any file, a number like
# 29.97 or 44100:16:2 itself; N, WxH and the like nothing.
_kinetrope_values() {
    local value=$1 cur=$2 choice ext
    local IFS='|'
    for choice in $value; do
        if [[ $choice =~ ^[A-Z]+\.([a-zA-Z0-9]+)$ ]]; then
            ext=${BASH_REMATCH[1]}
            compopt -o filenames 2>/dev/null
            IFS=$'\n'
            COMPREPLY+=($(compgen -d -- "$cur")
                        $(compgen -f -X "!*.${ext,,}" -- "$cur")
                        $(compgen -f -X "!*.${ext^^}" -- "$cur"))
            IFS='|'
        elif [[ $choice == FILE || $choice == TASKS || $choice == *=* ]]; then
            compopt -o filenames 2>/dev/null
            IFS=$'\n'
            COMPREPLY+=($(compgen -f -- "$cur"))
            IFS='|'
        elif [[ $choice =~ ^[a-z0-9][a-z0-9.:]*$ ]]; then
            [[ $choice == "$cur"* ]] && COMPREPLY+=("$choice")
        fi
    done
}

_kinetrope() {
    local program=${COMP_WORDS[0]} cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD-1]} command=${COMP_WORDS[1]}
    COMPREPLY=()
    if ((COMP_CWORD == 1)); then
        COMPREPLY=($(compgen -W "$(_kinetrope_commands "$program") help --help --version" \
                             -- "$cur"))
        return
    fi
    if [[ $command == help ]]; then
        ((COMP_CWORD == 2)) &&
            COMPREPLY=($(compgen -W "$(_kinetrope_commands "$program")" -- "$cur"))
        return
    fi

    local kind name value operand="" options=() values=()
    while read -r kind name value; do
        if [[ $kind == operand ]]; then
            operand=$name
        else
            options+=("$name")
            values+=("$value")
        fi
    done < <(_kinetrope_help "$program" "$command")

    local i
    for i in "${!options[@]}"; do
        if [[ ${options[i]} == "$prev" && -n ${values[i]} ]]; then
            _kinetrope_values "${values[i]}" "$cur"
            return
        fi
    done
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "${options[*]} --help" -- "$cur"))
    elif [[ -n $operand ]]; then
        _kinetrope_values "$operand" "$cur"
    fi
}

complete -F _kinetrope kinetrope
