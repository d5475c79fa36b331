# What of the tools is built for Windows: the substitute driver as a plain data
# source and twhost, to drive the Windows monitor under wine, and twtrace for the
# engineer. Included by the root CMakeLists.
add_subdirectory(Tools/ScannerDriver)
add_subdirectory(Tools/Host)
add_subdirectory(Tools/TraceReader)
add_subdirectory(Tools/twtrace)
if(BUILD_TESTING)
  add_subdirectory(tests/windows)
endif()
# The installer's source, with the project's version.
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/TwainMonitor.wxs.in ${CMAKE_BINARY_DIR}/TwainMonitor.wxs @ONLY)
