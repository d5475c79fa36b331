# The Windows branch of the build (cross-compiled with mingw-w64; see
# cmake/mingw-w64-*.cmake). Included by the root CMakeLists.
#
# windows.h's min and max macros would hide std::min and std::max; the known-folder
# API needs Windows 7's headers.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 __USE_MINGW_ANSI_STDIO=1)
# Every module and program carries its C++ runtime and thread library inside, so
# that it needs nothing but Windows' own DLLs (and runs under wine as it is).
add_link_options(-static -static-libgcc -static-libstdc++)

# Boost.Format is header-only and the same for every target: the build machine's
# headers, seen through a folder that holds nothing else (the rest of its include
# folder is for Linux).
if(NOT TARGET Boost::headers)
  find_path(TWAIN_BOOST_INCLUDE boost/format.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(boost_only ${CMAKE_BINARY_DIR}/boost-include)
  file(MAKE_DIRECTORY ${boost_only})
  file(CREATE_LINK ${TWAIN_BOOST_INCLUDE}/boost ${boost_only}/boost SYMBOLIC)
  add_library(Boost::headers INTERFACE IMPORTED)
  target_include_directories(Boost::headers SYSTEM INTERFACE ${boost_only})
endif()

# A data source DLL, <target>.ds: DS_Entry alone, by its plain name, from the .def
# file (a manager that did not find it would fall back to ordinal 1; on i686 the
# linker maps it to the __stdcall symbol).
function(export_windows_data_source target)
  set_target_properties(${target} PROPERTIES PREFIX "" SUFFIX ".ds")
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/Win/TwainMonitor/TwainMonitor.def)
  target_link_options(${target} PRIVATE -Wl,--enable-stdcall-fixup -Wl,--exclude-all-symbols)
endfunction()
