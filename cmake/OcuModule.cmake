# Every module is one static library built from the sources in its folder.
# A folder's main.cpp is its program's entry and stays out of the library.
# Headers are included by module name ("web/ResultDocument.h", "sdk/SdkStatus.h").
set(OCU_WARNINGS -Wall -Wextra -Werror -Wshadow -Wnon-virtual-dtor)

function(ocu_module name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(NOT sources)
    # A module whose sources are still to come is a header-only interface.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE
      ${PROJECT_SOURCE_DIR}/modules ${PROJECT_SOURCE_DIR}/modules/webservice)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC
    ${PROJECT_SOURCE_DIR}/modules
    ${PROJECT_SOURCE_DIR}/modules/webservice)
  target_compile_options(${name} PRIVATE ${OCU_WARNINGS})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# A program built from the given sources, with the project's warnings.
function(ocu_program name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${OCU_WARNINGS})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
endfunction()
