# Install rules for every preset: the trees that scripts/package stages and packs.
#
#   Windows (win32, win64): a flat tree, as an installer author copies it
#     qvsupport.dll  qvtool.exe  README.md  docs/  examples/  SHA256SUMS
#     msi/<x86|x64>/qvsupport_msi.dll   the custom actions for Windows Installer packages
#   (scripts/package adds the other architecture's msi/ module to the win32 tree)
#   Linux (linux, linux-asan):
#     bin/qvtool  lib/libqvsupport.so  include/qvsupport.h  README.md  docs/  examples/  SHA256SUMS
#
# qvtool links the library statically, so the installed tool runs without the .so.
if(WIN32)
  set(qv_install_bin .)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(qv_package_system win64)
    set(qv_msi_arch x64)
  else()
    set(qv_package_system win32)
    set(qv_msi_arch x86)
  endif()
  # Only the module: its import library is of no use to an installer.
  install(TARGETS qvsupport RUNTIME DESTINATION ${qv_install_bin})
  install(TARGETS qvsupport_msi RUNTIME DESTINATION msi/${qv_msi_arch})
else()
  set(qv_install_bin bin)
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" qv_package_system)
  install(TARGETS qvsupport LIBRARY DESTINATION lib)
  install(FILES ${PROJECT_SOURCE_DIR}/exports/public/qvsupport.h DESTINATION include)
endif()
if(TARGET qvtool)
  install(TARGETS qvtool RUNTIME DESTINATION ${qv_install_bin})
endif()

install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION docs)
install(FILES ${PROJECT_SOURCE_DIR}/tools/qvtool/README.md DESTINATION docs RENAME QVTOOL.md)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION examples)

# SHA256SUMS lists every file installed so far (this runs last), in `sha256sum -c` form.
# The manifest names files without DESTDIR; they are read and written under it.
install(CODE [[
  set(qv_sums "")
  set(qv_files ${CMAKE_INSTALL_MANIFEST_FILES})
  list(SORT qv_files)
  foreach(qv_file IN LISTS qv_files)
    file(RELATIVE_PATH qv_relative "${CMAKE_INSTALL_PREFIX}" "${qv_file}")
    if(qv_relative STREQUAL "SHA256SUMS")
      continue()
    endif()
    file(SHA256 "$ENV{DESTDIR}${qv_file}" qv_hash)
    string(APPEND qv_sums "${qv_hash}  ${qv_relative}\n")
  endforeach()
  set(qv_sums_file "${CMAKE_INSTALL_PREFIX}/SHA256SUMS")
  message(STATUS "Writing: $ENV{DESTDIR}${qv_sums_file}")
  file(WRITE "$ENV{DESTDIR}${qv_sums_file}" "${qv_sums}")
  list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${qv_sums_file}")
]])

# Installing needs only the installed targets built (scripts/package builds them), not every
# test, benchmark and fuzzer of the tree.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
