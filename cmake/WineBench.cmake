# Runs the Windows test programs under Wine, as they would run on Windows:
# CTest starts each one through the bench (tools/wine/bench.sh). The bench is
# a test fixture: it starts before the first test that needs it and stops
# after the last one.

set(WINE_BENCH_DIR "${CMAKE_BINARY_DIR}/wine-bench")
set(WINE_BENCH_SCRIPT "${CMAKE_SOURCE_DIR}/tools/wine/bench.sh")
set(CMAKE_CROSSCOMPILING_EMULATOR "${WINE_BENCH_SCRIPT};exec;${WINE_BENCH_DIR}")

add_test(NAME wine_bench_start COMMAND bash "${WINE_BENCH_SCRIPT}" start "${WINE_BENCH_DIR}")
add_test(NAME wine_bench_stop COMMAND bash "${WINE_BENCH_SCRIPT}" stop "${WINE_BENCH_DIR}")
set_tests_properties(wine_bench_start PROPERTIES FIXTURES_SETUP wine_bench TIMEOUT 120)
set_tests_properties(wine_bench_stop PROPERTIES FIXTURES_CLEANUP wine_bench)

# Adds a Windows test program (a target) as one test that runs on the bench.
function(add_wine_test target)
    add_test(NAME ${target} COMMAND ${target} ${ARGN})
    set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine_bench TIMEOUT 600)
endfunction()
