#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts Zundelfeld in the player's data folder: the game keeps its best times and
# settings in zundrec.dat in the folder it runs in, so that folder is always the same.
# The install writes the program's path below; ZUNDELFELD_PROGRAMM names another
# build of it (tools/play.sh starts the one from the source tree this way).
programm=${ZUNDELFELD_PROGRAMM:-@ZUNDEL_PROGRAMM@}

# XDG_DATA_HOME counts only as an absolute path; otherwise the default applies.
case ${XDG_DATA_HOME-} in
/*) daten=$XDG_DATA_HOME/zundelfeld ;;
*)
    if [ -z "${HOME-}" ]; then
        echo "zundelfeld: HOME is not set, so there is no data folder for the best times." >&2
        exit 1
    fi
    daten=$HOME/.local/share/zundelfeld
    ;;
esac

if ! grund=$(mkdir -p -- "$daten" 2>&1); then
    # mkdir names the path itself; keep only its reason after the last ": ".
    echo "zundelfeld: cannot create the data folder $daten: ${grund##*: }" >&2
    exit 1
fi
cd -- "$daten" || exit 1
exec "$programm"
