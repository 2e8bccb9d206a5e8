# The Windows programs' tests run under Wine, through the toolchain's
# emulator (wine-run.sh), all in one private session per test run: a fresh
# prefix and X server made by the first test and removed by the last.
set(NAGWICK_WINE_SESSION ${CMAKE_BINARY_DIR}/wine-session)
add_test(NAME wine_session_start COMMAND ${PROJECT_SOURCE_DIR}/scripts/lib/wine-session.sh start ${NAGWICK_WINE_SESSION})
add_test(NAME wine_session_stop COMMAND ${PROJECT_SOURCE_DIR}/scripts/lib/wine-session.sh stop ${NAGWICK_WINE_SESSION})
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine TIMEOUT 300)
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 120)

# The tests of that session take turns: the session's end reaches every
# window on the desktop, and one program's windows would get in another's way.
# A test that needs what the session could not make says so and is skipped.
function(nagwick_in_wine_session)
    set_tests_properties(${ARGN} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK wine_desktop TIMEOUT 120
        ENVIRONMENT NAGWICK_WINE_SESSION=${NAGWICK_WINE_SESSION} SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]")
endfunction()

# GoogleTest on the toolchain's win32 thread model: a Notification of its
# own, which it can't make there (see the header).
foreach(target gtest gtest_main)
    target_include_directories(${target} BEFORE PUBLIC ${CMAKE_CURRENT_LIST_DIR}/gtest-port)
endforeach()
