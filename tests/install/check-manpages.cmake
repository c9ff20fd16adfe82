# The man pages in dist/man are made by scripts/update-manpages; they must still describe the
# programs' present options. Remakes them with the same help2man calls and compares all but the
# header line, which carries the month.
file(MAKE_DIRECTORY ${OUT})
function(check name program summary)
    execute_process(COMMAND ${HELP2MAN} --no-info --section=1 "--name=${summary}" ${ARGN}
                            --output=${OUT}/${name} ${program} RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "help2man failed on ${program}")
    endif()
    file(READ ${OUT}/${name} made)
    file(READ ${SOURCE_DIR}/dist/man/${name} kept)
    string(REGEX REPLACE "\n\\.TH [^\n]*" "" made "${made}")
    string(REGEX REPLACE "\n\\.TH [^\n]*" "" kept "${kept}")
    if(NOT made STREQUAL kept)
        message(FATAL_ERROR "dist/man/${name} is out of date: run scripts/update-manpages")
    endif()
endfunction()
check(kivo.1 ${KIVO} "bench tool for weighing indicators" --include=${SOURCE_DIR}/dist/man/kivo.h2m)
check(kivo-sim.1 ${KIVO_SIM} "simulated weighing indicator for Kivo")
