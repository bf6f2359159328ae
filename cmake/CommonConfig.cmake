# One place for the language level, the warnings and the strict Qt defines
# that every target of the project builds with.
add_library(orlio_common INTERFACE)
target_compile_features(orlio_common INTERFACE cxx_std_20)
target_compile_options(orlio_common INTERFACE -Wall -Wextra -Wpedantic)
# GBK byte strings must never turn into a QString by accident.
target_compile_definitions(orlio_common INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  QT_NO_KEYWORDS)
target_include_directories(orlio_common INTERFACE ${PROJECT_SOURCE_DIR})

# A folder's sources make its library; new files need no edit here.
function(orlio_folder_library name)
  file(GLOB _sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${_sources})
  target_link_libraries(${name} PUBLIC orlio_common ${ARGN})
endfunction()
