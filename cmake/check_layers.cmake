# Fails when a source file includes from a folder to its right in the chain
#   posix <- catalogue <- package <- relocation <- app <- window <- window/qt
# Each folder may include from itself and the folders to its left only.
#
#   cmake -DSOURCE_DIR=<src> -P check_layers.cmake
set(layers posix catalogue package relocation app window window/qt)

function(layer_of path result)
  set(found -1)
  set(index 0)
  foreach(layer IN LISTS layers)
    if(path MATCHES "^${layer}/")
      set(found ${index})
    endif()
    math(EXPR index "${index} + 1")
  endforeach()
  set(${result} ${found} PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/*.h ${SOURCE_DIR}/*.cpp)
set(wrong "")
foreach(source IN LISTS sources)
  layer_of(${source} own)
  if(own EQUAL -1)
    continue() # the program's entry stands above every layer
  endif()
  file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^#include \"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" included "${line}")
    layer_of(${included} theirs)
    if(theirs GREATER own)
      list(APPEND wrong "${source} includes ${included}")
    endif()
  endforeach()
endforeach()

if(wrong)
  list(JOIN wrong "\n  " lines)
  message(FATAL_ERROR "includes that point the wrong way (posix <- catalogue <- package <- relocation <- app <- "
                      "window <- window/qt):\n  ${lines}")
endif()
list(LENGTH sources count)
message(STATUS "layers: ${count} files, every include points the right way")
