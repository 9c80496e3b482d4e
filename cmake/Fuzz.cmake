# brenmo_fuzz_target(NAME SOURCES... LIBS targets...)
# One fuzz target, the program NAME_fuzz, from sources that define LLVMFuzzerTestOneInput (and
# optionally LLVMFuzzerInitialize), with its seed corpus in fuzz/corpus/NAME/.
# - With BRENMO_FUZZ (clang only) it becomes a libFuzzer program, and the libraries it links (and
#   theirs, transitively) are compiled with coverage and the sanitizers too, so the fuzzer sees
#   and checks the code under test, not just the harness. Run it by hand, for example
#   bin/NAME_fuzz -max_total_time=60 a-scratch-corpus-dir fuzz/corpus/NAME
# - Otherwise the same source is linked with fuzz/StandaloneMain.cpp, and (with BRENMO_TESTS)
#   ctest runs it over every file of fuzz/corpus/NAME/: the seeds, and any crash reproducer saved
#   there, become regression tests of the normal and sanitizer builds.

set(BRENMO_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer -g -O1)

# Adds the fuzzer's instrumentation to target and to every target of the project it links.
# Libraries linked only through generator expressions (such as $<LINK_LIBRARY:...>) are not
# followed; name those in LIBS.
function(_brenmo_fuzz_instrument target)
    get_property(done GLOBAL PROPERTY _BRENMO_FUZZ_INSTRUMENTED)
    if(NOT TARGET ${target} OR "${target}" IN_LIST done)
        return()
    endif()
    get_target_property(imported ${target} IMPORTED)
    get_target_property(type ${target} TYPE)
    if(imported OR type STREQUAL "INTERFACE_LIBRARY")
        return()
    endif()
    set_property(GLOBAL APPEND PROPERTY _BRENMO_FUZZ_INSTRUMENTED ${target})
    target_compile_options(${target} PRIVATE ${BRENMO_FUZZ_FLAGS})
    # Shared libraries get the sanitizer runtime from the fuzz program at load time.
    get_target_property(deps ${target} LINK_LIBRARIES)
    if(deps)
        foreach(dep IN LISTS deps)
            _brenmo_fuzz_instrument(${dep})
        endforeach()
    endif()
endfunction()

function(brenmo_fuzz_target corpus)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    set(name ${corpus}_fuzz)
    if(BRENMO_FUZZ)
        if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
            message(FATAL_ERROR "BRENMO_FUZZ needs clang (libFuzzer); configure with -DCMAKE_CXX_COMPILER=clang++")
        endif()
        add_executable(${name} ${ARG_SOURCES})
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} testkit)
        target_compile_options(${name} PRIVATE ${BRENMO_FUZZ_FLAGS})
        target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
        foreach(lib IN LISTS ARG_LIBS)
            _brenmo_fuzz_instrument(${lib})
        endforeach()
    else()
        add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/StandaloneMain.cpp)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} testkit)
        if(BRENMO_TESTS)
            add_test(NAME ${name} COMMAND ${name} ${PROJECT_SOURCE_DIR}/fuzz/corpus/${corpus})
        endif()
    endif()
endfunction()
