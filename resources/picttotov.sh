#!/bin/sh
# picttotov as installed: runs the filter in libexec/ with QZHOME naming this
# installation, so that it finds its message file and default pictfonts.cfg
# there. A QZHOME the user set is left as it is. The installation is the
# folder above the one this script is in, found through symbolic links.
self=$0
while [ -L "$self" ]; do
  link=$(readlink "$self") || break
  case $link in
    /*) self=$link ;;
    *) self=$(dirname "$self")/$link ;;
  esac
done
prefix=$(CDPATH='' cd -- "$(dirname "$self")/.." && pwd -P) || exit 1
if [ -z "${QZHOME+set}" ]; then
  QZHOME=$prefix
  export QZHOME
fi
exec "$prefix/libexec/picttotov" "$@"
