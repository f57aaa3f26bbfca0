#!/usr/bin/env bash
# Re-creates the ZIP fixtures of the exchange tests with the tools named in
# README.md (Info-ZIP zip, Python's zipfile, 7-Zip). Run from this folder.
set -euo pipefail
here=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# Files shaped like an exchange set: a manifest and a data packet.
printf '[TABLES]\r\nCode=35\r\nTables=1\r\nTable1=F2TPR1.xml\r\n' > TableList.inf
{
  printf '<?xml version="1.0" encoding="windows-1251"?><DATAPACKET><ROWDATA>'
  for i in $(seq 101 160); do printf '<ROW CA="%d" C1="%d.125" C2="0.000"/>' "$i" "$i"; done
  printf '</ROWDATA></DATAPACKET>'
} > F2TPR1.xml
mkdir -p sub/deeper
cp TableList.inf sub/TableList.inf
printf 'first\r\n' > sub/same.txt
printf 'second one\r\n' > sub/deeper/same.txt
printf 'locked\r\n' > locked.txt
chmod 444 locked.txt
printf 'secret content\r\n' > secret.txt
touch -d '2023-04-05 06:07:08' TableList.inf F2TPR1.xml locked.txt secret.txt \
  sub/TableList.inf sub/same.txt sub/deeper/same.txt

zip -q -X -0 "$here/infozip_stored.zip" TableList.inf F2TPR1.xml
zip -q -X -9 "$here/infozip_deflated.zip" TableList.inf F2TPR1.xml
printf 'Exchange set of 2023\n' | zip -q -X -z "$here/infozip_comment.zip" TableList.inf F2TPR1.xml
zip -q -X -r "$here/infozip_folders.zip" F2TPR1.xml sub
zip -q -X - TableList.inf F2TPR1.xml | cat > "$here/infozip_streamed.zip"
zip -q -X "$here/infozip_readonly.zip" locked.txt
zip -q -X "$here/infozip_encrypted.zip" TableList.inf
zip -q -X -P secret "$here/infozip_encrypted.zip" secret.txt
zip -q -X -Z bzip2 "$here/infozip_bzip2.zip" TableList.inf F2TPR1.xml
7z a -tzip -bd -bso0 "$here/7z_deflated.zip" TableList.inf F2TPR1.xml
7z a -tzip -mm=Copy -bd -bso0 "$here/7z_stored.zip" TableList.inf F2TPR1.xml
python3 "$here/make_python_fixtures.py" "$here"
