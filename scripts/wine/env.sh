# Sourced by the Wine scripts: the environment for running the Windows build under Wine with
# its own prefix inside the build folder. Usage: zor_wine_env BUILD_DIR
zor_wine_env() {
  local build
  build=$(cd "$1" && pwd) || return 1
  export ZOR_BUILD="$build"
  export WINEPREFIX="$build/wineprefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  # No Mono or Gecko installer prompts, no desktop entries written to the home folder.
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  export LANG=C.UTF-8
  unset LC_ALL
}
