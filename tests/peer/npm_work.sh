# Sourced by the peer tests: moves into a scratch folder (removed on exit) where
# the encoder is installed from the committed lock file, or exits 77 (skipped)
# when node, npm or the registry is not at hand. Needs `here`, the test folder.
command -v node >/dev/null && command -v npm >/dev/null || { echo "node or npm not installed"; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$here/package.json" "$here/package-lock.json" "$here/make_peer_job.mjs" "$work/"
cd "$work"
if ! timeout 120 npm ci --silent --no-audit --no-fund >npm.log 2>&1; then
  echo "npm ci failed (registry not reachable?):"; tail -5 npm.log; exit 77
fi
