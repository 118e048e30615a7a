# Sourced by the end-to-end scripts: a CUPS scheduler of the script's own, without root, as the
# printing tests run it (tests/app/shell/PrivateCups.h). Its configuration, spool and socket live
# in a folder of their own; its one queue "kostrel-test", the default, on A5 paper, writes its
# jobs to a file through a filter that copies the job as it is and notes the job's title.
private_cups_queue=kostrel-test
private_cups=
private_cups_pid=

# start_private_cups: starts cupsd, points CUPS_SERVER at it and waits until it lists the queue.
start_private_cups() {
    local program=/usr/sbin/cupsd
    [ -x "$program" ] || program=$(command -v cupsd) || fail "no cupsd is installed (Debian's cups-daemon)"
    private_cups=$(mktemp -d)
    local root=$private_cups sub
    for sub in spool cache state log ppd record; do mkdir -p "$root/$sub"; done
    # Filters run as an unprivileged user when cupsd runs as root.
    chmod 0755 "$root"
    chmod 0777 "$root/record"
    printf 'Listen %s\nLogLevel info\nBrowsing No\n' "$root/cups.sock" >"$root/cupsd.conf"
    cat >"$root/cups-files.conf" <<CONF
ServerRoot $root
StateDir $root/state
CacheDir $root/cache
RequestRoot $root/spool
TempDir $root/spool
AccessLog $root/log/access_log
ErrorLog $root/log/error_log
PageLog $root/log/page_log
FileDevice Yes
CONF
    cat >"$root/printers.conf" <<CONF
<DefaultPrinter $private_cups_queue>
DeviceURI file://$root/output.pdf
State Idle
Accepting Yes
Option media iso_a5_148x210mm
</DefaultPrinter>
CONF
    printf '#!/bin/sh\nprintf '"'%%s'"' "$3" > %s\nexec cat "$6"\n' "$root/record/title" >"$root/copy-filter"
    chmod 0755 "$root/copy-filter"
    cat >"$root/ppd/$private_cups_queue.ppd" <<CONF
*PPD-Adobe: "4.3"
*FormatVersion: "4.3"
*FileVersion: "1.0"
*LanguageVersion: English
*LanguageEncoding: ISOLatin1
*PCFileName: "KOSTREL.PPD"
*Manufacturer: "Test"
*Product: "(Test)"
*ModelName: "Test"
*ShortNickName: "Test"
*NickName: "Test"
*PSVersion: "(3010.000) 0"
*cupsFilter: "application/pdf 0 $root/copy-filter"
CONF
    export CUPS_SERVER="$root/cups.sock"
    unset LPDEST PRINTER
    "$program" -f -c "$root/cupsd.conf" -s "$root/cups-files.conf" </dev/null >/dev/null 2>&1 &
    private_cups_pid=$!
    local _
    for _ in $(seq 300); do
        kill -0 "$private_cups_pid" 2>/dev/null || fail "cupsd ended at once: $(cat "$root/log/error_log" 2>/dev/null)"
        lpstat -e 2>/dev/null | grep -qx "$private_cups_queue" && return 0
        sleep 0.05
    done
    fail "cupsd did not answer on its socket"
}

stop_private_cups() {
    if [ -n "$private_cups_pid" ]; then
        kill "$private_cups_pid" 2>/dev/null || true
        wait "$private_cups_pid" 2>/dev/null || true
        private_cups_pid=
    fi
    [ -n "$private_cups" ] && rm -rf "$private_cups"
    private_cups=
}

# private_cups_jobs: the queue's jobs, whatever their state.
private_cups_jobs() { lpstat -W all -o "$private_cups_queue" 2>/dev/null; }
