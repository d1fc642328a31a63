# Module library tests (under Wine) and the read-back check of every item
# description file (on the host). Included at the end of the top level, once
# tests/ has brought in GoogleTest, so paths here are absolute.
if(NOT TARGET gtest_main)
    return()
endif()
if(NOT WINE)
    find_program(WINE wine REQUIRED NO_CMAKE_FIND_ROOT_PATH)
endif()

add_executable(module_unit_tests ${ZB_MODULES_DIR}/tests/zbmodule_test.cpp ${ZB_MODULES_DIR}/tests/testmod_test.cpp
    ${ZB_MODULES_DIR}/tests/bundled_test.cpp)
add_dependencies(module_unit_tests testmod module_wordpad module_notepad module_batch module_gdidraw
    module_regedit module_filecopy)
target_include_directories(module_unit_tests PRIVATE ${ZB_MODULES_DIR}/wordpad)
set_target_properties(module_unit_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/modules/tests)
target_link_libraries(module_unit_tests PRIVATE zbmodule gtest_main)
add_test(NAME modules COMMAND ${WINE} $<TARGET_FILE:module_unit_tests>)
# The test module is found through its Windows path on Wine's Z: drive.
string(REPLACE "/" "\\" ZB_TESTBIN_WIN "Z:${ZB_TESTBIN}/")
# The program directory without its last backslash: one before the list's
# semicolon would join the two values into one.
string(REPLACE "/" "\\" ZB_DIST_WIN "Z:${DIST_DIR}")
set_tests_properties(modules PROPERTIES TIMEOUT 300
    ENVIRONMENT "ZB_DIST=${ZB_DIST_WIN};ZB_TESTBIN=${ZB_TESTBIN_WIN}")

get_property(checks GLOBAL PROPERTY ZB_MCR_CHECKS)
foreach(check IN LISTS checks)
    string(REPLACE "|" ";" f "${check}")
    list(GET f 0 base)
    list(GET f 1 mcr)
    list(GET f 2 item)
    list(GET f 3 app)
    list(GET f 4 file)
    list(GET f 5 version)
    add_test(NAME modules_mcr_${base}
        COMMAND ${MKMCR} --check ${mcr} --name ${item} --app ${app} --file ${file} --version ${version})
endforeach()
# A text that does not fit its field, NUL included, is refused.
add_test(NAME modules_mcr_too_long
    COMMAND ${MKMCR} --out ${CMAKE_BINARY_DIR}/modules/tests/long.mcr --name "0123456789ABCDEF" --app x
            --file "0123456789ABCDEF" --version 1.00 --label X --accent 7)
set_tests_properties(modules_mcr_too_long PROPERTIES WILL_FAIL TRUE)
