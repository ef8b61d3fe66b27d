# The 32-bit product's test programs run in an emulated x86-64 guest (scripts/guest-run): this
# machine's kernel runs no 32-bit code, and Wine's 32-bit loader runs only there. One guest run
# per ctest run (the fixture test guest.run) makes two Wine environments and runs every
# registered program in each:
#   win32  32-bit Windows: a WINEARCH=win32 prefix
#   wow64  64-bit Windows with the programs as 32-bit processes: a win64 prefix made by wine64,
#          the programs started by the 32-bit loader
# Each program and environment is a ctest test of its own, i686.<environment>.<name>, which
# reports what the guest recorded for it (tests/windows/guest_result.py): its exit status and its
# log. A program that did not run is never reported as passed.

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QV_GUEST_DIR ${PROJECT_BINARY_DIR}/guest)
set(QV_GUEST_ENVIRONMENTS win32 wow64)
set_property(GLOBAL PROPERTY QV_GUEST_MANIFEST "")

# qv_add_guest_test(NAME name [XP] [ENVIRONMENTS env...] [TIMEOUT seconds] COMMAND program args...)
#   NAME          the test's name in both environments
#   XP            runs after the environment reports the XP generation (winxp, or winxp64 under
#                 WOW64) instead of Wine's default version
#   ENVIRONMENTS  win32, wow64 or both (the default)
#   TIMEOUT       seconds the guest gives the program (default 300)
#   COMMAND       a Windows program (.exe, run with wine-run in the environment's prefix) or a
#                 script run as it is; generator expressions are allowed. In its arguments
#                 @WINE_RUN@ stands for scripts/wine-run, @PREFIX@ for the environment's prefix
#                 and @WORK@ for a fresh directory of the test's own, which is also the current
#                 directory. A script finds the environment's kind in QV_WINE_ARCH.
function(qv_add_guest_test)
  cmake_parse_arguments(ARG "XP" "NAME;TIMEOUT" "ENVIRONMENTS;COMMAND" ${ARGN})
  if(NOT ARG_ENVIRONMENTS)
    set(ARG_ENVIRONMENTS ${QV_GUEST_ENVIRONMENTS})
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set(version default)
  if(ARG_XP)
    set(version xp)
  endif()
  list(JOIN ARG_ENVIRONMENTS "," environments)
  list(JOIN ARG_COMMAND "\t" command)
  set_property(GLOBAL APPEND_STRING PROPERTY QV_GUEST_MANIFEST
    "${ARG_NAME}\t${environments}\t${version}\t${ARG_TIMEOUT}\t${command}\n")
  foreach(environment ${ARG_ENVIRONMENTS})
    set(test i686.${environment}.${ARG_NAME})
    add_test(NAME ${test}
      COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tests/windows/guest_result.py
        --results ${QV_GUEST_DIR}/results --environment ${environment} --test ${ARG_NAME})
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED guest_run SKIP_RETURN_CODE 77
      TIMEOUT 60)
  endforeach()
endfunction()

# The manifest of every registered program and the one guest run that executes them. Called
# once, after every directory has registered its programs.
function(qv_add_guest_stage)
  get_property(manifest GLOBAL PROPERTY QV_GUEST_MANIFEST)
  file(GENERATE OUTPUT ${QV_GUEST_DIR}/manifest.tsv CONTENT "${manifest}")
  # Boot, two prefixes made side by side, every program: about ten minutes on two busy cores.
  set(QV_GUEST_TIMEOUT 1800 CACHE STRING "Seconds the whole guest run may take")
  add_test(NAME guest.run
    COMMAND Python3::Interpreter ${PROJECT_SOURCE_DIR}/tests/windows/guest_stage.py
      --guest-run ${PROJECT_SOURCE_DIR}/scripts/guest-run --wine-run ${PROJECT_SOURCE_DIR}/scripts/wine-run
      --manifest ${QV_GUEST_DIR}/manifest.tsv --work ${QV_GUEST_DIR} --timeout ${QV_GUEST_TIMEOUT})
  math(EXPR ctest_timeout "${QV_GUEST_TIMEOUT} + 120")
  set_tests_properties(guest.run PROPERTIES FIXTURES_SETUP guest_run SKIP_RETURN_CODE 77
    TIMEOUT ${ctest_timeout})
endfunction()
