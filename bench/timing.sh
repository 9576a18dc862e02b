# Sourced by the benchmark scripts: `best CMD...` prints the best wall time in
# seconds of CMD over $runs runs (the machine is noisy; the best run is the
# one least disturbed).
best() {
  local best_ns=
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s%N)
    "$@"
    end=$(date +%s%N)
    local ns=$((end - start))
    if [ -z "$best_ns" ] || [ "$ns" -lt "$best_ns" ]; then best_ns=$ns; fi
  done
  awk -v ns="$best_ns" 'BEGIN { printf "%.3f", ns / 1e9 }'
}
