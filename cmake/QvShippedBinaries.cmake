# How the binaries that ship are built: to the same bytes from the same commit, lean, and with
# their debug information kept apart.
#
# - One time for the whole build, QV_SOURCE_DATE_EPOCH: the environment's SOURCE_DATE_EPOCH, or
#   else the time of the last commit. The linker and objcopy write it as the PE time stamp (both
#   read SOURCE_DATE_EPOCH), the version resources take their copyright year from it, and
#   scripts/package gives it to every archive member.
# - No build path in any output: the source and build folders are mapped to fixed names in debug
#   information and in __FILE__.
# - On Windows, each function and datum in a section of its own, and the linker drops what no
#   export or entry point reaches; the loader's safety flags set on every image.
# - qv_split_debug_info(<target>): the Windows binary is stripped after linking, its debug
#   information goes into <file>.debug beside it, and a debug link names that file.

function(qv_source_date_epoch out_var)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch "$ENV{SOURCE_DATE_EPOCH}")
  else()
    execute_process(COMMAND git -C "${PROJECT_SOURCE_DIR}" log -1 --format=%ct
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET RESULT_VARIABLE failed)
    if(failed OR epoch STREQUAL "")
      # A source tree without its history: a fixed time rather than today's.
      message(WARNING "Neither SOURCE_DATE_EPOCH nor a git commit: time stamps are 1980-01-01")
      set(epoch 315532800)
    endif()
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "SOURCE_DATE_EPOCH must be seconds since 1970, not '${epoch}'")
  endif()
  set(${out_var} ${epoch} PARENT_SCOPE)
endfunction()

qv_source_date_epoch(QV_SOURCE_DATE_EPOCH)
# string(TIMESTAMP) reads SOURCE_DATE_EPOCH too.
set(qv_saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} ${QV_SOURCE_DATE_EPOCH})
string(TIMESTAMP QV_SOURCE_YEAR "%Y" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${qv_saved_epoch}")

# The build folder usually lies inside the source folder, and GCC tries the map given last
# first: the build folder's comes last. Without a trailing slash, the maps also fit the
# folders themselves, which debug information names as where each unit was compiled.
add_compile_options(
  "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=qvsupport"
  "-ffile-prefix-map=${PROJECT_BINARY_DIR}=qvsupport-build")

set(qv_with_epoch ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${QV_SOURCE_DATE_EPOCH})
set(CMAKE_C_LINKER_LAUNCHER ${qv_with_epoch})
set(CMAKE_CXX_LINKER_LAUNCHER ${qv_with_epoch})

if(WIN32)
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections)
  # What the loader may do with every image: place it anywhere, never execute its data, and on
  # x64 anywhere in the 64-bit address space. This linker sets them by default; naming them
  # keeps them whatever a later default or toolchain does.
  add_link_options(-Wl,--dynamicbase -Wl,--nxcompat)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    add_link_options(-Wl,--high-entropy-va)
  endif()
endif()

function(qv_split_debug_info target)
  set(binary $<TARGET_FILE:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${qv_with_epoch} ${CMAKE_OBJCOPY} --only-keep-debug ${binary} ${binary}.debug
    COMMAND ${qv_with_epoch} ${CMAKE_OBJCOPY} --strip-all
      --add-gnu-debuglink=${binary}.debug ${binary}
    WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
    COMMENT "Stripping $<TARGET_FILE_NAME:${target}>; its debug information goes into .debug"
    VERBATIM)
endfunction()
