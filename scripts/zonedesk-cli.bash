# SPDX-License-Identifier: MIT
# Bash completion for zonedesk-cli: commands, each command's options, their fixed values and
# file names. Load it with `. build/default/zonedesk-cli.bash`, or copy it to
# ~/.local/share/bash-completion/completions/zonedesk-cli.

_zonedesk_cli_options()
{
    case $1 in
    lookup) echo "-f --file -o --output -j --jsonl --format --header --encoding --prefer-rdap
                  --ten-registries --jobs --endpoint --rdap-endpoint --warn-days --connect-timeout --timeout -q --quiet --db --no-history
                  --changes -h --help" ;;
    import) echo "-f --file --encoding -q --quiet -h --help" ;;
    export) echo "-f --file -o --output --encoding -q --quiet -h --help" ;;
    parse) echo "--server --domain --json -h --help" ;;
    report) echo "--warn-days -h --help" ;;
    serve-samples) echo "--port -h --help" ;;
    history) echo "--raw --since --changes -j --jsonl --db -h --help" ;;
    runs) echo "--limit -j --jsonl --db -h --help" ;;
    prune) echo "--keep-days -j --jsonl --db -h --help" ;;
    servers) echo "--ten-registries -j --jsonl -h --help" ;;
    update-data) echo "--url -h --help" ;;
    esac
}

_zonedesk_cli()
{
    local commands="lookup import export parse report serve-samples history runs prune servers update-data help"
    local cur=${COMP_WORDS[COMP_CWORD]}
    local prev=${COMP_WORDS[COMP_CWORD - 1]}
    COMPREPLY=()
    if [ "$COMP_CWORD" -eq 1 ]; then
        mapfile -t COMPREPLY < <(compgen -W "$commands -h --help --version" -- "$cur")
        return
    fi
    local command=${COMP_WORDS[1]}
    if [ "$command" = lookup ] && { [ "$prev" = -j ] || [ "$prev" = --jsonl ]; }; then
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
    fi
    case $prev in
    -o | --output | -f | --file | --db)
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        return
        ;;
    --encoding)
        mapfile -t COMPREPLY < <(compgen -W "gbk utf-8" -- "$cur")
        return
        ;;
    --format)
        mapfile -t COMPREPLY < <(compgen -W "tsv csv jsonl" -- "$cur")
        return
        ;;
    --warn-days | --connect-timeout | --timeout | --port | --server | --endpoint | --rdap-endpoint | \
        --since | --limit | --keep-days | --url)
        return
        ;;
    esac
    if [ "$command" = help ]; then
        mapfile -t COMPREPLY < <(compgen -W "$commands" -- "$cur")
    elif [[ $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W "$(_zonedesk_cli_options "$command")" -- "$cur")
    else
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
}

complete -o filenames -F _zonedesk_cli zonedesk-cli
