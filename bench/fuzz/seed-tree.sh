# Sourced by the seed scripts: makes "$work" (removed on exit) and in it the tree src/ every seed
# archive is packed from: a file, numbers, a Chinese name, an empty folder and a symbolic link.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/src/sub" "$work/src/empty" "$work/src/中文"
printf 'alpha\n' > "$work/src/a.txt"
seq 1 400 > "$work/src/sub/numbers.txt"
printf 'gbk or utf-8\n' > "$work/src/中文/名字.txt"
ln -s ../a.txt "$work/src/sub/link"
