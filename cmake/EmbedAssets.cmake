# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a C++ source holding the bytes of every file in ASSET_DIR/*.bmp and *.png,
# so the program carries its pictures wherever it runs.
#   cmake -DASSET_DIR=<dir> -DOUTPUT=<file.cpp> -P EmbedAssets.cmake
file(GLOB dateien LIST_DIRECTORIES false "${ASSET_DIR}/*.bmp" "${ASSET_DIR}/*.png")
list(SORT dateien)

set(quelle "// Generated from the files in assets/ at build time. Do not edit.\n")
string(APPEND quelle "#include \"eingebettet.h\"\n\nnamespace {\n")
set(tabelle "")
set(n 0)
foreach(datei IN LISTS dateien)
    get_filename_component(name "${datei}" NAME)
    file(READ "${datei}" hex HEX)
    string(LENGTH "${hex}" laenge)
    math(EXPR bytes "${laenge} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
    # break the long line every 16 bytes so compilers and editors stay happy
    string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" hex "${hex}")
    string(APPEND quelle "const uint8_t datei${n}[] = {\n${hex}\n};\n")
    string(APPEND tabelle "    {\"${name}\", {datei${n}, ${bytes}}},\n")
    math(EXPR n "${n} + 1")
endforeach()
string(APPEND quelle "} // namespace\n\n")
string(APPEND quelle "const TEingebetteteDatei eingebetteteDateien[] = {\n${tabelle}    {nullptr, {}},\n};\n")

include(${CMAKE_CURRENT_LIST_DIR}/WriteIfChanged.cmake)
write_if_changed("${OUTPUT}" "${quelle}")
