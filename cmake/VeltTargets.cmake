# Helpers shared by every folder: our own code builds with warnings as
# errors; third-party headers are included as system headers.

function(velt_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
    -Wcast-align -Woverloaded-virtual -Wimplicit-fallthrough -Werror)
  # GCC 12 at -O3 (the Release build) finds overlapping or overflowing
  # copies inside libstdc++'s own string and vector code, for code as plain
  # as `"-" + text` or a range inserted into an empty vector: warnings about
  # the library's inlined code, not ours. They stay on, as errors, in every
  # other build type (the default one included), where they do not misfire.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
     AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE
      $<$<CONFIG:Release>:-Wno-restrict -Wno-stringop-overflow -Wno-stringop-overread>)
  endif()
endfunction()

# The include root of one source folder: a directory that holds only a link
# to that folder, so <folder/Header.h> resolves only for targets that link the
# folder's library. This is what makes the layer arrows binding.
function(velt_folder_include_root folder out)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${folder})
  if(NOT EXISTS ${root}/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  endif()
  set(${out} ${root} PARENT_SCOPE)
endfunction()

# A folder's library: static, headers included as <folder/Header.h>.
# Usage: velt_add_library(target FOLDER folder [INTERFACE] SOURCES ...)
function(velt_add_library target)
  cmake_parse_arguments(ARG "INTERFACE" "FOLDER" "SOURCES" ${ARGN})
  velt_folder_include_root(${ARG_FOLDER} root)
  if(ARG_INTERFACE)
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${root})
  else()
    add_library(${target} STATIC ${ARG_SOURCES})
    target_include_directories(${target} PUBLIC ${root})
    velt_warnings(${target})
  endif()
endfunction()

function(velt_add_program target)
  add_executable(${target} ${ARGN})
  velt_warnings(${target})
endfunction()

# The run path of a program that is installed: its own folder (where Conduit
# lies in the build tree and in an unpacked folder) and the folder Conduit
# is installed to. The same path is written at build time, so installing
# rewrites nothing: to make room for such a rewrite, CMake pads the build
# tree's run path with empty entries, and the loader reads an empty entry
# as the current folder, where any library of the right name would be
# loaded in place of the system's.
function(velt_program_run_path target)
  set_target_properties(${target} PROPERTIES
    BUILD_WITH_INSTALL_RPATH ON
    INSTALL_RPATH "$ORIGIN:$ORIGIN/../${CMAKE_INSTALL_LIBDIR}/velt-studio")
endfunction()
