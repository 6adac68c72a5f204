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
    calendar) echo "-f --file --from-history -o --output --warn-days --encoding --prefer-rdap --ten-registries
                    --jobs --endpoint --rdap-endpoint --connect-timeout --timeout --db -q --quiet --no-history
                    -h --help" ;;
    parse) echo "--server --domain --json -h --help" ;;
    report) echo "--warn-days --state -h --help" ;;
    watch) echo "--config --warn-days --notify --always --tell --attach-calendar --smtp --smtp-user --smtp-password-file --smtp-from
                 --webhook-format --notify-timeout --install-timer --timer-name --remove-timer --list-timers
                 -q --quiet --encoding --prefer-rdap --ten-registries --jobs --endpoint --rdap-endpoint
                 --connect-timeout --timeout --db -h --help" ;;
    serve-samples) echo "--port --replies -h --help" ;;
    history) echo "--raw --since --changes -j --jsonl --db -h --help" ;;
    runs) echo "--limit -j --jsonl --db -h --help" ;;
    prune) echo "--keep-days -j --jsonl --db -h --help" ;;
    servers) echo "--ten-registries -j --jsonl -h --help" ;;
    update-data) echo "--url -h --help" ;;
    esac
}

_zonedesk_cli()
{
    local commands="lookup import export calendar parse report watch serve-samples history runs prune servers update-data help"
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
    -o | --output | -f | --file | --db | --config | --smtp-password-file)
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
    --notify)
        mapfile -t COMPREPLY < <(compgen -W "desktop mailto: https:// -" -- "$cur")
        return
        ;;
    --tell)
        mapfile -t COMPREPLY < <(compgen -W "security at-risk dropped near-expiry expiry-moved-back registrar-changed
            owner-changed failing-again transfer-lock-lifted transfer-lock-set name-servers-changed dnssec-off dnssec-on
            put-on-hold hold-released entered-redemption left-redemption" -- "$cur")
        return
        ;;
    --state)
        mapfile -t COMPREPLY < <(compgen -W "unlocked hold redemption pending-delete inactive unsigned" -- "$cur")
        return
        ;;
    --webhook-format)
        mapfile -t COMPREPLY < <(compgen -W "json slack ntfy" -- "$cur")
        return
        ;;
    --install-timer)
        mapfile -t COMPREPLY < <(compgen -W "daily weekly" -- "$cur")
        return
        ;;
    --remove-timer)
        mapfile -t COMPREPLY < <(compgen -W "$(zonedesk-cli watch --list-timers 2>/dev/null | cut -f1)" -- "$cur")
        return
        ;;
    --replies)
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
        return
        ;;
    --warn-days | --connect-timeout | --timeout | --port | --server | --endpoint | --rdap-endpoint | \
        --since | --limit | --keep-days | --url | --smtp | --smtp-user | --smtp-from | --notify-timeout | \
        --timer-name)
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
