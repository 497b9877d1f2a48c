# Sourced by the build scripts from the checkout's top folder: VXR_LAUNCHER is the cmake option
# that compiles through ccache when it is installed (and none when it is not). The checkout's own
# paths are hashed relative to it (CCACHE_BASEDIR, fixed in the build folder by the launcher), so
# a clone in another folder, as CI makes for every run, finds the objects an earlier build left in
# the cache; the debug information names those paths relative too (-fdebug-prefix-map in
# CMakeLists.txt and fuzz/CMakeLists.txt), so an object is the same wherever it was compiled.
# The cache itself stays where ccache keeps it by default. VXR_CCACHE_SETTINGS, set before, adds
# ccache settings of the build's own (NAME=VALUE, separated by ";").
if command -v ccache >/dev/null 2>&1; then
  VXR_LAUNCHER=("-DCMAKE_CXX_COMPILER_LAUNCHER=env;CCACHE_BASEDIR=$(pwd -P);${VXR_CCACHE_SETTINGS:+$VXR_CCACHE_SETTINGS;}ccache")
else
  VXR_LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=)
fi
