# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# write_if_changed(FILE TEXT): writes TEXT to FILE unless it holds it already, so that an
# unchanged build does not compile again what a script generates.
function(write_if_changed datei text)
    if(EXISTS "${datei}")
        file(READ "${datei}" alt)
        if(alt STREQUAL text)
            return()
        endif()
    endif()
    file(WRITE "${datei}" "${text}")
endfunction()
