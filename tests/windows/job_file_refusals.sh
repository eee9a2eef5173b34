#!/usr/bin/env bash
# Job files the Windows program must refuse at once, each with its parse-error line, no
# file touched: devices named as job files (they would block a read), and hostile files
# that MSXML must never see (the markup guard's words, not MSXML's). A hang fails through
# the timeout. Usage: job_file_refusals.sh EXE (Wine set up by the caller).
set -euo pipefail
exe=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
cd "$dir"
head -c 200 /dev/zero >a.mp3
python3 - <<'PY'
def write(name, text):
    open(name, "w").write(text)
file = '<file oldName="a.mp3" newName="b.mp3" title="t"'
write("quadratic.xml", '<!DOCTYPE r [<!ENTITY x "%s">]><r>%s title2="%s"/></r>' % ("x" * 10000, file, "&x;" * 10000))
write("attributes.xml", "<r>" + file + "".join(' a%d=""' % i for i in range(100000)) + "/></r>")
write("value.xml", "<r>" + file + ' comment="' + "v" * (10 << 20) + '"/></r>')
write("deep.xml", "<r>" + "<d>" * 100000 + file + "/>" + "</d>" * 100000 + "</r>")
PY
refused() { echo "While parsing XML document '$1' an error $2 occurred on line $3 position $4: $5"; }
expected=$(
  for name in COM1 aux.xml com1.xml; do refused "$name" 0x800700DE 0 0 "Not a regular file"; done
  refused quadratic.xml 0x00000001 1 3 "Document type declarations are not accepted in job files"
  refused attributes.xml 0x00000001 1 7923 "Excessive number of attributes on an element: more than 1000"
  refused value.xml 0x00000028 1 10000061 "Attribute value longer than 10000000 bytes"
  refused deep.xml 0x00000001 1 770 "Excessive depth in document: 256"
)
status=0
actual=$(timeout 60 wine "$exe" COM1 aux.xml com1.xml quadratic.xml attributes.xml value.xml deep.xml </dev/null | tr -d '\r') ||
  { echo "job file refusals: the run failed or hung ($?)"; status=1; }
if [ "$actual" != "$expected" ]; then
  echo "job file refusals: expected"; echo "$expected"; echo "but got"; echo "$actual"; status=1
fi
[ -f a.mp3 ] && [ "$(wc -c <a.mp3)" -eq 200 ] && [ ! -e b.mp3 ] || { echo "job file refusals: a file was touched"; status=1; }
[ $status -eq 0 ] && echo "job file refusals: all refused at once"
exit $status
