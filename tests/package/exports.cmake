# The library exports exactly the .def file's names (a DLL imports only system DLLs); the C#
# declarations import them under their own names, the variadic ones also Cdecl with __arglist.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)
include(${PROJECT_SOURCE_DIR}/cmake/exports.cmake)
quillpen_read_exports("${QUILLPEN_DEF}" expected)
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    run("${CMAKE_OBJDUMP}" -p "${QUILLPEN_LIB}")
    string(REGEX MATCHALL "\t\\[ *[0-9]+\\] [A-Za-z_][A-Za-z0-9_]*\n" names "${out}")  # by name
    list(TRANSFORM names REPLACE "^\t\\[ *[0-9]+\\] (.*)\n$" "\\1")
    string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${out}")
    list(TRANSFORM imports TOUPPER)
    list(FILTER imports EXCLUDE REGEX "^DLL NAME: (KERNEL32|USER32|MSVCRT)\\.DLL$")
else()  # code and data symbols; the dynamic section's own markers (A) are not exports
    run(nm -D --defined-only "${QUILLPEN_LIB}")
    string(REGEX MATCHALL "[0-9a-f]+ [TtDdBbRrVvWwi] [^\n]+" names "${out}")
    list(TRANSFORM names REPLACE "^[0-9a-f]+ . " "")
endif()
expect_same("the library's exports and the .def file's names" "${expected}" "${names}")
expect_same("the system DLLs and all DLLs imported" "" "${imports}")

file(READ "${PROJECT_SOURCE_DIR}/examples/csharp/Quillpen.cs" cs)
string(REPLACE "]" "" cs "${cs}")  # a bracket would change how CMake splits the lists below
string(REGEX MATCHALL "EntryPoint = \"[A-Za-z0-9_]+\"" entries "${cs}")
string(REGEX MATCHALL "static extern [A-Za-z]+ [A-Za-z0-9_]+\\(" methods "${cs}")
list(TRANSFORM entries REPLACE "EntryPoint = \"(.+)\"" "\\1")
list(TRANSFORM methods REPLACE ".* (.+)\\(" "\\1")
if(NOT entries STREQUAL methods)  # each attribute, in order, and the method it applies to
    message(FATAL_ERROR "C# entry points ${entries}\n  and their methods ${methods}")
endif()
list(REMOVE_DUPLICATES entries)
expect_same("the C# entry points and the .def file's names" "${expected}" "${entries}")
string(REGEX MATCHALL "Cdecl\\)\n +public static extern void [a-z_]+\\(string format, __arglist"
    cs_variadic "${cs}")
file(READ "${PROJECT_SOURCE_DIR}/include/quillpen.h" header)
string(REGEX MATCHALL "QP_API void [a-z_]+\\(const qp_wchar\\* format, \\.\\.\\.\\)" variadic
    "${header}")
list(TRANSFORM cs_variadic REPLACE ".* ([a-z_]+)\\(.*" "\\1")
list(TRANSFORM variadic REPLACE "QP_API void ([a-z_]+)\\(.*" "\\1")
expect_same("the header's variadic functions and C#'s __arglist forms" "${variadic}"
    "${cs_variadic}")
