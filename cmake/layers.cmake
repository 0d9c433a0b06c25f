# zor_layer(NAME [DEPENDS LAYER...]): the static library zor_NAME of the folder src/NAME.
#
# Sources: every .cpp of the folder, with the folder's *_win32.cpp files on Windows and
# *_posix.cpp elsewhere (src/platform/win32/ is the Windows program, not a layer). A folder
# without sources yet becomes an interface library.
#
# Headers: a layer sees its own folder and, through its dependencies, theirs, and nothing else.
# Each layer gets an include root of its own in the build folder holding one link named after
# the folder, so "data/market.h" resolves wherever zor_data is linked and "app/app_state.h"
# resolves only above zor_app. Where the file system refuses links (some Windows setups), the
# whole src/ becomes the include root and the layering is not checked there.
function(zor_layer name)
  cmake_parse_arguments(L "" "" "DEPENDS" ${ARGN})
  set(dir ${ZOR_SRC}/${name})
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "_(win32|posix)\\.cpp$")
  if(WIN32)
    file(GLOB backend CONFIGURE_DEPENDS ${dir}/*_win32.cpp)
  else()
    file(GLOB backend CONFIGURE_DEPENDS ${dir}/*_posix.cpp)
  endif()
  list(APPEND sources ${backend})

  set(target zor_${name})
  if(sources)
    add_library(${target} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${target} INTERFACE)
    set(scope INTERFACE)
  endif()
  set(ZOR_LAYER_SCOPE_${name} ${scope} PARENT_SCOPE)

  set(root ${CMAKE_BINARY_DIR}/layers/${name})
  file(MAKE_DIRECTORY ${root})
  set(link ${root}/${name})
  set(ok 0)
  if(IS_SYMLINK ${link})
    set(ok 1)
  else()
    file(CREATE_LINK ${dir} ${link} RESULT res SYMBOLIC)
    if(res EQUAL 0)
      set(ok 1)
    endif()
  endif()
  if(ok)
    target_include_directories(${target} ${scope} ${root})
  else()
    message(WARNING "zor_layer: cannot link ${link}; include layering of ${name} is not checked")
    target_include_directories(${target} ${scope} ${ZOR_SRC})
  endif()
  foreach(dep ${L_DEPENDS})
    target_link_libraries(${target} ${scope} zor_${dep})
  endforeach()
endfunction()
