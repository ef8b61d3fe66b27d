# The oldest Windows each Windows build runs on, its floor: Windows XP SP3 (5.1) for the i686
# binaries, which also run as 32-bit processes on 64-bit Windows, and Windows XP Professional
# x64 Edition (5.2) for the x86_64 ones.
#
# - The Windows headers offer only what the floor has (_WIN32_WINNT, WINVER): a call of a newer
#   function does not compile. Where a newer function serves better, bind it at run time with
#   GetProcAddress and keep a path for the floor.
# - The PE headers name the floor as the operating-system and subsystem version: a loader older
#   than that refuses the file, one at or above it takes it.
# - What the binaries import is checked against what the floor's DLLs export
#   (tests/windows/check_floor.py), since Wine exports every function whatever version it reports.
if(NOT WIN32)
  return()
endif()

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QV_WINDOWS_FLOOR 0x0502)
  set(QV_WINDOWS_FLOOR_MAJOR 5)
  set(QV_WINDOWS_FLOOR_MINOR 2)
else()
  set(QV_WINDOWS_FLOOR 0x0501)
  set(QV_WINDOWS_FLOOR_MAJOR 5)
  set(QV_WINDOWS_FLOOR_MINOR 1)
endif()

add_compile_definitions(_WIN32_WINNT=${QV_WINDOWS_FLOOR} WINVER=${QV_WINDOWS_FLOOR})
add_link_options(
  -Wl,--major-os-version,${QV_WINDOWS_FLOOR_MAJOR},--minor-os-version,${QV_WINDOWS_FLOOR_MINOR}
  -Wl,--major-subsystem-version,${QV_WINDOWS_FLOOR_MAJOR}
  -Wl,--minor-subsystem-version,${QV_WINDOWS_FLOOR_MINOR})
