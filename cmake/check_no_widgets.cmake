# cmake -DPROGRAM=<file> -P check_no_widgets.cmake
# Fails when the program's dynamic section (readelf -d) needs Qt Widgets, Charts or PrintSupport,
# or when the loader would bring one of them in through another library (ldd).
find_program(READELF readelf REQUIRED)
execute_process(COMMAND ${READELF} -d ${PROGRAM} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0 OR NOT dynamic MATCHES "NEEDED.*libQt6Core")
    message(FATAL_ERROR "readelf -d ${PROGRAM} failed or names no Qt library:\n${dynamic}")
endif()
set(forbidden "libQt6(Widgets|Charts|PrintSupport|OpenGLWidgets)")
if(dynamic MATCHES "NEEDED[^\n]*${forbidden}")
    message(FATAL_ERROR "${PROGRAM} needs ${CMAKE_MATCH_0}:\n${dynamic}")
endif()
find_program(LDD ldd)
if(LDD)
    execute_process(COMMAND ${LDD} ${PROGRAM} OUTPUT_VARIABLE loaded)
    if(loaded MATCHES "${forbidden}")
        message(FATAL_ERROR "${PROGRAM} loads ${CMAKE_MATCH_0} indirectly:\n${loaded}")
    endif()
endif()
