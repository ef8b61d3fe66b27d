# The version of the CMake project is the only place the version is set. This turns it into the
# header that the version resources include, and gives Windows targets their resource.
if(PROJECT_VERSION_TWEAK STREQUAL "")
  set(qv_version_tweak 0)
else()
  set(qv_version_tweak ${PROJECT_VERSION_TWEAK})
endif()
set(QV_GENERATED_DIR ${PROJECT_BINARY_DIR}/generated)
configure_file(${PROJECT_SOURCE_DIR}/resources/version.h.in ${QV_GENERATED_DIR}/qv_version.h @ONLY)

# Adds resources/<rc_name> to a Windows target; it includes the generated qv_version.h.
function(qv_add_version_resource target rc_name)
  set(rc_file ${PROJECT_SOURCE_DIR}/resources/${rc_name})
  set_source_files_properties(${rc_file} TARGET_DIRECTORY ${target} PROPERTIES
    INCLUDE_DIRECTORIES ${QV_GENERATED_DIR}
    OBJECT_DEPENDS "${QV_GENERATED_DIR}/qv_version.h;${PROJECT_SOURCE_DIR}/resources/version_info.rc.inc")
  target_sources(${target} PRIVATE ${rc_file})
endfunction()
