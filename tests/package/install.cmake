# `cmake --install` into a fresh QUILLPEN_STAGE gives exactly the expected files, the
# changelog's newest entry this version; on Windows also the DLL stripped (but for Debug), its
# version resource, and the release archive of this tree.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)
set(prefix "${QUILLPEN_STAGE}")
set(version "${PROJECT_VERSION}")
set(lib "${CMAKE_INSTALL_LIBDIR}")
set(doc "${CMAKE_INSTALL_DOCDIR}")
set(cfg "${lib}/cmake/quillpen/quillpen")
set(dll "${CMAKE_INSTALL_BINDIR}/quillpen.dll")
file(REMOVE_RECURSE "${prefix}")
run("${CMAKE_COMMAND}" --install "${CMAKE_BINARY_DIR}" --prefix "${prefix}")

set(expected ${CMAKE_INSTALL_INCLUDEDIR}/quillpen.h ${lib}/quillpen.def ${lib}/pkgconfig/quillpen.pc
    ${cfg}Config.cmake ${cfg}ConfigVersion.cmake ${cfg}Targets.cmake
    ${cfg}Targets-${QUILLPEN_CONFIG}.cmake ${doc}/CHANGELOG.md ${doc}/LICENSE ${doc}/README.md
    ${doc}/docs/api.md ${doc}/docs/log-format.md)
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    list(APPEND expected ${dll} ${lib}/libquillpen.dll.a ${lib}/quillpen.lib)
else()  # the linker name and the soname, which the consumers use
    string(REGEX MATCH "^[0-9]+" major "${version}")
    list(APPEND expected ${lib}/libquillpen.so ${lib}/libquillpen.so.${major}
        ${lib}/libquillpen.so.${version})
endif()
file(GLOB_RECURSE found LIST_DIRECTORIES false RELATIVE "${prefix}" "${prefix}/*")
expect_same("the files installed" "${expected}" "${found}")
file(STRINGS "${prefix}/${doc}/CHANGELOG.md" newest REGEX "^## " LIMIT_COUNT 1)
if(NOT newest STREQUAL "## ${version}")
    message(FATAL_ERROR "the changelog's newest entry is '${newest}', the version ${version}")
endif()
if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows")
    return()
endif()

run("${CMAKE_OBJDUMP}" -h -t "${prefix}/${dll}")
if(NOT QUILLPEN_CONFIG STREQUAL "debug" AND (out MATCHES " \\.debug_" OR NOT out MATCHES
        "SYMBOL TABLE:\nno symbols\n"))
    message(FATAL_ERROR "quillpen.dll is not stripped:\n${out}")
endif()
run("${CMAKE_RC_COMPILER}" -i "${prefix}/${dll}" -O rc)
string(REPLACE "." ", " numeric "${version}")
if(NOT out MATCHES "VERSIONINFO\n FILEVERSION ${numeric}, 0\n PRODUCTVERSION ${numeric}, 0\n.*\
 FILETYPE 0x2\n.*\"FileVersion\", \"${version}\"\n.*\"OriginalFilename\", \"quillpen.dll\"\n\
.*\"ProductName\", \"quillpen\"\n.*\"ProductVersion\", \"${version}\"\n")
    message(FATAL_ERROR "the version resource is not that of quillpen.dll ${version}:\n${out}")
endif()
set(CWD "${prefix}-archive")
set(zip "quillpen-${version}-win64")
file(REMOVE_RECURSE "${CWD}")
file(MAKE_DIRECTORY "${CWD}/unpacked")
run("${CMAKE_CPACK_COMMAND}" -G ZIP --config "${CMAKE_BINARY_DIR}/CPackConfig.cmake" -B "${CWD}")
set(CWD "${CWD}/unpacked")
run("${CMAKE_COMMAND}" -E tar xf "../${zip}.zip")
file(GLOB_RECURSE packed LIST_DIRECTORIES false RELATIVE "${CWD}" "${CWD}/*")
list(TRANSFORM found PREPEND "${zip}/")
expect_same("the archive's files and the install tree's" "${found}" "${packed}")
foreach(file IN LISTS packed)
    string(REPLACE "${zip}/" "${prefix}/" installed "${file}")
    run("${CMAKE_COMMAND}" -E compare_files "${file}" "${installed}")
endforeach()
