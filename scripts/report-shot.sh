#!/usr/bin/env bash
# Photographs the usage report as a browser shows it, into
# docs/usage-report.png: a month's record of a terminal server made up
# here, "Quorlan.exe /report" run on it under Wine, and the page opened in
# Debian's Chromium without a window.
set -euo pipefail
source "$(dirname "$0")/common.sh"
cd "$repo"
command -v chromium >/dev/null || scripts/bootstrap.sh --pictures
picture_setup report-shot :97

# The record where an installed Quorlan keeps it, C:\ProgramData\Quorlan of
# the prefix (made by its first program).
run cmd.exe /c exit 0
data=$QL_WINE_HOME/prefix-$wine_session_arch/drive_c/ProgramData/Quorlan
rm -rf "$work/run" "$data"
mkdir -p "$work/run" "$data"
cp "$bin/Quorlan.exe" "$work/run/"
printf '[BasicSetUp]\r\nMax.Session=2\r\n' > "$data/Quorlan.ini"
# Nine users of one server over the last 30 days, working days only; the
# same every time for the same day.
python3 - "$data/Quorlan.usage.csv" <<'PY'
import datetime, random, sys
random.seed(25)
users = ["CORP\\ana.ruiz", "CORP\\ben.okafor", "CORP\\chen.li", "CORP\\dana.kay", "CORP\\eli.novak",
         "CORP\\farah.aziz", "CORP\\gus.berg", "CORP\\hana.sato", "CORP\\ivan.petrov"]
today = datetime.date.today()
lines = ["program,user,logon_session,machine,found,ended,how\r\n"]
stamp = lambda t: t.strftime("%Y-%m-%d %H:%M:%S")
for back in range(29, -1, -1):
    day = today - datetime.timedelta(days=back)
    if day.weekday() >= 5:
        continue
    for number, user in enumerate(users):
        if random.random() < 0.15:
            continue
        start = datetime.datetime.combine(day, datetime.time(8)) + datetime.timedelta(minutes=random.randint(0, 90))
        for _ in range(random.randint(1, 3)):
            length = datetime.timedelta(minutes=random.randint(20, 200))
            how = random.choices(["user", "inactivity", "program", "surplus", "killed"], [50, 30, 10, 6, 4])[0]
            if how == "surplus":
                length = datetime.timedelta(seconds=random.randint(6, 20))
            ended = start + length
            if ended.date() != day or ended.time() > datetime.time(18, 30):
                continue
            lines.append("Ledger,%s,%d,TS01,%s,%s,%s\r\n" % (user, number + 2, stamp(start), stamp(ended), how))
            start = ended - datetime.timedelta(minutes=random.randint(0, 40))
open(sys.argv[1], "w", newline="").write("".join(lines))
PY

code=0
(cd "$work/run" && run Quorlan.exe /report 30 'C:\ProgramData\Quorlan') || code=$?
[ "$code" -eq 0 ] || { echo "report-shot: Quorlan.exe /report ended with $code" >&2; exit 1; }
[ -s "$data/Quorlan-usage.html" ] || { echo "report-shot: no page was written" >&2; exit 1; }

sandbox=()
[ "$(id -u)" -ne 0 ] || sandbox=(--no-sandbox)
mkdir -p docs
chromium --headless "${sandbox[@]}" --disable-gpu --hide-scrollbars --window-size=860,1000 \
  --screenshot="$repo/docs/usage-report.png" "file://$data/Quorlan-usage.html" 2>/dev/null
echo "report-shot: docs/usage-report.png"
