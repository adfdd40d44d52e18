// The bash completion script, written from the command table: each command's options, which of
// them take a value, and what each argument position takes.
#include "commandhelp.h"

namespace corvane::app
{

namespace
{

// A bash word list: "a b c".
QString wordList(const QStringList &words)
{
    return words.join(u' ');
}

// One argument slot for the script: "project fortran words=jumplist,scope".
QString slotText(const ArgumentSlot &slot)
{
    QStringList kinds;
    if (slot.project)
        kinds << QStringLiteral("project");
    if (slot.fortran)
        kinds << QStringLiteral("fortran");
    if (slot.anyFile)
        kinds << QStringLiteral("any");
    if (!slot.words.isEmpty())
        kinds << QLatin1String("words=") + slot.words.join(u',');
    return kinds.isEmpty() ? QStringLiteral("none") : kinds.join(u' ');
}

QString commandCase(const Command &command)
{
    QStringList options{QStringLiteral("--help")}, valued, fileValued;
    for (const CommandOption &o : command.options) {
        options << QString::fromUtf8(o.flag);
        if (o.value)
            valued << QString::fromUtf8(o.flag);
        if (optionValueIsFile(o))
            fileValued << QString::fromUtf8(o.flag);
    }
    const CommandArguments arguments = commandArguments(command);
    QStringList positions;
    for (const ArgumentSlot &slot : arguments.positions)
        positions << u'"' + slotText(slot) + u'"';
    return QStringLiteral("        %1)\n"
                          "            options=\"%2\" valued=\"%3\" file_valued=\"%4\"\n"
                          "            slots=(%5) repeats=%6 ;;\n")
        .arg(QString::fromUtf8(command.name), wordList(options), wordList(valued),
             wordList(fileValued), positions.join(u' '), arguments.lastRepeats ? "1" : "0");
}

} // namespace

QString bashCompletionScript(const QStringList &fortranExtensions)
{
    QStringList fortranPatterns;
    for (const QString &extension : fortranExtensions)
        fortranPatterns << QStringLiteral("fortran:*.") + extension.toLower();
    fortranPatterns.removeDuplicates();

    QStringList names, globalFlags;
    QString cases;
    for (const Command &c : registeredCommands()) {
        names << QString::fromUtf8(c.name);
        cases += commandCase(c);
    }
    for (const CommandOption &o : globalOptions())
        globalFlags << QString::fromUtf8(o.flag);

    QString script = QStringLiteral(
        R"(# bash completion for corvane                            -*- shell-script -*-
# Written by `corvane completion bash`; load it with
#     source <(corvane completion bash)
# or install it as share/bash-completion/completions/corvane.

# Adds to COMPREPLY the folders and the files of a kind (project, fortran or any) that start
# with the word being completed.
_corvane_files()
{
    local kind=$1 path
    while IFS= read -r path; do
        if [[ -d $path ]]; then
            COMPREPLY+=("$path")
            continue
        fi
        case "$kind:${path,,}" in
            any:*|project:*.corvane|@FORTRAN@) COMPREPLY+=("$path") ;;
        esac
    done < <(compgen -f -- "$cur")
    compopt -o filenames 2>/dev/null
}

_corvane()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD-1]}
    COMPREPLY=()

    # Options of corvane itself come before the command.
    local at=1
    while (( at < COMP_CWORD )) && [[ ${COMP_WORDS[at]} == -* ]]; do
        if [[ ${COMP_WORDS[at]} == --edit ]]; then
            _corvane_files fortran
            return
        fi
        (( at++ ))
    done
    if (( at == COMP_CWORD )); then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "@GLOBAL@" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "@COMMANDS@" -- "$cur"))
            _corvane_files project
        fi
        return
    fi

    local options valued file_valued repeats slots
    case ${COMP_WORDS[at]} in
@CASES@        *)
            _corvane_files project # projects to open in the IDE
            return ;;
    esac

    if [[ " $valued " == *" $prev "* ]]; then
        [[ " $file_valued " == *" $prev "* ]] && _corvane_files any
        return
    fi
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options" -- "$cur"))
        return
    fi

    # The position of the word among the command's arguments, options and their values left out.
    local position=0 i word
    for (( i = at + 1; i < COMP_CWORD; i++ )); do
        word=${COMP_WORDS[i]}
        if [[ " $valued " == *" $word "* ]]; then
            (( i++ ))
        elif [[ $word != -* ]]; then
            (( position++ ))
        fi
    done
    if (( position >= ${#slots[@]} )); then
        (( repeats && ${#slots[@]} > 0 )) || return
        position=$(( ${#slots[@]} - 1 ))
    fi
    local kind
    for kind in ${slots[position]}; do
        case $kind in
            project|fortran|any) _corvane_files "$kind" ;;
            words=*)
                local list=${kind#words=}
                COMPREPLY+=($(compgen -W "${list//,/ }" -- "$cur")) ;;
        esac
    done
}

complete -F _corvane corvane
)");
    script.replace(QLatin1String("@FORTRAN@"), fortranPatterns.join(u'|'));
    script.replace(QLatin1String("@GLOBAL@"), wordList(globalFlags));
    script.replace(QLatin1String("@COMMANDS@"), wordList(names));
    script.replace(QLatin1String("@CASES@"), cases);
    return script;
}

} // namespace corvane::app
