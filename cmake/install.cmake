# The installed package: the library, its header, the .def, a CMake package config
# (quillpen::quillpen), a pkg-config file, the documents and the license, and on Windows an
# MSVC import library. `cpack -G ZIP` packs the same tree as quillpen-<version>-win64.zip.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

install(TARGETS quillpen EXPORT quillpenTargets
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
if(WIN32)
    # The installed DLL goes without its symbol table and debug sections (half its size);
    # the build tree keeps them, and a Debug build installs them too. strip writes the time
    # into the PE header unless given one: a fixed one makes every install of a build alike.
    install(CODE "
        if(NOT CMAKE_INSTALL_CONFIG_NAME STREQUAL \"Debug\")
            execute_process(COMMAND \"${CMAKE_COMMAND}\" -E env SOURCE_DATE_EPOCH=0
                \"${CMAKE_STRIP}\" --strip-all
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:quillpen>\"
                COMMAND_ERROR_IS_FATAL ANY)
        endif()")
endif()
install(FILES include/quillpen.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(FILES ${QUILLPEN_DEF} DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES README.md CHANGELOG.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES docs/api.md docs/log-format.md DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/quillpen)
install(EXPORT quillpenTargets NAMESPACE quillpen:: DESTINATION ${config_dir})
configure_package_config_file(cmake/quillpenConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/quillpenConfig.cmake INSTALL_DESTINATION ${config_dir})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/quillpenConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quillpenConfig.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/quillpenConfigVersion.cmake DESTINATION ${config_dir})

file(RELATIVE_PATH QUILLPEN_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig
    ${CMAKE_INSTALL_PREFIX})
configure_file(cmake/quillpen.pc.in ${CMAKE_CURRENT_BINARY_DIR}/quillpen.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/quillpen.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(WIN32)
    # An import library for MSVC hosts, made from the .def rather than from the link.
    find_program(QUILLPEN_DLLTOOL NAMES x86_64-w64-mingw32-dlltool dlltool REQUIRED)
    set(msvc_lib ${CMAKE_CURRENT_BINARY_DIR}/quillpen.lib)
    add_custom_command(OUTPUT ${msvc_lib}
        COMMAND ${QUILLPEN_DLLTOOL} -d ${QUILLPEN_DEF} -D quillpen.dll -l ${msvc_lib}
        DEPENDS ${QUILLPEN_DEF} VERBATIM)
    add_custom_target(quillpen_msvc_lib ALL DEPENDS ${msvc_lib})
    install(FILES ${msvc_lib} DESTINATION ${CMAKE_INSTALL_LIBDIR})
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_VENDOR "the quillpen authors")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE)
if(WIN32)
    set(CPACK_SYSTEM_NAME win64)  # CPack names only MSVC's 64-bit builds so
endif()
include(CPack)
