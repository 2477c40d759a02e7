# Bash completion for quillmere-cli: options, their values, and files and folders.
_quillmere_cli()
{
    local current=${COMP_WORDS[COMP_CWORD]}
    local option=${COMP_WORDS[COMP_CWORD-1]}
    local joined=
    # Bash splits "--eol=lf" at the "=": the value follows the option and the "=".
    if [[ $current == "=" ]]; then
        current=
        joined=1
    elif [[ $option == "=" && $COMP_CWORD -ge 2 ]]; then
        option=${COMP_WORDS[COMP_CWORD-2]}
        joined=1
    fi
    case $option in
        -d|--delimiter|-e|--extension|-j|--jobs|--shard)
            return 0
            ;;
        --files-from)
            COMPREPLY=($(compgen -f -- "$current"))
            return 0
            ;;
        -o|--output-dir)
            COMPREPLY=($(compgen -d -- "$current"))
            return 0
            ;;
        --eol)
            COMPREPLY=($(compgen -W "crlf lf" -- "$current"))
            return 0
            ;;
        --error-format)
            COMPREPLY=($(compgen -W "gnu" -- "$current"))
            return 0
            ;;
        --quote)
            if [[ $joined ]]; then
                COMPREPLY=($(compgen -W "all" -- "$current"))
                return 0
            fi
            ;;
    esac
    if [[ $current == -* ]]; then
        COMPREPLY=($(compgen -W "-d --delimiter --tab -o --output-dir --tree -e --extension --stdout
            -j --jobs -n --dry-run -q --quiet -u --update --files-from -0 --shard --quote
            --quote=all --bom --eol --attributes --spreadsheet --error-format --help
            --version" -- "$current"))
        return 0
    fi
    COMPREPLY=($(compgen -f -- "$current"))
}
complete -o filenames -F _quillmere_cli quillmere-cli
