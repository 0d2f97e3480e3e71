# Sourced by the peer tests: enters a temporary folder (removed on exit) that
# holds the ESC/POS encoder from the committed lock file and the scripts named
# as arguments. Exits 77 (skip) where node or the npm registry is not at hand.
peer_workspace() {
  local here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  command -v node >/dev/null && command -v npm >/dev/null || { echo "node or npm not installed"; exit 77; }
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp "$here/package.json" "$here/package-lock.json" "$@" "$work/"
  cd "$work"
  if ! timeout 120 npm ci --silent --no-audit --no-fund >npm.log 2>&1; then
    echo "npm ci failed (registry not reachable?):"; tail -5 npm.log; exit 77
  fi
}
