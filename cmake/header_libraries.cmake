# The header-only libraries from Debian: nlohmann/json (nlohmann-json3-dev) and toml++
# (libtomlplusplus-dev). Their headers serve the cross builds too. Each is reached through a
# folder that holds nothing else: adding /usr/include itself would put the host's C headers
# before MinGW's.
include_guard(GLOBAL)

function(tagvetter_header_library target header folder)
  find_path(TAGVETTER_${target}_DIR ${header} PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(include ${CMAKE_BINARY_DIR}/header-libraries/${target})
  file(MAKE_DIRECTORY ${include})
  file(CREATE_LINK ${TAGVETTER_${target}_DIR}/${folder} ${include}/${folder} SYMBOLIC)
  add_library(${target} INTERFACE)
  target_include_directories(${target} SYSTEM INTERFACE ${include})
endfunction()

tagvetter_header_library(json_headers nlohmann/json.hpp nlohmann)
tagvetter_header_library(toml_headers toml++/toml.h toml++)
# toml++ without exceptions would report through return values; we use its exceptions.
target_compile_definitions(toml_headers INTERFACE TOML_HEADER_ONLY=1 TOML_EXCEPTIONS=1)
