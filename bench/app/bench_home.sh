# Sourced by the batch benchmarks: enters the work folder ($work, made when it is missing) and
# makes a program folder of the benchmark's own in it ($home): the build's engines, the seed data.
# Needs $here (the script's folder), $build and $work; prints the machine's cores, its load, and
# how many cores two busy programs really get now (a shared or throttled machine may give two
# programs no more time than one, and then no work done at once can be faster).
mkdir -p "$work"
work=$(cd "$work" && pwd)
cd "$work"
home=$work/home
mkdir -p "$home"
ln -sfn "$build/bin/Engine" "$home/Engine"
rm -rf "$home/Data" && cp -R "$here/../../SysDb/Data" "$home/Data"
usable=$( { /usr/bin/time -f %U sh -c 'timeout 2 sha1sum /dev/zero & timeout 2 sha1sum /dev/zero; wait'; } 2>&1 >/dev/null | tail -1)
echo "== machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg), two busy programs got $(awk -v u="$usable" 'BEGIN {printf "%.2f", u / 2}') cores; work folder $work"
