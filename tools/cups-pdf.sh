#!/usr/bin/env bash
# The print queue the printing test prints to: a CUPS-PDF queue "VeltPDF"
# whose PDF files land in /var/spool/cups-pdf/VELT.
#
#   tools/cups-pdf.sh start   start cupsd when it is not running, add the queue
#                             when it is missing; remembers what it did
#   tools/cups-pdf.sh stop    undo only what start did: remove the queue it
#                             added, stop the cupsd it started
#
# Needs root (cupsd, lpadmin) and the packages cups and
# printer-driver-cups-pdf (tools/setup.sh). Without them it says so and
# exits 0: the printing test then skips with its own message. Every wait is
# bounded.
set -uo pipefail

queue=${VELT_CUPS_QUEUE:-VeltPDF}
out=${VELT_CUPS_PDF_DIR:-/var/spool/cups-pdf/VELT}
# The CUPS-PDF backend reads cups-pdf-NAME.conf for the device URI cups-pdf:/NAME.
instance=velt
conf=/etc/cups/cups-pdf-$instance.conf
state=${VELT_CUPS_STATE:-/run/velt-cups-pdf.state}

say() { echo "cups-pdf: $*" >&2; }

cupsd_running() { lpstat -r 2>/dev/null | grep -q 'is running'; }

wait_for() {  # seconds command...
  local seconds=$1
  shift
  for _ in $(seq 1 $((seconds * 10))); do
    "$@" && return 0
    sleep 0.1
  done
  return 1
}

start() {
  if [ "$(id -u)" -ne 0 ]; then
    say "not root: no queue set up; the printing test will be skipped"
    return 0
  fi
  if ! command -v cupsd >/dev/null || [ ! -x /usr/lib/cups/backend/cups-pdf ]; then
    say "cups or printer-driver-cups-pdf is not installed; the printing test will be skipped"
    return 0
  fi
  if [ -s "$state" ]; then
    if cupsd_running && lpstat -p "$queue" >/dev/null 2>&1; then
      say "already set up by an earlier start (see $state)"
      return 0
    fi
    # Left by a run that was killed before its stop: go on from it, so the
    # next stop undoes what that run did too.
  fi
  touch "$state"
  if ! cupsd_running; then
    mkdir -p /run/cups
    if ! cupsd; then
      say "cupsd did not start; the printing test will be skipped"
      return 0
    fi
    if ! wait_for 10 cupsd_running; then
      say "cupsd did not answer within 10 s; the printing test will be skipped"
      return 0
    fi
    echo "cupsd $(pgrep -n -x cupsd)" >>"$state"
    say "started cupsd"
  fi
  mkdir -p "$out"
  if [ ! -f "$conf" ]; then
    printf 'Out %s\nAnonDirName %s\nLabel 1\n' "$out" "$out" >"$conf"
    echo conf >>"$state"
  fi
  if ! lpstat -p "$queue" >/dev/null 2>&1; then
    local ppd
    ppd=$(lpinfo -m 2>/dev/null | awk '/CUPS-PDF_opt\.ppd/ {print $1; exit}')
    [ -n "$ppd" ] || ppd=$(lpinfo -m 2>/dev/null | awk '/CUPS-PDF/ {print $1; exit}')
    # Rendered to PostScript by pdftocairo, the texts stay text in the
    # PDF that comes out (the default renderer leaves glyphs without
    # their characters, which pdftotext cannot read).
    if [ -z "$ppd" ] || ! lpadmin -p "$queue" -v "cups-pdf:/$instance" -E -m "$ppd" \
      -o pdftops-renderer-default=pdftocairo 2>/dev/null; then
      say "could not add the queue $queue; the printing test will be skipped"
      return 0
    fi
    echo queue >>"$state"
    say "added the queue $queue (PDF files in $out)"
  fi
  cupsenable "$queue" 2>/dev/null || true
  cupsaccept "$queue" 2>/dev/null || true
}

stop() {
  [ -f "$state" ] || return 0
  if grep -qx queue "$state"; then
    lpadmin -x "$queue" 2>/dev/null && say "removed the queue $queue"
  fi
  if grep -qx conf "$state"; then
    rm -f "$conf"
  fi
  local pid
  pid=$(awk '$1 == "cupsd" {p = $2} END {print p}' "$state")
  if [ -n "$pid" ]; then
    if [ "$(cat /proc/"$pid"/comm 2>/dev/null)" = cupsd ]; then
      kill "$pid" 2>/dev/null
      wait_for 10 bash -c "! kill -0 $pid 2>/dev/null" || kill -9 "$pid" 2>/dev/null
      say "stopped cupsd"
    fi
  fi
  rm -f "$state"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
exit 0
