#!/usr/bin/python
# -*- coding: utf-8 -*-
# The survey of a site's buses, read only.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: survey
short_description: Read the inventory of a site's serial buses
description:
  - Runs C(nexalo-cli survey --json) on the managed host, as the window's Ping does, and returns
    the network found on each bus. It only reads the bus, so C(changed) is always false; in
    check mode it surveys as well and returns the inventory, writing no file.
version_added: 1.0.0
author: Nexalo Firmware Upgrade developers
options:
  port:
    description:
      - The bus or buses, as C(nexalo-cli --port) takes them (C(COM1), a device path,
        C(tcp://HOST:PORT), C(rfc2217://HOST:PORT)). Several buses are surveyed at once.
    type: list
    elements: str
    required: true
    aliases: [ports]
  chdir:
    description: The working folder on the managed host (where the comms log is kept).
    type: path
    required: true
  inventory:
    description:
      - Where the inventory is also kept on the managed host; a relative path is taken in
        I(chdir). Not written when not given, nor in check mode (the one there stays).
    type: path
  trusted_key:
    description: Passed on as C(nexalo-cli --trusted-key); a survey sends no firmware.
    type: path
extends_documentation_fragment:
  - nexalo.bus.cli_options
notes:
  - Supports check mode (the survey runs; the inventory file is not written).
seealso:
  - module: nexalo.bus.site
'''

EXAMPLES = r'''
- name: Keep the site's inventory
  nexalo.bus.survey:
    port: COM1
    chdir: /srv/nexalo/firmware
    inventory: inventory.json
  register: found
'''

RETURN = r'''
changed:
  description: Always false.
  returned: always
  type: bool
inventory:
  description:
    - The network found, as C(nexalo-cli survey --json) writes it; with several ports a
      document with a list C(buses), each with its C(port), whether it C(opened), and its
      network.
  returned: when the survey wrote it
  type: dict
units:
  description: How many units the survey listed (host, controllers and their terminals, bus terminals).
  returned: always
  type: int
rc:
  description: Exit status of nexalo-cli.
  returned: always
  type: int
stdout_lines:
  description: What nexalo-cli printed (the survey's report lines).
  returned: always
  type: list
  elements: str
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.nexalo.bus.plugins.module_utils.nexalo_cli import (
    BUS_ARGUMENT_SPEC, check_bus_params, closing_line, run_with_document, usage_reason)


def networks_of(inventory):
    if not isinstance(inventory, dict):
        return []
    if isinstance(inventory.get('buses'), list):
        return [bus for bus in inventory['buses'] if isinstance(bus, dict)]
    return [inventory]


def unit_count(inventory):
    count = 0
    for network in networks_of(inventory):
        if isinstance(network.get('host'), dict):
            count += 1
        for controller in network.get('controllers') or []:
            count += 1 + len(controller.get('terminals') or [])
        count += len(network.get('busTerminals') or [])
    return count


def main():
    spec = dict(BUS_ARGUMENT_SPEC)
    spec.update(inventory=dict(type='path'))
    module = AnsibleModule(argument_spec=spec, supports_check_mode=True)
    check_bus_params(module)
    # Check mode writes nothing: the inventory goes to a temporary file, as without one.
    keep = None if module.check_mode else module.params['inventory']
    rc, out, err, argv, inventory = run_with_document(module, 'survey', [], keep)
    result = dict(changed=False, rc=rc, cmd=argv, inventory=inventory,
                  units=unit_count(inventory), stdout_lines=out.splitlines(),
                  stderr_lines=err.splitlines())
    if rc != 0:
        reason = usage_reason(rc, err) if rc == 2 else closing_line(out.splitlines())
        module.fail_json(msg=reason or usage_reason(rc, err), **result)
    module.exit_json(msg='%d units found' % result['units'], **result)


if __name__ == '__main__':
    main()
