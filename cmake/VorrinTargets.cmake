# Sources of a library are every .cpp below its folder; a new component folder needs no build edit.
function(vorrin_glob_sources out dir)
  file(GLOB_RECURSE _src CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c)
  set(${out} ${_src} PARENT_SCOPE)
endfunction()

# Shared libraries and programs of the install folder find each other through $ORIGIN.
function(vorrin_dist_target target)
  set_target_properties(${target} PROPERTIES
    BUILD_RPATH "$ORIGIN"
    INSTALL_RPATH "$ORIGIN"
    CXX_VISIBILITY_PRESET default)
endfunction()
