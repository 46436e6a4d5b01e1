# SPDX-FileCopyrightText: 2026 The Zundelfeld developers
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes a C++ source that defines `std::string_view NAME()` returning the bytes of INPUT,
# so that a program serves the file from memory wherever it runs.
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DNAME=<function> -DNAMESPACE=<ns> -P EmbedFile.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" laenge)
math(EXPR bytes "${laenge} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" hex "${hex}")
set(quelle "// Generated from ${INPUT} at build time. Do not edit.\n#include <string_view>\n\n")
string(APPEND quelle "namespace ${NAMESPACE} {\n\nnamespace {\nconst unsigned char bytes[] = {\n${hex}\n};\n}\n\n")
string(APPEND quelle "std::string_view ${NAME}() { return {reinterpret_cast<const char*>(bytes), ${bytes}}; }\n\n} // namespace ${NAMESPACE}\n")
include(${CMAKE_CURRENT_LIST_DIR}/WriteIfChanged.cmake)
write_if_changed("${OUTPUT}" "${quelle}")
