# Sourced by the benchmark scripts: the build directory they were given, or build/default,
# built first with what it needs.
build_dir() {  # build_dir DIR|"" TARGET...: prints the build directory to use
  local dir=$1
  shift
  if [ -z "$dir" ]; then
    scripts/deps.sh >&2
    cmake --preset default >/dev/null
    cmake --build --preset default --target "$@" >&2
    dir=build/default
  fi
  echo "$dir"
}
