# Sourced by the scripts that run the program on an X server of its own (screenshots.sh,
# page-shots.sh, screen-reader.sh): the tools they need, the program built, a work folder
# that keeps the runs' journal and settings out of the user's own, and simulated controllers.
# Sourced first: it moves to the top of the tree and sets $build (BUILD_DIR, default build) and
# $self; the scripts call begin_session before they start simulators.
set -euo pipefail
self=$(realpath "$0")
cd "$(dirname "$self")/.."
build=${BUILD_DIR:-build}

# The window manager, so that windows get frames and titles; its process id in $wm.
start_window_manager() {
  openbox >/dev/null 2>&1 &
  wm=$!
  sleep 0.5
}

# Installs the Debian packages of the tools that are missing; each argument is tool:package
# (a tool found in /usr/libexec counts), or =package for a package needed whatever is there.
install_missing() {
  local need=() item
  for item in "$@"; do
    [ -n "$item" ] || continue
    case "$item" in
      =*) need+=("${item#=}") ;;
      *) command -v "${item%%:*}" >/dev/null || [ -x "/usr/libexec/${item%%:*}" ] ||
        need+=("${item#*:}") ;;
    esac
  done
  [ ${#need[@]} -gt 0 ] || return 0
  local as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${need[@]}"
}

build_program() {
  [ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" >/dev/null
  cmake --build "$build" -j2 --target trnsetup trnsim english chinese translations >/dev/null
}

# A work folder, removed with the simulators at the end.
begin_session() {
  sims=""
  work=$(mktemp -d)
  trap end_session EXIT
  export XDG_DATA_HOME=$work/data XDG_CONFIG_HOME=$work/config
  unset TRNSETUP_HISTORY
}
end_session() {
  # shellcheck disable=SC2086
  [ -z "$sims" ] || kill $sims 2>/dev/null || true
  rm -rf "$work"
}

# Saves the frame of the newest visible window of process $1 whose title matches $2 into $3;
# a window replaced while it is found is searched again.
shoot() {
  local id
  for _ in 1 2 3; do
    id=$(timeout 20 xdotool search --sync --onlyvisible --pid "$1" --name "$2" | tail -n1) || break
    xdotool windowactivate --sync "$id" 2>/dev/null || true
    sleep 0.8 # let it paint
    timeout 10 import -frame -window "$id" "$3" 2>/dev/null && return 0
  done
  echo "$(basename "$0"): no window '$2'" >&2
  return 1
}

# Starts a simulated controller with image file $work/$1.bin; sets $device to its port.
start_simulator() {
  "$build/bin/trnsim" --image "$work/$1.bin" >"$work/$1.device" 2>>"$work/trnsim.log" &
  sims="$sims $!"
  for _ in $(seq 50); do [ -s "$work/$1.device" ] && break; sleep 0.1; done
  device=$(head -n1 "$work/$1.device")
  [ -n "$device" ] || { echo "trnsim did not start:" >&2; cat "$work/trnsim.log" >&2; exit 1; }
}
