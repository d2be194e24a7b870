#!/bin/bash
# scripts/compare_outputs.sh BUILD OUTDIR: the shipped report's outputs (prepared pages, PDF,
# spreadsheet, RTF, PNG pages, page list, resaved document) over the seed log and a generated
# log of 3,000 readings, with the moments of creation masked, so that the outputs of two
# builds can be compared byte for byte (cmp, diff -r).
set -e
B=$(realpath "$1"); mkdir -p "$2"; O=$(realpath "$2")
T=$B/bin/valmoro-report
R=$B/../data/Raport.fr3
SEED=$B/bin/Dane/Valmoro.db
GEN=$O/gen.db
if [ ! -f $GEN ]; then
/usr/bin/python3 - "$GEN" <<'PY'
import sqlite3
import sys
c=sqlite3.connect(sys.argv[1])
c.execute("CREATE TABLE Wpisy (Identyfikator INTEGER PRIMARY KEY AUTOINCREMENT, Data DATETIME, Modul VARCHAR(30), Punkt VARCHAR(30), Temperatura DOUBLE, Wilgotnosc DOUBLE, Pracownik VARCHAR(50))")
c.execute("INSERT INTO Wpisy (Data, Modul, Punkt, Temperatura, Wilgotnosc, Pracownik) WITH RECURSIVE c(x) AS (SELECT 0 UNION ALL SELECT x + 1 FROM c WHERE x < 2999) SELECT datetime('2024-01-01 00:00:00', '+' || (x * 300) || ' seconds'), 'Magazyn', CASE x % 3 WHEN 0 THEN 'Rampa' WHEN 1 THEN 'Chłodnia ąęłń' ELSE 'Hala' END, round(-5 + (x % 300) / 10.0, 2), round(40 + (x % 500) / 10.0, 2), 'Jan Żółć' FROM c")
c.commit()
PY
fi
MOD=$(/usr/bin/python3 -c "import sqlite3;print(sqlite3.connect('$SEED').execute('select Modul from Wpisy limit 1').fetchone()[0])")
for db in seed gen; do
  if [ $db = seed ]; then D=$SEED; M="$MOD"; else D=$GEN; M=Magazyn; fi
  $T prepare $R --database $D --module "$M" -o $O/$db.fp3 > $O/$db.prepare.txt
  $T export --format pdf $R --database $D --module "$M" -o $O/$db.pdf > /dev/null
  $T export --format xlsx $R --database $D --module "$M" -o $O/$db.xlsx > /dev/null
  $T export --format rtf $R --database $D --module "$M" -o $O/$db.rtf > /dev/null
  $T export --format pdf $O/$db.fp3 -o $O/$db.from-fp3.pdf > /dev/null
  $T render $O/$db.fp3 --pages 1-3 --dpi 96 -o $O/$db.png > /dev/null
  $T pages $O/$db.fp3 > $O/$db.pages.txt
done
$T resave $R $O/resaved.fr3
# masks: moments of creation and file identifiers
cd $O
for f in *.pdf; do /usr/bin/python3 - "$f" <<'PY'
import sys,re
p=sys.argv[1]; b=open(p,'rb').read()
b=re.sub(rb'/(CreationDate|ModDate) *(\([^)]*\)|<[0-9A-Fa-f]*>)', lambda m: b'/'+m.group(1)+b'(MASK)', b)
b=re.sub(rb'/ID *\[ *<[0-9A-Fa-f]*> *<[0-9A-Fa-f]*> *\]', b'/ID[MASK]', b)
open(p+'.masked','wb').write(b)
PY
done
for f in *.rtf; do /usr/bin/python3 -c "
import re,sys;b=open('$f','rb').read();b=re.sub(rb'\\\\creatim[^}]*',b'CREATIM',b);open('$f.masked','wb').write(b)"; done
for f in *.xlsx; do rm -rf $f.d; mkdir $f.d; (cd $f.d && unzip -q ../$f); sed -i -E 's#<dcterms:(created|modified)[^>]*>[^<]*</dcterms:(created|modified)>#MASK#g' $f.d/docProps/core.xml; done
