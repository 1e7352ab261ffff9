# Shared by the scripts (sourced): which Windows build this machine can run,
# how a step that fails says what failed, and Wine's session for a build.

# Whether this machine runs 32-bit code, found out once by starting Wine's
# 32-bit loader: it fails with "Exec format error" where the kernel runs no
# 32-bit code (or cannot be found). On failure TOOLS_NO_I686 holds the reason.
TOOLS_NO_I686=
runs_i686() {
  if [ -z "${TOOLS_I686_PROBED:-}" ]; then
    TOOLS_I686_PROBED=1
    if ! timeout 1 /usr/lib/wine/wine --version >/dev/null 2>&1; then
      if [ -e /usr/lib/wine/wine ]; then
        TOOLS_NO_I686="this machine runs no 32-bit code"
      else
        TOOLS_NO_I686="Wine's 32-bit loader is not installed"
      fi
    fi
  fi
  [ -z "$TOOLS_NO_I686" ]
}

# Sets TOOLS_PRESET to the Windows build that runs here: the shipped 32-bit
# one (win32) where it can, else the 64-bit build of the same sources (win64).
pick_runnable_build() {
  if runs_i686; then TOOLS_PRESET=win32; else TOOLS_PRESET=win64; fi
}

# die <what>: says what failed, on standard error, and ends the script.
die() {
  echo "$(basename "$0"): FAILED: $*" >&2
  exit 1
}

# step <what> <command...>: runs a command with its output in a log; if it
# fails, shows the log's end and ends the script with a message that says what.
step() {
  what=$1
  shift
  step_log=$(mktemp)
  if ! "$@" >"$step_log" 2>&1; then
    tail -20 "$step_log" >&2
    rm -f "$step_log"
    die "$what"
  fi
  rm -f "$step_log"
}

# build_targets <preset> <what> <target...>: configures a preset and builds
# the targets; a failure says which step and shows its log's end.
build_targets() {
  bt_preset=$1
  bt_what=$2
  shift 2
  step "configuring the $bt_preset build" cmake --preset "$bt_preset"
  step "building $bt_what ($bt_preset)" cmake --build --preset "$bt_preset" --target "$@"
}

# wine_session <build-dir> [prefix-dir]: Wine's environment of a Windows build
# (its loader; its private prefix, or the given one), the prefix made, and
# one Wine server that serves the rest of the script and ends with it. Keys
# below HKEY_USERS and a demo's windows live only as long as that server.
wine_session() {
  . "$1/wine-env.sh"
  [ $# -lt 2 ] || export WINEPREFIX="$2"
  [ -n "${TOOLS_SOURCE_DIR:-}" ] || die "$1 was configured by an older version: run cmake --preset again"
  step "making the Wine prefix $WINEPREFIX" "$TOOLS_SOURCE_DIR/scripts/wine-prefix.sh" "$1" "$WINEPREFIX"
  # A server that runs already (another script's, on the same prefix) is
  # used and left running.
  if wineserver -p >/dev/null 2>&1; then
    trap 'wineserver -k 2>/dev/null; wineserver -w' EXIT
  fi
}

# winpath <linux-path>: the path as Wine's programs name it (drive Z:).
winpath() {
  printf '%s\n' "Z:$1" | tr / '\\'
}
