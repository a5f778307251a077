# pkg-config describes the install tree, and a C host built with nothing but its flags links
# and runs.
#   -DPKG_CONFIG -DPREFIX -DLIBDIR -DINCLUDEDIR -DVERSION -DC_COMPILER -DMAIN -DBINARY
function(pkg_config out_var)
    execute_process(COMMAND "${PKG_CONFIG}" ${ARGN} quillpen
        RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "pkg-config ${ARGN} failed: ${err}")
    endif()
    set(${out_var} "${out}" PARENT_SCOPE)
endfunction()

set(ENV{PKG_CONFIG_PATH} "${PREFIX}/${LIBDIR}/pkgconfig")
unset(ENV{PKG_CONFIG_LIBDIR})
pkg_config(version --modversion)
pkg_config(cflags --cflags)
pkg_config(libs --libs)
# The .pc file names its prefix relative to itself: the tree was installed elsewhere than
# the prefix it was configured with, and its flags must still lead into it.
function(resolved out_var flag text)
    string(REGEX REPLACE "^${flag}" "" dir "${text}")
    get_filename_component(dir "${dir}" REALPATH)
    set(${out_var} "${dir}" PARENT_SCOPE)
endfunction()
string(REGEX MATCH "^-L[^ ]+" libdir_flag "${libs}")
string(REGEX REPLACE "^-L[^ ]+ " "" libs_rest "${libs}")
resolved(include_dir "-I" "${cflags}")
resolved(lib_dir "-L" "${libdir_flag}")
get_filename_component(expected_include "${PREFIX}/${INCLUDEDIR}" REALPATH)
get_filename_component(expected_lib "${PREFIX}/${LIBDIR}" REALPATH)
set(expected_cflags "-I${expected_include}")
set(expected_libs "-L${expected_lib} -lquillpen")
if(NOT version STREQUAL VERSION OR NOT include_dir STREQUAL expected_include
        OR NOT lib_dir STREQUAL expected_lib OR NOT libs_rest STREQUAL "-lquillpen")
    message(FATAL_ERROR "pkg-config says version '${version}', cflags '${cflags}', libs '${libs}'"
        "\nexpected '${VERSION}', '${expected_cflags}', '${expected_libs}'")
endif()

file(REMOVE_RECURSE "${BINARY}")
file(MAKE_DIRECTORY "${BINARY}")
separate_arguments(cflags UNIX_COMMAND "${cflags}")
separate_arguments(libs UNIX_COMMAND "${libs}")
execute_process(COMMAND "${C_COMPILER}" -std=c11 -Wall -Wextra -Wpedantic -Werror ${cflags}
        "${MAIN}" ${libs} -o "${BINARY}/host"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "compiling with the pkg-config flags failed:\n${out}")
endif()
# pkg-config gives no run path: the loader is told where the library is.
set(ENV{LD_LIBRARY_PATH} "${PREFIX}/${LIBDIR}")
execute_process(COMMAND "${BINARY}/host" logs WORKING_DIRECTORY "${BINARY}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "the host built with pkg-config failed (${rc}):\n${out}")
endif()
message(STATUS "pkg-config: ${cflags} ${libs}\n${out}")
