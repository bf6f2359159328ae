# Sanitizer and fuzzing builds. Every target of the tree is instrumented, so
# these belong in a build directory of their own. ICU, libcurl and Qt come
# from the system and are not instrumented: what happens inside them is not
# seen, only what the program does with their results.

if(ORLIO_SANITIZE_THREAD AND (ORLIO_SANITIZE_ADDRESS OR ORLIO_BUILD_FUZZERS))
  message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer or the fuzzers")
endif()

if(ORLIO_BUILD_FUZZERS AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "The fuzzers need clang (libFuzzer): configure with -DCMAKE_CXX_COMPILER=clang++")
endif()

set(_orlio_sanitize_flags)
if(ORLIO_SANITIZE_ADDRESS OR ORLIO_BUILD_FUZZERS)
  # A finding ends the program with a failure instead of a line on stderr
  # that a passing test would hide.
  list(APPEND _orlio_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
if(ORLIO_SANITIZE_THREAD)
  list(APPEND _orlio_sanitize_flags -fsanitize=thread)
endif()

if(_orlio_sanitize_flags)
  list(APPEND _orlio_sanitize_flags -fno-omit-frame-pointer)
  add_compile_options(${_orlio_sanitize_flags})
  add_link_options(${_orlio_sanitize_flags})
endif()

if(ORLIO_BUILD_FUZZERS)
  # Coverage feedback for the libraries; only the fuzz targets themselves
  # link libFuzzer's main.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
