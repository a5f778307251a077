# tests/consumer built against the install tree by find_package alone (under Wine: the mingw
# import library, the program beside the installed DLL), then its main.c by hand: with
# pkg-config's flags on Linux, with the MSVC import library quillpen.lib on Windows. Each
# program writes one session into a new folder, the file named after today.
include(${CMAKE_CURRENT_LIST_DIR}/run.cmake)
set(prefix "${QUILLPEN_STAGE}")
set(lib "${prefix}/${CMAKE_INSTALL_LIBDIR}")
set(source "${PROJECT_SOURCE_DIR}/tests/consumer")
set(CWD "${CMAKE_CURRENT_BINARY_DIR}/consumer")
set(emulator ${CMAKE_CROSSCOMPILING_EMULATOR})
file(REMOVE_RECURSE "${CWD}")
file(MAKE_DIRECTORY "${CWD}")
if(emulator)  # cross builds look under the target's root only: name the package itself
    get_filename_component(toolchain "${CMAKE_TOOLCHAIN_FILE}" ABSOLUTE BASE_DIR
        "${PROJECT_SOURCE_DIR}")
    set(how -DCMAKE_TOOLCHAIN_FILE=${toolchain} -Dquillpen_DIR:PATH=${lib}/cmake/quillpen)
    file(COPY "${prefix}/${CMAKE_INSTALL_BINDIR}/quillpen.dll" DESTINATION "${CWD}")
    set(flags -I${prefix}/${CMAKE_INSTALL_INCLUDEDIR} ${lib}/quillpen.lib -static)
    set(exe .exe)
    set(sep "\\")
else()  # pkg-config sees this tree alone, installed elsewhere than its configured prefix
    set(how -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER} -DCMAKE_PREFIX_PATH=${prefix})
    set(ENV{PKG_CONFIG_LIBDIR} "${lib}/pkgconfig")
    unset(ENV{PKG_CONFIG_PATH})
    run("${QUILLPEN_PKG_CONFIG}" --exact-version=${PROJECT_VERSION} quillpen)
    run("${QUILLPEN_PKG_CONFIG}" --cflags --libs quillpen)
    separate_arguments(flags UNIX_COMMAND "${out}")
    set(ENV{LD_LIBRARY_PATH} "${lib}")  # pkg-config gives no run path
    set(sep /)
endif()
run("${CMAKE_COMMAND}" -S "${source}" -B . -G "${CMAKE_GENERATOR}"
    -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} ${how})
file(STRINGS "${CWD}/CMakeCache.txt" found REGEX "^quillpen_DIR:")  # from the tree alone
if(NOT found STREQUAL "quillpen_DIR:PATH=${lib}/cmake/quillpen")
    message(FATAL_ERROR "find_package found '${found}'")
endif()
run("${CMAKE_COMMAND}" --build .)

function(check program)
    run(${emulator} "${CWD}/${program}${exe}" ${program}-logs)
    string(TIMESTAMP day "%Y%m%d")
    set(log "${program}-logs${sep}consumer${day}.log")
    file(READ "${CWD}/${program}-logs/consumer${day}.log" text HEX)  # as bytes: CR LF kept
    string(HEX "[--- [consumer] start Log={${log}} ---]\r\n[consumer 1 of one]\r\n\
[--- [consumer] end Log. ---]\r\n" want)
    if(NOT text STREQUAL want)
        message(FATAL_ERROR "${log} holds (in hex)\n${text}, not\n${want}")
    endif()
endfunction()
check(consumer)
run("${CMAKE_C_COMPILER}" -std=c11 -Wall -Wextra -Wpedantic -Werror "${source}/main.c" ${flags}
    -o by_hand${exe})
check(by_hand)
