# Sourced by the build scripts: compiled objects are shared between build folders and clones of the
# project in other places (paths below the project are hashed relative to it, the build folder is
# not hashed), so a second build of the same sources costs little.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
export CCACHE_NOHASHDIR=true
export CCACHE_SLOPPINESS="${CCACHE_SLOPPINESS:-include_file_mtime,include_file_ctime,time_macros}"
