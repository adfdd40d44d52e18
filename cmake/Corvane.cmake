# Shared build rules. Each layer is one static library made of every source in its folder, so that
# adding a file needs no edit here; the link lines follow the layer order of ARCHITECTURE.md.

function(corvane_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wno-missing-field-initializers)
  if(CORVANE_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# corvane_library(NAME DIR LINKS...)
function(corvane_library name dir)
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.qrc)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${ARGN})
  corvane_warnings(${name})
endfunction()

# corvane_test(LAYER LINKS...): one GoogleTest executable per layer from tests/LAYER/*.cpp.
function(corvane_test layer)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/*.cpp
       ${CMAKE_CURRENT_SOURCE_DIR}/${layer}/*.h)
  if(NOT sources)
    return()
  endif()
  add_executable(${layer}_tests ${sources})
  target_link_libraries(${layer}_tests PRIVATE corvane_testsupport ${ARGN})
  target_compile_definitions(${layer}_tests PRIVATE
    CORVANE_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/${layer}/data"
    CORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    CORVANE_BINARY_DIR="${PROJECT_BINARY_DIR}")
  corvane_warnings(${layer}_tests)
  gtest_discover_tests(${layer}_tests DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()
