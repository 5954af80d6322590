# kvl_add_test(<name> SOURCES <files...> [LIBS <targets...>] [TIMEOUT <seconds>])
#
# Builds one QtTest executable and registers it with CTest. Each test runs offscreen in a
# fresh working directory of its own with its own TMPDIR, so tests that write files or
# create local sockets can run in parallel.
set(KVL_TEST_WRAPPER ${CMAKE_CURRENT_LIST_DIR}/run-test.sh)
set(KVL_X11_TEST_WRAPPER ${CMAKE_CURRENT_LIST_DIR}/run-x11-test.sh)
set(KVL_WAYLAND_TEST_WRAPPER ${CMAKE_CURRENT_LIST_DIR}/run-wayland-test.sh)
set(KVL_BESIDE_PROGRAM_WRAPPER ${CMAKE_CURRENT_LIST_DIR}/run-beside-program.sh)

function(kvl_add_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    add_executable(${name} ${T_SOURCES})
    kvl_unoptimised_in_debug(${name})
    target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
    kvl_register_test(${name} ${name} ${T_TIMEOUT})
endfunction()

# kvl_add_test_run(<name> <suffix> <VAR=value>)
#
# Registers a second run of the test executable <name> as <name>_<suffix>, in a working
# directory of its own, with one more environment variable (e.g. the screen size a test reads).
# A build target of the run's name builds the executable, as for every other test.
function(kvl_add_test_run name suffix assignment)
    get_test_property(${name} TIMEOUT timeout)
    kvl_register_test(${name}_${suffix} ${name} ${timeout} ENV ${assignment})
    add_custom_target(${name}_${suffix} DEPENDS ${name})
endfunction()

# kvl_add_x11_test_run(<name> [SUFFIX <suffix>] [ENV <VAR=value>...] [ARGS <arguments>...])
#
# Registers a run of the test executable <name> on an X server of its own with a window manager,
# as on a desktop (cmake/run-x11-test.sh: Xvfb and openbox, Qt's xcb platform), as <name>_x11
# (or <name>_<suffix>), labelled "x11"; KVL_TEST_SCREEN in ENV sets the screen's size, ARGS
# go to the test (such as the names of the test functions to run).
function(kvl_add_x11_test_run name)
    kvl_add_desktop_test_run(${name} x11 ${KVL_X11_TEST_WRAPPER} KVL_TEST_X11 ${ARGN})
endfunction()

# kvl_add_wayland_test_run(<name> [SUFFIX <suffix>] [ENV <VAR=value>...] [ARGS <arguments>...])
#
# Registers a run of the test executable <name> on a Wayland compositor of its own
# (cmake/run-wayland-test.sh: weston's headless backend, Qt's wayland platform natively) as
# <name>_wayland (or <name>_<suffix>), labelled "wayland"; otherwise as kvl_add_x11_test_run.
function(kvl_add_wayland_test_run name)
    kvl_add_desktop_test_run(${name} wayland ${KVL_WAYLAND_TEST_WRAPPER} KVL_TEST_WAYLAND ${ARGN})
endfunction()

# The run of <name> on the desktop that <wrapper> starts: named <name>_<desktop> unless SUFFIX
# gives another ending, labelled <desktop>, with <marker>=1 set for the test to read.
function(kvl_add_desktop_test_run name desktop wrapper marker)
    cmake_parse_arguments(D "" "SUFFIX" "ENV;ARGS" ${ARGN})
    if(NOT D_SUFFIX)
        set(D_SUFFIX ${desktop})
    endif()
    get_test_property(${name} TIMEOUT timeout)
    kvl_register_test(${name}_${D_SUFFIX} ${name} ${timeout} ARGS ${D_ARGS}
                      ENV ${D_ENV} ${marker}=1
                      WRAPPER ${wrapper})
    set_tests_properties(${name}_${D_SUFFIX} PROPERTIES LABELS ${desktop})
    add_custom_target(${name}_${D_SUFFIX} DEPENDS ${name})
endfunction()

# Registers <test> as a run of the executable <target> with the arguments in ARGS, in a working
# directory of its own, with the time-out and the environment every test gets (and the
# assignments in ENV), through the offscreen wrapper unless WRAPPER names another; LAUNCHER, a
# command that runs the executable, goes between the two.
function(kvl_register_test test target timeout)
    cmake_parse_arguments(R "" "WRAPPER" "ARGS;ENV;LAUNCHER" ${ARGN})
    if(NOT R_WRAPPER)
        set(R_WRAPPER ${KVL_TEST_WRAPPER})
    endif()
    set(workdir ${CMAKE_CURRENT_BINARY_DIR}/work/${test})
    add_test(NAME ${test}
             COMMAND /bin/sh ${R_WRAPPER} ${workdir} ${R_LAUNCHER} $<TARGET_FILE:${target}>
                     ${R_ARGS})
    set_tests_properties(${test} PROPERTIES
        TIMEOUT ${timeout}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KVL_SOURCE_DIR=${PROJECT_SOURCE_DIR};ASAN_OPTIONS=detect_leaks=0:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1;${R_ENV}")
endfunction()

# kvl_add_bench_test(<benchmark> [X11])
#
# Runs the benchmark target <benchmark> in its short mode (argument "--short") as a test of the
# same name labelled "bench" (`ctest -L bench`), beside a listener on the program's default
# command socket, as beside the user's running program. Its figures are never judged: the test
# fails only when the benchmark fails (a non-zero exit, a crash, a sanitizer report or the
# time-out), or says that its display went (each ends with its display there). With X11, the
# run is on an X server with a window manager instead, as <benchmark>_x11, labelled "bench" and
# "x11".
function(kvl_add_bench_test name)
    cmake_parse_arguments(B "X11" "" "" ${ARGN})
    set(test ${name})
    set(labels bench)
    set(x11)
    if(B_X11)
        set(test ${name}_x11)
        list(APPEND labels x11)
        set(x11 ENV KVL_TEST_X11=1 WRAPPER ${KVL_X11_TEST_WRAPPER})
    endif()
    kvl_register_test(${test} ${name} 300 ARGS --short
                      LAUNCHER /bin/sh ${KVL_BESIDE_PROGRAM_WRAPPER} ${x11})
    set_tests_properties(${test} PROPERTIES LABELS "${labels}"
                         FAIL_REGULAR_EXPRESSION "ended at once, its display gone")
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

# kvl_unoptimised_in_debug(<target>)
#
# A test's or benchmark's own code compiles without optimisation in a Debug tree (the sanitizer
# tree of ./test.sh): it is a large share of the build and a small one of the run time, which
# the program's libraries, kept at the tree's level, spend.
function(kvl_unoptimised_in_debug target)
    target_compile_options(${target} PRIVATE $<$<CONFIG:Debug>:-O0>)
endfunction()
