#!/usr/bin/env bash
# Whole runs of the Linux program and of the Windows program under Wine over the same job
# files: time per entry and peak memory of the program's own process (bench/process_sample.py),
# for generated job files in the plain form and, with the same entries, in UTF-16 (read by
# the XML library), and the hostile set each program must refuse at once. Entries have no
# oldName, so each ends at once with a message and the run measures the reading.
#
#   bench/wine_reader_bench.sh LINUX_VELKOR VELKOR_EXE [ENTRIES...]   (default: 100000 1000000)
# Needs build/bench/reader_bench (the job generator) and Wine set up as scripts/checks.d/windows.sh does.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
linux=$1 windows=$2
shift 2
sizes=("${@:-100000 1000000}")
[ $# -gt 0 ] || sizes=(100000 1000000)
work=$(mktemp -d /tmp/velkor-reader-bench.XXXXXX)  # its name marks this run's processes
trap 'rm -rf "$work"' EXIT
cd "$work"
# The job file goes by its whole path: the process sampled is the one whose command line holds it.
sample() { python3 "$root/bench/process_sample.py" "${@:1:$#-1}" "$work/${!#}"; }

echo "== hostile job files (each must be refused at once)"
python3 - <<'PY'
def write(name, text):
    open(name, "w").write(text)
write("quadratic.xml", '<!DOCTYPE r [<!ENTITY x "%s">]><r><file oldName="a.mp3" title="%s"/></r>' % ("x" * 10000, "&x;" * 10000))
write("attributes.xml", '<r><file oldName="a.mp3"' + "".join(' a%d=""' % i for i in range(100000)) + "/></r>")
write("value.xml", '<r><file oldName="a.mp3" title="' + "a" * (10 << 20) + '"/></r>')
write("deep.xml", "<r>" + "<d>" * 100000 + '<file oldName="a.mp3"/>' + "</d>" * 100000 + "</r>")
write("trivial.xml", '<r><file title="x"/></r>')
PY
for job in trivial quadratic attributes value deep; do
  printf '%-11s linux: %s\n' "$job" "$(sample velkor "$linux" $job.xml)"
  printf '%-11s wine:  %s\n' "$job" "$(sample velkor.exe wine "$windows" $job.xml)"
done

for entries in "${sizes[@]}"; do
  "$root/build/bench/reader_bench" --write "$entries" generated.xml >/dev/null
  sed 's/ oldName="[^"]*"//' generated.xml > plain-$entries.xml
  python3 -c "import sys; open(sys.argv[2], 'wb').write(open(sys.argv[1], encoding='utf-8').read().replace('encoding=\"UTF-8\"', 'encoding=\"UTF-16\"').encode('utf-16'))" plain-$entries.xml utf16-$entries.xml
  for form in plain utf16; do
    for side in linux wine; do
      if [ $side = linux ]; then line=$(sample velkor "$linux" $form-$entries.xml); else line=$(sample velkor.exe wine "$windows" $form-$entries.xml); fi
      cpu=$(sed 's/.*cpu \([0-9.]*\) s.*/\1/' <<<"$line")
      printf '%8d %-6s %-6s %s  %.2f us/entry\n' "$entries" $form $side "$line" "$(echo "$cpu * 1000000 / $entries" | bc -l)"
    done
  done
done
