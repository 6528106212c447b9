# Writes the AppStream metadata from its template. Software centres show a
# screenshot only from a web address, so the screenshot is listed when the
# address where a release publishes docs/screenshot.png is given.
#
# The build includes this file and calls write_metainfo(). The package test
# runs it as a script to check the metadata with a screenshot as well:
#   cmake -DOUTPUT=... -DVERSION=... -DRELEASE_DATE=... [-DSCREENSHOT_URL=...] -P metainfo.cmake

set(METAINFO_TEMPLATE ${CMAKE_CURRENT_LIST_DIR}/org.cachesorter.CacheSorter.metainfo.xml.in)

function(write_metainfo output version release_date screenshot_url)
  set(PROJECT_VERSION ${version})
  set(CACHE_SORTER_RELEASE_DATE ${release_date})
  set(SCREENSHOTS "")
  if(screenshot_url)
    string(CONCAT SCREENSHOTS
      "  <screenshots>\n"
      "    <screenshot type=\"default\">\n"
      "      <caption>The Maps tab filtered by \"dm-\", with two maps ticked</caption>\n"
      "      <image>${screenshot_url}</image>\n"
      "    </screenshot>\n"
      "  </screenshots>\n")
  endif()
  configure_file(${METAINFO_TEMPLATE} ${output} @ONLY)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  write_metainfo("${OUTPUT}" "${VERSION}" "${RELEASE_DATE}" "${SCREENSHOT_URL}")
endif()
