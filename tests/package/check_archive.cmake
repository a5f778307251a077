# `cpack -G ZIP` packs the install tree: the archive holds one folder named like itself
# with exactly the files of a `cmake --install`, byte for byte.
#   -DCPACK -DBUILD_DIR -DSTAGE (a fresh install tree) -DNAME (the archive, less .zip) -DOUT
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${CPACK}" -G ZIP --config "${BUILD_DIR}/CPackConfig.cmake" -B "${OUT}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
set(zip "${OUT}/${NAME}.zip")
if(NOT rc EQUAL 0 OR NOT EXISTS "${zip}")
    message(FATAL_ERROR "cpack made no ${NAME}.zip:\n${out}")
endif()

execute_process(COMMAND "${CMAKE_COMMAND}" -E tar tf "${zip}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE listing ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot list ${zip}: ${err}")
endif()
string(REGEX REPLACE "\n$" "" listing "${listing}")
string(REPLACE "\n" ";" listing "${listing}")
set(packed "")
foreach(entry IN LISTS listing)
    if(NOT entry MATCHES "/$")  # folders
        list(APPEND packed "${entry}")
    endif()
endforeach()
file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${STAGE}" "${STAGE}/*")
list(TRANSFORM files PREPEND "${NAME}/" OUTPUT_VARIABLE installed)
list(SORT packed)
list(SORT installed)
if(NOT packed STREQUAL installed)
    string(REPLACE ";" "\n  " p "${packed}")
    string(REPLACE ";" "\n  " i "${installed}")
    message(FATAL_ERROR "${NAME}.zip differs from the install tree\narchive:\n  ${p}\n"
        "install tree:\n  ${i}")
endif()

file(MAKE_DIRECTORY "${OUT}/unpacked")
execute_process(COMMAND "${CMAKE_COMMAND}" -E tar xf "${zip}" WORKING_DIRECTORY "${OUT}/unpacked"
    RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cannot unpack ${zip}: ${err}")
endif()
foreach(file IN LISTS files)
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files
        "${OUT}/unpacked/${NAME}/${file}" "${STAGE}/${file}" RESULT_VARIABLE differs)
    if(differs)
        message(FATAL_ERROR "${file} in ${NAME}.zip is not the installed one")
    endif()
endforeach()
list(LENGTH packed count)
message(STATUS "${NAME}.zip: the ${count} files of the install tree")
