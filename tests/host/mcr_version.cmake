# The version word of item description files, read as raw bytes at offset
# 164: little-endian, major number in the high 16 bits, minor in the low.
#   cmake -DMKMCR=<tool> -DWORK=<dir> -DBUNDLED=<a bundled .MCR, version 1.00> -P mcr_version.cmake
function(expect_version file want)
    file(READ ${file} bytes OFFSET 164 LIMIT 4 HEX)
    if(NOT bytes STREQUAL want)
        message(FATAL_ERROR "${file}: version bytes ${bytes}, expected ${want}")
    endif()
endfunction()

set(out ${WORK}/version.mcr)
file(REMOVE ${out})
execute_process(
    COMMAND ${MKMCR} --out ${out} --name x --app y --file Z.EXE --version 258.7 --label V --accent 7
    RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "mkmcr failed: ${rc}")
endif()
# 258.7: minor 0x0007 first, then major 0x0102.
expect_version(${out} "07000201")
expect_version(${BUNDLED} "00000100")
