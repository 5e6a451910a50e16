#!/bin/sh
# Stands in for the ephemeris engine in the runner tests. It records how it was started (its
# working directory, arguments, standard input and one inherited variable) in
# engine-record.txt, keeps a copy of the job file as engine-input.txt, then ends as
# FAKE_ENGINE_MODE says: a number is the exit code (with FAKE_ENGINE_SAYS on standard error
# first, when set), "hang" never ends by itself, "hang-with-child" starts a child of its own
# (its process id in child.pid) and then never ends either, "crash" dies of a signal.
{
    printf 'cwd=%s\n' "$(pwd -P)"
    printf 'argc=%s\n' "$#"
    for arg in "$@"; do
        printf 'arg=%s\n' "$arg"
    done
    if IFS= read -r _; then
        printf 'stdin=data\n'
    else
        printf 'stdin=eof\n'
    fi
    printf 'mark=%s\n' "${FAKE_ENGINE_MARK:-}"
} > engine-record.txt
if [ -f input.txt ]; then
    cp input.txt engine-input.txt
fi
case "${FAKE_ENGINE_MODE:-0}" in
hang) exec sleep 30 ;;
hang-with-child)
    sleep 30 &
    echo $! > child.pid
    exec sleep 30
    ;;
crash) kill -SEGV $$ ;;
*)
    if [ -n "${FAKE_ENGINE_SAYS:-}" ]; then
        echo "$FAKE_ENGINE_SAYS" >&2
    fi
    exit "${FAKE_ENGINE_MODE:-0}"
    ;;
esac
