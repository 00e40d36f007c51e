# Sourced by the benchmarks after bench_home.sh: the benchmark batch in the work folder, made
# once and kept between runs: $items generated trees (trees/) and each packed by the raw tools
# (corpus/<format>/) in every format of $corpus_formats (default "zip 7z rar").
[ -d trees ] || python3 "$(dirname "${BASH_SOURCE[0]}")/make_corpus.py" trees "$items"
for format in ${corpus_formats:-zip 7z rar}; do
  mkdir -p "corpus/$format"
  for tree in trees/*; do
    archive=$work/corpus/$format/$(basename "$tree").$format
    [ -f "$archive" ] && continue
    case $format in
      zip) (cd "$tree" && zip -q -r -6 "$archive" .) ;;
      7z) (cd "$tree" && 7z a -bd "$archive" . >/dev/null) ;;
      rar) rar a -idq -r -ep1 "$archive" "$tree/*" ;;
    esac
  done
done
