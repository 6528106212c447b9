# Installs the build into a fresh prefix and checks what a desktop needs.
# Called with -DBUILD_DIR=... -DPREFIX=...
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_QUIET)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${status}")
endif()
foreach(file bin/cache-sorter share/applications/cache-sorter.desktop
             share/icons/hicolor/scalable/apps/cache-sorter.svg share/icons/hicolor/256x256/apps/cache-sorter.png
             share/metainfo/org.cachesorter.CacheSorter.metainfo.xml)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ "${PREFIX}/share/applications/cache-sorter.desktop" desktop)
foreach(line "[Desktop Entry]" "Type=Application" "Name=Cache Sorter" "Exec=cache-sorter" "Icon=cache-sorter")
  string(FIND "${desktop}" "${line}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "the desktop file lacks ${line}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
