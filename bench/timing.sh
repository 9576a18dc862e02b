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

# `bench_rows COLS ROWS SEED` prints the rows of the bench grid: depths and
# heights with two decimals, every row the row before it turned by one
# column, so that the text is no simple repetition.
bench_rows() {
  awk -v cols="$1" -v rows="$2" -v seed="$3" 'BEGIN {
    srand(seed)
    for (c = 0; c < cols; ++c) v[c] = sprintf("%.2f", rand() * 9000 - 6000)
    for (r = 0; r < rows; ++r) {
      line = v[r % cols]
      for (c = 1; c < cols; ++c) line = line " " v[(c + r) % cols]
      print line
    }
  }'
}
