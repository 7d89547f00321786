# One static library per layer folder, and include paths that follow the links.
#
# Every layer folder is reachable through a directory of its own in the build tree
# (layers/<name>/<name> -> the source folder), which is the only include directory the
# layer exports. A target therefore finds "core/logo.h" only when it links zarpo2_core,
# directly or through a layer above it; an include that reaches up a layer fails.

# Makes <folder>'s headers visible to target as "<folder>/...".
function(zarpo2_layer_headers target folder)
  set(root ${PROJECT_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PRIVATE ${root})
endfunction()

# zarpo2_layer(<folder> [<lower folder>...]): library zarpo2_<folder> of the folder's
# sources, linking the named lower layers.
function(zarpo2_layer folder)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/*.cpp)
  add_library(zarpo2_${folder} STATIC ${sources})
  set(root ${PROJECT_BINARY_DIR}/layers/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${root}/${folder} SYMBOLIC)
  target_include_directories(zarpo2_${folder} PUBLIC ${root})
  foreach(lower ${ARGN})
    target_link_libraries(zarpo2_${folder} PUBLIC zarpo2_${lower})
  endforeach()
endfunction()
