# The version resource of a product module: the project's VERSION, and the
# source revision as its build number (the count of commits, with the
# abbreviated commit name in "Comments"). Windows compiles a real
# VS_VERSIONINFO with the resource compiler; Linux links the same block,
# written at build time by version_block_gen, which registers it with the
# platform layer. The revision is read when CMake configures; a commit or a
# checkout makes the next build configure again.

function(_vdi_git out)
  execute_process(COMMAND git ${ARGN} WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                  OUTPUT_VARIABLE value RESULT_VARIABLE rc ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    set(value "")
  endif()
  set(${out} "${value}" PARENT_SCOPE)
endfunction()

function(vdi_add_version_resource target file_name description)
  _vdi_git(build rev-list --count HEAD)
  _vdi_git(revision rev-parse --short HEAD)
  if(NOT build MATCHES "^[0-9]+$")
    set(build 0)
  endif()
  if(revision STREQUAL "")
    set(revision "unknown")
  endif()
  foreach(f HEAD logs/HEAD)
    if(EXISTS ${CMAKE_SOURCE_DIR}/.git/${f})
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/.git/${f})
    endif()
  endforeach()

  set(VDI_VERSION_MAJOR ${PROJECT_VERSION_MAJOR})
  set(VDI_VERSION_MINOR ${PROJECT_VERSION_MINOR})
  set(VDI_VERSION_PATCH ${PROJECT_VERSION_PATCH})
  set(VDI_BUILD_NUMBER ${build})
  set(VDI_PRODUCT_VERSION "${PROJECT_VERSION}")
  set(VDI_FILE_VERSION "${PROJECT_VERSION}.${build}")
  set(VDI_REVISION "${revision}")
  set(VDI_FILE_NAME "${file_name}")
  set(VDI_DESCRIPTION "${description}")
  set(VDI_INTERNAL_NAME "${target}")
  if(WIN32)
    set(VDI_TARGET_PLATFORM "Win32")
  else()
    set(VDI_TARGET_PLATFORM "Linux")
  endif()

  set(${target}_BUILD_NUMBER ${VDI_BUILD_NUMBER} PARENT_SCOPE)
  set(${target}_FILE_VERSION ${VDI_FILE_VERSION} PARENT_SCOPE)

  if(WIN32)
    enable_language(RC)
    configure_file(${CMAKE_SOURCE_DIR}/cmake/version_resource.rc.in
                   ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc @ONLY)
    target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  else()
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_block.cpp)
    add_custom_command(OUTPUT ${out}
      COMMAND version_block_gen ${out} ${VDI_FILE_VERSION} ${VDI_PRODUCT_VERSION}
              "Build Number=${VDI_BUILD_NUMBER}" "CompanyName=Tarnwell Corp"
              "LegalCopyright=Copyright (C) Tarnwell Corp" "OriginalFilename=${VDI_FILE_NAME}"
              "ProductName=Tarnwell VDI Endpoint Agent" "Target Platform=${VDI_TARGET_PLATFORM}"
              "ProductVersion=${VDI_PRODUCT_VERSION}" "Comments=revision ${VDI_REVISION}"
              "FileVersion=${VDI_FILE_VERSION}" "FileDescription=${VDI_DESCRIPTION}"
              "InternalName=${VDI_INTERNAL_NAME}"
      DEPENDS version_block_gen
      COMMENT "Version resource block of ${target}"
      VERBATIM)
    target_sources(${target} PRIVATE ${out})
  endif()
endfunction()
