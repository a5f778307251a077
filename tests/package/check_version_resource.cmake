# The DLL carries a version resource naming the project version and product, read back
# from the built file by windres.   -DDLL -DWINDRES -DVERSION
execute_process(COMMAND "${WINDRES}" -i "${DLL}" -O rc
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "windres cannot read the resources of ${DLL}: ${err}")
endif()
string(REPLACE "." ", " numeric "${VERSION}")
set(expected
    "VERSIONINFO"
    " FILEVERSION ${numeric}, 0\n"
    " PRODUCTVERSION ${numeric}, 0\n"
    " FILETYPE 0x2\n"  # VFT_DLL
    "VALUE \"FileVersion\", \"${VERSION}\"\n"
    "VALUE \"ProductVersion\", \"${VERSION}\"\n"
    "VALUE \"ProductName\", \"quillpen\"\n"
    "VALUE \"OriginalFilename\", \"quillpen.dll\"\n")
foreach(text IN LISTS expected)
    string(FIND "${out}" "${text}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the version resource lacks '${text}':\n${out}")
    endif()
endforeach()
message(STATUS "version resource of ${DLL}:\n${out}")
