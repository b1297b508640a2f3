# Build helpers shared by every folder.
#
# qv_add_tool(PROGRAM) builds one console tool from the folder it is called in:
# every .cpp but main.cpp goes into a static library <folder>_job that the tests
# link too, main.cpp becomes the program, and tests/*.cpp become <folder>_tests.
function(qv_add_tool program)
  get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
  file(GLOB job_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(REMOVE_ITEM job_sources ${CMAKE_CURRENT_SOURCE_DIR}/main.cpp)
  set(job ${folder}_job)
  if(job_sources)
    add_library(${job} STATIC ${job_sources})
  else()
    add_library(${job} INTERFACE)
  endif()
  if(job_sources)
    target_link_libraries(${job} PUBLIC qv_common)
  else()
    target_link_libraries(${job} INTERFACE qv_common)
  endif()
  add_executable(${program} main.cpp)
  target_link_libraries(${program} PRIVATE ${job})
  install(TARGETS ${program} RUNTIME DESTINATION bin)
  qv_add_tests(${folder} ${job})
endfunction()

# qv_add_tests(FOLDER LIBRARY...) turns tests/*.cpp of the current folder into one
# GoogleTest program registered with CTest.
function(qv_add_tests folder)
  if(NOT QV_TESTS)
    return()
  endif()
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(NOT test_sources)
    return()
  endif()
  add_executable(${folder}_tests ${test_sources})
  target_link_libraries(${folder}_tests PRIVATE ${ARGN} qv_testing GTest::gtest_main)
  target_compile_definitions(${folder}_tests PRIVATE
    QV_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}"
    QV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${folder}_tests DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "QV_BIN_DIR=${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
endfunction()
