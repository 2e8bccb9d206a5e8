#!/bin/sh
# Runs COMMAND as on a desktop without Qt: the system's Qt and ICU libraries
# are made unreadable, so that nothing can load them unseen. Needs a mount
# namespace of its own:   unshare --mount bench/without_system_qt.sh COMMAND...
for library in /usr/lib/x86_64-linux-gnu/libQt6*.so* /usr/lib/x86_64-linux-gnu/libicu*.so*; do
    mount --bind /dev/null "$library" || exit 1
done
exec "$@"
