#!/usr/bin/python3
# pyserial's example RFC 2217 server (Debian's python3-serial ships it with its documentation),
# run as it is in front of a pseudo-terminal. A pseudo-terminal has no modem lines and fails
# every call on them, so here they do nothing: the controls are kept, never applied, and the
# status lines read as those of a device that is attached (CTS, DSR and CD on), which makes the
# server send its modem-state notifications.
#
# Usage: rfc2217ServerOnPty.py DEVICE -p TCPPORT [-v]
import os
import runpy
import sys

EXAMPLE = "/usr/share/doc/python3-serial/examples/rfc2217_server.py"

try:
    import serial
except ImportError:
    sys.exit("python3-serial is not installed (apt-get install python3-serial)")
if not os.path.exists(EXAMPLE):
    sys.exit(EXAMPLE + " is missing (apt-get install python3-serial)")

serial.Serial._update_dtr_state = lambda self: None
serial.Serial._update_rts_state = lambda self: None
serial.Serial.cts = property(lambda self: True)
serial.Serial.dsr = property(lambda self: True)
serial.Serial.ri = property(lambda self: False)
serial.Serial.cd = property(lambda self: True)

sys.argv = [EXAMPLE] + sys.argv[1:]
runpy.run_path(EXAMPLE, run_name="__main__")
