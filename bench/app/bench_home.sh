# Sourced by the batch benchmarks: enters the work folder ($work, made when it is missing) and
# makes a program folder of the benchmark's own in it ($home): the build's engines, the seed data.
# Needs $here (the script's folder), $build and $work; prints the machine's cores and load.
mkdir -p "$work"
work=$(cd "$work" && pwd)
cd "$work"
home=$work/home
mkdir -p "$home"
ln -sfn "$build/bin/Engine" "$home/Engine"
rm -rf "$home/Data" && cp -R "$here/../../SysDb/Data" "$home/Data"
echo "== machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg); work folder $work"
