# Sourced by the batch benchmarks after bench_home.sh: the benchmark batch in the work folder,
# made once and kept between runs: $items generated trees (trees/) and each packed as ZIP, 7z and
# RAR by the raw tools (corpus/<format>/).
[ -d trees ] || python3 "$here/make_corpus.py" trees "$items"
mkdir -p corpus/zip corpus/7z corpus/rar
for tree in trees/*; do
  name=$(basename "$tree")
  [ -f "corpus/zip/$name.zip" ] || (cd "$tree" && zip -q -r -6 "$work/corpus/zip/$name.zip" .)
  [ -f "corpus/7z/$name.7z" ] || (cd "$tree" && 7z a -bd "$work/corpus/7z/$name.7z" . >/dev/null)
  [ -f "corpus/rar/$name.rar" ] || rar a -idq -r -ep1 "$work/corpus/rar/$name.rar" "$tree/*"
done
