# kvl_add_test(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <seconds>])
#
# Builds one QtTest executable and registers it with CTest. Each test runs offscreen in a
# fresh working directory of its own with its own TMPDIR, so tests that write files or
# create local sockets can run in parallel.
set(KVL_TEST_WRAPPER ${CMAKE_CURRENT_LIST_DIR}/run-test.sh)

function(kvl_add_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    set(workdir ${CMAKE_CURRENT_BINARY_DIR}/work/${name})
    add_test(NAME ${name}
             COMMAND /bin/sh ${KVL_TEST_WRAPPER} ${workdir} $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KVL_SOURCE_DIR=${PROJECT_SOURCE_DIR};ASAN_OPTIONS=detect_leaks=0:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1")
endfunction()

# Adds one test per tst_*.cpp file in the calling folder, each linked with LIBS.
function(kvl_add_folder_tests)
    cmake_parse_arguments(F "" "TIMEOUT" "LIBS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp)
    foreach(src ${sources})
        get_filename_component(name ${src} NAME_WE)
        if(F_TIMEOUT)
            kvl_add_test(${name} SOURCES ${src} LIBS ${F_LIBS} TIMEOUT ${F_TIMEOUT})
        else()
            kvl_add_test(${name} SOURCES ${src} LIBS ${F_LIBS})
        endif()
    endforeach()
endfunction()
