# The version resource that Windows shows in a program's Properties (product, version,
# description, copyright), made from the project's version.
#   tagvetter_version_resource(TARGET FILE_NAME DESCRIPTION)
function(tagvetter_version_resource target file_name description)
  set(VERSION_FILE_NAME ${file_name})
  set(VERSION_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${file_name}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
