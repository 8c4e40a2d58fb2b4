# bash completion for pellimar-cli                             -*- shell-script -*-
#
# One table per command below: its options, the options that take a value, and
# the values of the options that name a choice. A new option is one word in a table.

_pellimar_cli_commands="list draw save extract"

_pellimar_cli() {
    local cur prev words cword
    _init_completion -s || return

    # The command is the program's first argument.
    local command=""
    ((cword > 1)) && command=${words[1]}

    local options="" valued="" formats=""
    case $command in
        "")
            if [[ $cur == -* ]]; then
                mapfile -t COMPREPLY < <(compgen -W "--help --version -h -V" -- "$cur")
            else
                mapfile -t COMPREPLY < <(compgen -W "$_pellimar_cli_commands" -- "$cur")
            fi
            return
            ;;
        list)
            options="--json -j --help -h"
            ;;
        draw)
            options="--help -h"
            ;;
        save)
            options="--format -f --sizes -s --out -o --id --name --lang --help -h"
            valued="--format|-f|--sizes|-s|--out|-o|--id|--name|--lang"
            formats="ico bmp jpg png original"
            ;;
        extract)
            options="--out -o --format -f --size -s --recursive -r --any-file --id --name --lang --all-languages --json -j --summary --theme --app-name --index --help -h"
            valued="--out|-o|--format|-f|--size|-s|--id|--name|--lang|--theme|--app-name|--index"
            formats="ico cur png bmp jpg"
            ;;
        *)
            return
            ;;
    esac

    if [[ -n $valued && $prev == @($valued) ]]; then
        case $prev in
            --format | -f)
                mapfile -t COMPREPLY < <(compgen -W "$formats" -- "$cur")
                ;;
            --sizes)
                mapfile -t COMPREPLY < <(compgen -W "128 64 48 32 16 32,16" -- "$cur")
                ;;
            -s)
                if [[ $command == save ]]; then
                    mapfile -t COMPREPLY < <(compgen -W "128 64 48 32 16 32,16" -- "$cur")
                else
                    mapfile -t COMPREPLY < <(compgen -W "16 24 32 48 64 128 256" -- "$cur")
                fi
                ;;
            --size)
                mapfile -t COMPREPLY < <(compgen -W "16 24 32 48 64 128 256" -- "$cur")
                ;;
            --theme)
                _filedir -d
                ;;
            --out | -o)
                if [[ $command == extract ]]; then
                    _filedir -d
                else
                    _filedir
                fi
                ;;
        esac
        return
    fi

    if [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        return
    fi
    _filedir
} &&
    complete -F _pellimar_cli pellimar-cli

# ex: filetype=sh
