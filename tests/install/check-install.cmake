# cmake --install into PREFIX must give exactly these files, no more, no fewer.
set(expected
    bin/kivo
    bin/kivo-sim
    share/applications/org.kivobench.kivo.desktop
    share/doc/kivo/changelog.gz
    share/doc/kivo/copyright
    share/icons/hicolor/128x128/apps/org.kivobench.kivo.png
    share/icons/hicolor/16x16/apps/org.kivobench.kivo.png
    share/icons/hicolor/24x24/apps/org.kivobench.kivo.png
    share/icons/hicolor/256x256/apps/org.kivobench.kivo.png
    share/icons/hicolor/32x32/apps/org.kivobench.kivo.png
    share/icons/hicolor/48x48/apps/org.kivobench.kivo.png
    share/icons/hicolor/64x64/apps/org.kivobench.kivo.png
    share/man/man1/kivo-sim.1.gz
    share/man/man1/kivo.1.gz
    share/metainfo/org.kivobench.kivo.metainfo.xml)

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT installed)
list(SORT expected)
if(NOT installed STREQUAL expected)
    string(REPLACE ";" "\n  " got "${installed}")
    message(FATAL_ERROR "installed files differ from the expected list; installed:\n  ${got}")
endif()
foreach(program bin/kivo bin/kivo-sim)
    execute_process(COMMAND ${PREFIX}/${program} --version OUTPUT_VARIABLE out RESULT_VARIABLE result)
    if(NOT result EQUAL 0 OR NOT out MATCHES "^kivo(-sim)? [0-9]+\\.[0-9]+\\.[0-9]+\n$")
        message(FATAL_ERROR "installed ${program} --version gave ${result}: ${out}")
    endif()
endforeach()
