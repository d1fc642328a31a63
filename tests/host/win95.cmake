# Every shipped file in the program directory checked against Windows 95
# OSR2 on a Pentium: imports only from the committed list of that system's
# exports, GUI subsystem and OS version 4.0, no instruction newer than the
# i586. Only the i686 build ships.
set(PE_CHECK_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/host/pe_check.cpp)
add_custom_command(
    OUTPUT ${HOST_TOOLS}/pe_check
    COMMAND ${HOST_CXX} -std=c++17 -O1 -g -Wall -Wextra -fsanitize=address,undefined -fno-sanitize-recover=undefined
            ${PE_CHECK_SOURCES} -o ${HOST_TOOLS}/pe_check
    DEPENDS ${PE_CHECK_SOURCES})
add_custom_target(pe_check ALL DEPENDS ${HOST_TOOLS}/pe_check)
if(ZELBR_ARCH STREQUAL "i686")
    find_program(CROSS_OBJDUMP ${ZELBR_ARCH}-w64-mingw32-objdump REQUIRED)
    add_test(NAME win95_files
        COMMAND ${HOST_TOOLS}/pe_check ${CMAKE_CURRENT_SOURCE_DIR}/host/win95_exports.txt ${CROSS_OBJDUMP} ${DIST_DIR})
else()
    add_test(NAME win95_files
        COMMAND ${HOST_TOOLS}/pe_check --skip "the ${ZELBR_ARCH} build is a test vehicle and never ships; only the i686 files are checked against Windows 95")
    set_tests_properties(win95_files PROPERTIES SKIP_RETURN_CODE 77)
endif()

# The shipped files' runtime, exercised inside a file linked on it.
if(ZELBR_ARCH STREQUAL "i686")
    add_executable(crt_check WIN32 ${CMAKE_CURRENT_SOURCE_DIR}/crt/crt_check.cpp)
    zb_shipped(crt_check)
    set_target_properties(crt_check PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testbin)
    add_test(NAME runtime COMMAND ${WINE} $<TARGET_FILE:crt_check>)
endif()
