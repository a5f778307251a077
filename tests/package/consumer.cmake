# Configures, builds and runs tests/consumer against an install tree, as a user's project
# would: natively, or cross-built with the same toolchain file and run under EMULATOR with
# the installed DLL beside it.
#   -DSOURCE -DBINARY -DPREFIX -DPACKAGE_DIR -DBINDIR -DLIBDIR -DINCLUDEDIR -DGENERATOR
#   -DBUILD_TYPE -DC_COMPILER -DTOOLCHAIN (empty natively) -DEMULATOR (empty natively)
#   -DOBJDUMP
function(run_step what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${what} failed (${rc}):\n${out}")
    endif()
    set(step_output "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE "${BINARY}")
if(TOOLCHAIN)
    # Cross builds look for packages under the target's root only: name the package itself.
    set(configure_args -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN} -Dquillpen_DIR=${PACKAGE_DIR})
else()
    set(configure_args -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_PREFIX_PATH=${PREFIX})
endif()
run_step(configure "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${BINARY}" -G "${GENERATOR}"
    -DCMAKE_BUILD_TYPE=${BUILD_TYPE} ${configure_args})
# The package came from the install tree, not from anywhere else CMake might look.
file(STRINGS "${BINARY}/CMakeCache.txt" found REGEX "^quillpen_DIR:")
string(REGEX REPLACE "^quillpen_DIR:[A-Z]+=" "" found "${found}")
if(NOT found STREQUAL PACKAGE_DIR)
    message(FATAL_ERROR "find_package found '${found}', not ${PACKAGE_DIR}")
endif()
run_step(build "${CMAKE_COMMAND}" --build "${BINARY}")

# Runs a consumer program in BINARY with a new log directory `dir`.
function(run_consumer dir)
    execute_process(COMMAND ${ARGN} ${dir} WORKING_DIRECTORY "${BINARY}"
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${rc}):\n${out}")
    endif()
    message(STATUS "${out}")
endfunction()

if(NOT EMULATOR)
    run_consumer(logs "${BINARY}/consumer")
    return()
endif()
# The import library must have bound the program to quillpen.dll, which Wine finds in the
# program's own directory.
run_step(objdump ${OBJDUMP} -p "${BINARY}/consumer.exe")
if(NOT step_output MATCHES "DLL Name: quillpen\\.dll")
    message(FATAL_ERROR "consumer.exe does not import quillpen.dll")
endif()
file(COPY "${PREFIX}/${BINDIR}/quillpen.dll" DESTINATION "${BINARY}")
run_consumer(logs ${EMULATOR} "${BINARY}/consumer.exe")

# The import library made for MSVC from the .def links a host just as well.
run_step("linking with quillpen.lib" "${C_COMPILER}" -std=c11 -Wall -Wextra -Wpedantic -Werror
    -I${PREFIX}/${INCLUDEDIR} "${SOURCE}/main.c" "${PREFIX}/${LIBDIR}/quillpen.lib" -static
    -o "${BINARY}/consumer_lib.exe")
run_consumer(logs-lib ${EMULATOR} "${BINARY}/consumer_lib.exe")
