#!/bin/sh
# veltranix: starts the installed program. Like an installer, it first
# records the program's folder in the user's settings (an unchanged folder is
# not written again), so that starting at log-on runs this installation.
folder=$(dirname "$(readlink -f "$0")")/../lib/veltranix
folder=$(readlink -f "$folder")
case "${1:-}" in
--version | --help | -h | --list-cameras) ;;
*) "$folder/veltranix-store" record-install-folder "$folder" >/dev/null 2>&1 || true ;;
esac
exec "$folder/veltranix" "$@"
