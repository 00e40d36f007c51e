# Sanitizer and fuzzing builds (scripts/sanitize), each in a build folder of its own; ./test.sh
# builds neither.
#   HM_SANITIZE=thread   ThreadSanitizer. Only the programs and the test programs of the
#                        `concurrency` label are built (target hm_concurrency_tests) and run.
#   HM_SANITIZE=address  AddressSanitizer with the undefined-behaviour checks: every target, and
#                        the whole test suite.
#   HM_FUZZ=ON           the libFuzzer targets of bench/fuzz (clang): an address build whose code
#                        also carries the fuzzer's coverage, so one build serves the suite and the
#                        fuzz runs.
set(HM_SANITIZE "" CACHE STRING "Sanitizer build: thread or address (empty: none)")
set_property(CACHE HM_SANITIZE PROPERTY STRINGS "" thread address)
option(HM_FUZZ "Build the libFuzzer targets of bench/fuzz (clang, address sanitizer)" OFF)

if(HM_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "HM_FUZZ needs clang: -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++")
  endif()
  if(HM_SANITIZE STREQUAL "")
    set(HM_SANITIZE address CACHE STRING "Sanitizer build: thread or address (empty: none)" FORCE)
  elseif(NOT HM_SANITIZE STREQUAL "address")
    message(FATAL_ERROR "HM_FUZZ builds with the address sanitizer, not HM_SANITIZE=${HM_SANITIZE}")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(HM_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(HM_SANITIZE STREQUAL "address")
  # vptr is left out: the 7z library's objects are reached through interfaces we declare, whose
  # type information the library cannot share, so every call through one would be reported.
  add_compile_options(-fsanitize=address,undefined -fno-sanitize=vptr -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(NOT HM_SANITIZE STREQUAL "")
  message(FATAL_ERROR "HM_SANITIZE is thread, address or empty, not '${HM_SANITIZE}'")
endif()

# What the sanitizer runtimes are told in every test and in the programs the tests start. Reports
# go to files in sanitizer-logs/ (one per process, named by its number), so that a report of a
# program a test starts is never lost with that program's standard error: scripts/sanitize shows
# them, and fails when there is one.
set(HM_SANITIZER_ENVIRONMENT)
set(HM_SANITIZER_LOGS ${CMAKE_BINARY_DIR}/sanitizer-logs)
if(HM_SANITIZE STREQUAL "thread")
  # TZ names the zone the system names: without it the C library reads the zone again at every
  # local time a worker asks for, under a lock of its own that the race checker cannot see.
  # io_sync=0: by default a thread that reads any file counts as ordered after every thread that
  # wrote any file before, so a worker reading its rule files after another wrote its work folder
  # would hide every race between the two. Our threads hand data over through locks and atomics.
  set(tsan_options
      "suppressions=${PROJECT_SOURCE_DIR}/tests/sanitize/thread.supp io_sync=0 second_deadlock_stack=1 log_path=${HM_SANITIZER_LOGS}/thread")
  set(HM_SANITIZER_ENVIRONMENT "TSAN_OPTIONS=${tsan_options}" "TZ=:/etc/localtime")
  # A shown window has threads of Qt's own (its image work, its thread pool), which allocate, copy
  # and free among themselves under Qt's locks, none of which the race checker sees. In window
  # tests only the accesses of our own (instrumented) code are judged, not those the uninstrumented
  # libraries make through the C library.
  set(HM_SANITIZER_WINDOW_ENVIRONMENT "TSAN_OPTIONS=${tsan_options} ignore_noninstrumented_modules=1"
      "TZ=:/etc/localtime")
elseif(HM_SANITIZE STREQUAL "address")
  set(HM_SANITIZER_ENVIRONMENT "ASAN_OPTIONS=log_path=${HM_SANITIZER_LOGS}/address"
      "UBSAN_OPTIONS=print_stacktrace=1 log_path=${HM_SANITIZER_LOGS}/undefined"
      "LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/sanitize/leak.supp print_suppressions=0")
endif()
if(NOT DEFINED HM_SANITIZER_WINDOW_ENVIRONMENT)
  set(HM_SANITIZER_WINDOW_ENVIRONMENT ${HM_SANITIZER_ENVIRONMENT})
endif()
if(HM_SANITIZER_ENVIRONMENT)
  file(MAKE_DIRECTORY ${HM_SANITIZER_LOGS})
endif()
