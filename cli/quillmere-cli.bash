# Bash completion for quillmere-cli: options, their values, and files and folders.
_quillmere_cli()
{
    local current=${COMP_WORDS[COMP_CWORD]}
    local previous=${COMP_WORDS[COMP_CWORD-1]}
    case $previous in
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
    esac
    if [[ $current == -* ]]; then
        COMPREPLY=($(compgen -W "-d --delimiter --tab -o --output-dir --tree -e --extension --stdout
            -j --jobs -n --dry-run -q --quiet -u --update --files-from -0 --shard --quote
            --quote=all --bom
            --eol --attributes --error-format --help --version" -- "$current"))
        return 0
    fi
    COMPREPLY=($(compgen -f -- "$current"))
}
complete -o filenames -F _quillmere_cli quillmere-cli
