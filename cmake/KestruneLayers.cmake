# Each library exposes only its own headers. Its include folder in the build tree holds one link,
# named after the library's folder, to that folder, so "image/geometry.h" is found only by targets
# that link the image library: an include that skips a layer does not build.
function(kestrune_own_headers target scope)
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    set(root ${PROJECT_BINARY_DIR}/include/${folder})
    file(MAKE_DIRECTORY ${root})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${root}/${folder} SYMBOLIC)
    target_include_directories(${target} ${scope} ${root})
endfunction()
