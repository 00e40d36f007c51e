# Sourced by the seed scripts, whose one argument is OUTDIR: makes the seed folder $out, and
# "$work" (removed on exit) with the tree src/ every seed archive is packed from (a file, numbers,
# a Chinese name, an empty folder and a symbolic link), and enters that tree.
out=$(realpath -m "${1:?usage: $(basename "$0") OUTDIR}")
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "${work:?}"' EXIT
mkdir -p "$work/src/sub" "$work/src/empty" "$work/src/中文"
printf 'alpha\n' > "$work/src/a.txt"
seq 1 400 > "$work/src/sub/numbers.txt"
printf 'gbk or utf-8\n' > "$work/src/中文/名字.txt"
ln -s ../a.txt "$work/src/sub/link"
cd "$work/src"
