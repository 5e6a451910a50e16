# orlam_add_test(NAME name SOURCES ... LIBS ... [ENV VAR=value ...] [WRAPPER program args...] [QT])
# One test executable run by CTest. GoogleTest unless QT is given (then Qt Test). WRAPPER runs the
# test through another program (a private session bus: dbus-run-session --).
# Every test runs with a fixed locale and time zone unless it sets its own through ENV,
# and with Qt's offscreen platform so that no display is needed.
function(orlam_add_test)
    cmake_parse_arguments(T "QT" "NAME;WORKING_DIRECTORY" "SOURCES;LIBS;ENV;LABELS;WRAPPER" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(T_QT)
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} Qt6::Test)
    else()
        target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    endif()
    target_include_directories(${T_NAME} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    target_compile_definitions(${T_NAME} PRIVATE
        ORLAM_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
        ORLAM_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
        ORLAM_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
    if(NOT T_WORKING_DIRECTORY)
        set(T_WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    endif()
    if(T_WRAPPER)
        add_test(NAME ${T_NAME} COMMAND ${T_WRAPPER} $<TARGET_FILE:${T_NAME}> WORKING_DIRECTORY ${T_WORKING_DIRECTORY})
    else()
        add_test(NAME ${T_NAME} COMMAND ${T_NAME} WORKING_DIRECTORY ${T_WORKING_DIRECTORY})
    endif()
    set(env LC_ALL=en_US.UTF-8 TZ=America/Chicago QT_QPA_PLATFORM=offscreen)
    # Later entries win, so a test's own ENV overrides the defaults above.
    list(APPEND env ${T_ENV})
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}" TIMEOUT 600)
    if(T_LABELS)
        set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
    endif()
endfunction()

# orlam_add_fuzz_smoke(TARGET)
# A libFuzzer target run by CTest for a few seconds from an empty corpus (label "fuzz"), so that
# every build of the fuzz targets also proves they start, read and find nothing at once.
function(orlam_add_fuzz_smoke target)
    if(NOT BUILD_TESTING)
        return()
    endif()
    add_test(NAME ${target}_smoke
             COMMAND ${target} -max_total_time=5 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
             WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
    set_tests_properties(${target}_smoke PROPERTIES
        LABELS fuzz
        TIMEOUT 120
        ENVIRONMENT "LC_ALL=en_US.UTF-8;TZ=America/Chicago;QT_QPA_PLATFORM=offscreen;LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan-suppressions.txt:print_suppressions=0;UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1")
endfunction()
