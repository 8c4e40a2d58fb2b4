#!/usr/bin/env bash
# Checks pellimar-cli's shell completion against the program itself: for each
# command its `--help` lists, bash and fish offer exactly the options that help
# names (in its option lines and its usage) and, after --format, the formats of
# its usage line; zsh's file names the
# same options. A new option the completion misses fails here.
#   completion_check.sh PELLIMAR_CLI COMPLETION_FOLDER
set -euo pipefail
cli=$1
folder=$2
status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}

# What bash offers for the words given, the last being the word completed.
bash_offers() {
    bash --norc --noprofile -c '
        source /usr/share/bash-completion/bash_completion
        source "$1"; shift
        COMP_WORDS=(pellimar-cli "$@")
        COMP_CWORD=$#
        COMP_LINE="pellimar-cli $*"
        COMP_POINT=${#COMP_LINE}
        _pellimar_cli pellimar-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
        printf "%s\n" "${COMPREPLY[@]}"' _ "$folder/pellimar-cli.bash" "$@" | sort -u
}
# What fish offers for a command line (without the program's name).
fish_offers() {
    fish --no-config -c "source $folder/pellimar-cli.fish; complete -C 'pellimar-cli $1'" |
        cut -f1 | sort -u
}
words() { tr ' ' '\n' | sed '/^$/d' | sort -u; }
same() {  # what, expected, offered
    if [ "$2" != "$3" ]; then fail "$1: expected [$(echo $2)], offered [$(echo $3)]"; fi
}

commands=$("$cli" --help | sed -n '/^Commands:/,/^$/p' | awk 'NR > 1 && NF {print $1}' | sort -u)
[ -n "$commands" ] || fail "pellimar-cli --help lists no command"
same "bash: commands" "$commands" "$(bash_offers '')"
same "fish: commands" "$commands" "$(fish_offers '' | grep -v '^-')"
same "bash: the program's options" "$(echo --help --version -h -V | words)" "$(bash_offers -)"

zsh -n "$folder/_pellimar-cli" || fail "zsh cannot read _pellimar-cli"
for command in $commands; do
    help=$("$cli" "$command" --help)
    # The options of its option lines ("  -o, --out DIR", "      --id N"), and
    # those its usage names in prose only (up to the first empty line).
    options=$({ grep -oE '^ +(-[a-zA-Z], )?--[a-z-]+' <<<"$help" | tr -d ','
                sed '/^$/q' <<<"$help" | grep -oE -- '--[a-z][a-z-]*' || true; } | words)
    same "bash: options of $command" "$options" "$(bash_offers "$command" -)"
    same "fish: options of $command" "$options" "$(fish_offers "$command -")"
    for option in $(grep -oE -- '--[a-z-]+' <<<"$options"); do
        grep -q -- "$option" "$folder/_pellimar-cli" || fail "zsh: $command has no $option"
    done
    formats=$(grep -oE -- '--format [a-z|]+' <<<"$help" | head -1 | cut -d' ' -f2 | tr '|' ' ' |
              words || true)
    if [ -n "$formats" ]; then
        same "bash: formats of $command" "$formats" "$(bash_offers "$command" --format '')"
        same "bash: formats of $command after -f" "$formats" "$(bash_offers "$command" -f '')"
        same "fish: formats of $command" "$formats" "$(fish_offers "$command --format ")"
    fi
done
# A word begun is completed, and values of --format=... too.
same "bash: ex" "extract" "$(bash_offers ex)"
same "bash: --format=p" "png" "$(bash_offers extract --format=p)"
exit $status
