#!/bin/sh
# A private CUPS scheduler with one virtual PDF printer, for the printing tests. It has its own
# configuration, spool and socket under DIR and never touches the machine's printers.
#
#   scripts/cups-private.sh start DIR   prints CUPS_SERVER=... to evaluate
#   scripts/cups-private.sh stop DIR
#
# The queue is "Radaziz_PDF". cups-pdf reads its own settings from /etc/cups whatever the
# scheduler, so it writes each job where the machine's settings say: by default into the
# printing user's ~/PDF.
set -eu
cmd=${1:?start or stop}
dir=${2:?folder}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

case "$cmd" in
start)
    if ! command -v cupsd >/dev/null || [ ! -e /usr/lib/cups/backend/cups-pdf ]; then
        echo "cups and printer-driver-cups-pdf are needed" >&2
        exit 1
    fi
    mkdir -p "$dir/conf" "$dir/spool" "$dir/cache" "$dir/state" "$dir/tmp" "$dir/log"
    chmod 1777 "$dir/tmp"
    cat >"$dir/conf/cupsd.conf" <<CONF
Listen $dir/cups.sock
LogLevel warn
WebInterface No
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
    cat >"$dir/conf/cups-files.conf" <<CONF
ServerRoot $dir/conf
RequestRoot $dir/spool
CacheDir $dir/cache
StateDir $dir/state
TempDir $dir/tmp
AccessLog $dir/log/access_log
ErrorLog $dir/log/error_log
PageLog $dir/log/page_log
CONF
    cupsd -f -c "$dir/conf/cupsd.conf" -s "$dir/conf/cups-files.conf" \
        >"$dir/log/cupsd.out" 2>&1 &
    echo $! >"$dir/cupsd.pid"
    export CUPS_SERVER="$dir/cups.sock"
    i=0
    until lpstat -r 2>/dev/null | grep -q "is running"; do
        i=$((i + 1))
        if [ $i -gt 100 ]; then
            echo "the private CUPS scheduler did not start; see $dir/log" >&2
            exit 1
        fi
        sleep 0.1
    done
    lpadmin -p Radaziz_PDF -v cups-pdf:/ -P /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd -E \
        2>/dev/null
    echo "CUPS_SERVER=$dir/cups.sock"
    ;;
stop)
    if [ -f "$dir/cupsd.pid" ]; then
        kill "$(cat "$dir/cupsd.pid")" 2>/dev/null || true
        rm -f "$dir/cupsd.pid"
    fi
    ;;
*)
    echo "usage: $0 start|stop DIR" >&2
    exit 2
    ;;
esac
