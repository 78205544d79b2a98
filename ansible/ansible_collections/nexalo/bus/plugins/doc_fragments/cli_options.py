# -*- coding: utf-8 -*-
# The options every module of the collection passes on to nexalo-cli as they stand; their
# argument spec is BUS_ARGUMENT_SPEC in module_utils/nexalo_cli.py.

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r'''
options:
  extra_attempts:
    description: How many more times a request whose reply is lost is sent where that is safe (0 to 5).
    type: int
  baud:
    description: Line speed of a local serial port (a raw C(tcp://) port keeps the device server's).
    type: int
    choices: [1200, 2400, 4800, 9600, 19200, 38400, 57600]
  min_timeout:
    description: Minimum reply time-out in milliseconds.
    type: int
  cli:
    description: The C(nexalo-cli) program on the managed host (a name on the PATH, or a path).
    type: str
    default: nexalo-cli
'''
