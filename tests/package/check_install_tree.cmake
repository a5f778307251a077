# The install tree holds exactly the expected files and links, each link pointing where it
# should, the header and .def as they are in the sources, and on Windows a DLL stripped of
# its symbol table and debug sections (unless built for Debug).
#   -DPREFIX -DSYSTEM=Linux|Windows -DCONFIG=<lowercase build type> -DVERSION=x.y.z
#   -DBINDIR -DLIBDIR -DINCLUDEDIR -DDOCDIR (relative) -DSOURCE_DIR -DOBJDUMP
string(REGEX MATCH "^[0-9]+" major "${VERSION}")
set(config_dir "${LIBDIR}/cmake/quillpen")
set(expected
    "${INCLUDEDIR}/quillpen.h"
    "${config_dir}/quillpenConfig.cmake"
    "${config_dir}/quillpenConfigVersion.cmake"
    "${config_dir}/quillpenTargets-${CONFIG}.cmake"
    "${config_dir}/quillpenTargets.cmake"
    "${LIBDIR}/pkgconfig/quillpen.pc"
    "${LIBDIR}/quillpen.def"
    "${DOCDIR}/CHANGELOG.md"
    "${DOCDIR}/LICENSE"
    "${DOCDIR}/README.md"
    "${DOCDIR}/docs/api.md"
    "${DOCDIR}/docs/log-format.md")
if(SYSTEM STREQUAL "Windows")
    list(APPEND expected
        "${BINDIR}/quillpen.dll"
        "${LIBDIR}/libquillpen.dll.a"
        "${LIBDIR}/quillpen.lib")
else()
    # The linker name and the soname are links; only the fully versioned name is a file.
    list(APPEND expected
        "${LIBDIR}/libquillpen.so -> libquillpen.so.${major}"
        "${LIBDIR}/libquillpen.so.${major} -> libquillpen.so.${VERSION}"
        "${LIBDIR}/libquillpen.so.${VERSION}")
endif()

file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE "${PREFIX}" "${PREFIX}/*")
set(actual "")
foreach(entry IN LISTS found)
    if(IS_SYMLINK "${PREFIX}/${entry}")
        file(READ_SYMLINK "${PREFIX}/${entry}" target)
        list(APPEND actual "${entry} -> ${target}")
    else()
        list(APPEND actual "${entry}")
    endif()
endforeach()
list(SORT expected)
list(SORT actual)
if(NOT expected STREQUAL actual)
    string(REPLACE ";" "\n  " e "${expected}")
    string(REPLACE ";" "\n  " a "${actual}")
    message(FATAL_ERROR "install tree differs\nexpected:\n  ${e}\nactual:\n  ${a}")
endif()

foreach(pair "include/quillpen.h=${INCLUDEDIR}/quillpen.h" "exports/quillpen.def=${LIBDIR}/quillpen.def"
        "CHANGELOG.md=${DOCDIR}/CHANGELOG.md" "LICENSE=${DOCDIR}/LICENSE"
        "README.md=${DOCDIR}/README.md" "docs/api.md=${DOCDIR}/docs/api.md"
        "docs/log-format.md=${DOCDIR}/docs/log-format.md")
    string(REPLACE "=" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 installed)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files
        "${SOURCE_DIR}/${source}" "${PREFIX}/${installed}" RESULT_VARIABLE differs)
    if(differs)
        message(FATAL_ERROR "${installed} is not a copy of ${source}")
    endif()
endforeach()
# The changelog's newest entry is this version.
file(STRINGS "${PREFIX}/${DOCDIR}/CHANGELOG.md" newest REGEX "^## " LIMIT_COUNT 1)
if(NOT newest STREQUAL "## ${VERSION}")
    message(FATAL_ERROR "the changelog's newest entry is '${newest}', the version ${VERSION}")
endif()
if(SYSTEM STREQUAL "Windows" AND NOT CONFIG STREQUAL "debug")
    set(dll "${PREFIX}/${BINDIR}/quillpen.dll")
    execute_process(COMMAND "${OBJDUMP}" -h -t "${dll}" RESULT_VARIABLE rc OUTPUT_VARIABLE out
        ERROR_VARIABLE out)
    if(NOT rc EQUAL 0 OR NOT out MATCHES "SYMBOL TABLE:\nno symbols\n"
            OR out MATCHES " \\.debug_")
        message(FATAL_ERROR "${dll} is not stripped:\n${out}")
    endif()
endif()
list(LENGTH actual count)
message(STATUS "install tree: ${count} entries as expected")
