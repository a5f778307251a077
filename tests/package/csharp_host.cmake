# csharp_host.cs and the C# declarations built by mcs, run by Mono with the library just built.
# Skipped without mcs or mono, unless QUILLPEN_CSHARP_REQUIRED is set.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)
find_program(mcs mcs)
find_program(mono mono)
if((NOT mcs OR NOT mono) AND NOT "$ENV{QUILLPEN_CSHARP_REQUIRED}")
    message("C# host skipped: mcs or mono not found")
    return()
endif()
set(host "${CMAKE_CURRENT_BINARY_DIR}/csharp")
file(REMOVE_RECURSE "${host}")
run("${mcs}" -warnaserror "-out:${host}.exe" "${PROJECT_SOURCE_DIR}/examples/csharp/Quillpen.cs"
    "${CMAKE_CURRENT_LIST_DIR}/csharp_host.cs")
get_filename_component(library_dir "${QUILLPEN_LIB}" DIRECTORY)
execute_process(COMMAND "${CMAKE_COMMAND}" -E env LD_LIBRARY_PATH=${library_dir} "${mono}"
    "${host}.exe" "${host}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE boxes)
if(NOT rc EQUAL 0 OR NOT boxes STREQUAL "title: text\nquestion: 日本語\n")
    message(FATAL_ERROR "the C# host failed (${rc}):\n${out}boxes: ${boxes}")
endif()
message(STATUS "${out}")
