#!/usr/bin/python
# -*- coding: utf-8 -*-
# The whole-site run of nexalo-cli on the machine the bus hangs off.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: site
short_description: Bring the units of a site's serial buses up to date with their firmware files
description:
  - Runs C(nexalo-cli site --json) on the managed host. It surveys each bus, plans every unit
    against its application file in the working folder, upgrades every unit that is behind
    (remotes, terminals, controllers, the host interface), surveys again to verify, and
    returns the site report.
  - The exit status of C(nexalo-cli) decides success. The task fails when any bus did not
    come out verified (a unit failed, a port did not open, no unit answered, the run was
    stopped), with the tool's own reason.
  - In check mode it runs C(nexalo-cli site --plan). The buses are surveyed and planned, and
    nothing that changes a unit is sent. C(changed) then says whether a real run would
    upgrade a unit.
version_added: 1.0.0
author: Nexalo Firmware Upgrade developers
options:
  port:
    description:
      - The bus or buses of the site, as C(nexalo-cli --port) takes them (C(COM1), a device
        path, C(tcp://HOST:PORT), C(rfc2217://HOST:PORT)). Several buses run at once.
    type: list
    elements: str
    required: true
    aliases: [ports]
  chdir:
    description:
      - The working folder on the managed host. It holds the firmware files (and
        C(SHA256SUMS) when digests are checked); the comms log and the history are kept there.
    type: path
    required: true
  remotes:
    description: Upgrade the remotes behind terminals too; otherwise they stay C(on request).
    type: bool
    default: false
  controller_model:
    description: Which file a product-5 controller takes, the A/B one or the C/D one.
    type: str
    choices: [ab, cd]
    default: ab
  trusted_key:
    description:
      - Public key file that the firmware folder's C(SHA256SUMS.minisig) must be signed with
        (C(nexalo-cli --trusted-key)); needs a C(nexalo-cli) that has that option.
    type: path
  report:
    description:
      - Where the site report is written on the managed host; a relative path is taken in
        I(chdir). Check mode does not write it, so the last real run's report stays for the
        next comparison.
    type: path
    default: nexalo-site-report.json
extends_documentation_fragment:
  - nexalo.bus.cli_options
notes:
  - Supports check mode. Runs well under C(async), since a site run can outlast an SSH session.
seealso:
  - module: nexalo.bus.survey
'''

EXAMPLES = r'''
- name: Plan only (same as running the task in check mode)
  nexalo.bus.site:
    port: COM1
    chdir: /srv/nexalo/firmware
  check_mode: true

- name: Upgrade two buses of a site, remotes too, in the background
  nexalo.bus.site:
    port: [COM1, "tcp://10.0.0.7:4001"]
    chdir: /srv/nexalo/firmware
    remotes: true
    extra_attempts: 3
  async: 7200
  poll: 30
  register: site
'''

RETURN = r'''
changed:
  description: True when a unit was upgraded; in check mode, when a unit would be.
  returned: always
  type: bool
msg:
  description: What went wrong, per bus, in the tool's words and the report's, when the task failed; else the verdict.
  returned: always
  type: str
rc:
  description: Exit status of nexalo-cli (0 done, 1 failed, 2 usage).
  returned: always
  type: int
report:
  description: The site report as nexalo-cli wrote it (buses, each with its units).
  returned: when nexalo-cli wrote one
  type: dict
report_path:
  description: Where the report is on the managed host (none in check mode).
  returned: always
  type: str
counts:
  description:
    - Units of every bus by result. C(failed) counts failed, refused, left in boot loader and
      not verified.
  returned: always
  type: dict
  sample: {"upgraded": 2, "up_to_date": 1, "failed": 0, "not_reachable": 0, "on_request": 1,
           "no_file": 0, "not_done": 0, "planned": 0}
buses:
  description: Per bus its port, whether it opened, how it ended and its counts.
  returned: always
  type: list
  elements: dict
stdout_lines:
  description: What nexalo-cli printed.
  returned: always
  type: list
  elements: str
'''

import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.nexalo.bus.plugins.module_utils.nexalo_cli import (
    BUS_ARGUMENT_SPEC, bus_lines, check_bus_params, closing_line, run_with_document,
    usage_reason)
from ansible_collections.nexalo.bus.plugins.module_utils.site_report import (
    bus_problems, buses_of, count_results, report_counts, units_of, would_change)


def site_options(params, check_mode):
    options = []
    if check_mode:
        options.append('--plan')
    if params['remotes']:
        options.append('--remotes')
    options += ['--controller-model', params['controller_model']]
    return options


def bus_summaries(report, stdout, plan):
    buses = buses_of(report)
    summaries = []
    for bus in buses:
        port = bus.get('port', '?')
        summaries.append(dict(
            port=port,
            opened=bus.get('opened'),
            end=bus.get('end'),
            reason=bus.get('reason'),
            verified=bus.get('verified'),
            passes=bus.get('passes'),
            problems=bus_problems(bus, plan),
            verdict=closing_line(bus_lines(stdout, port, len(buses))),
            counts=count_results(units_of(bus)),
        ))
    return summaries


def failure_message(rc, err, summaries):
    if rc == 2 or not summaries:
        return usage_reason(rc, err)
    parts = []
    # The buses the report holds something against; else (no unit found) every bus's verdict.
    for bus in [bus for bus in summaries if bus['problems']] or summaries:
        words = [bus['verdict']] if bus['verdict'] else []
        words += [p for p in bus['problems'] if p not in words]
        if words:
            # A port that does not open is named by the tool's own line already.
            named = words[0].startswith(bus['port'])
            parts.append(('' if named else bus['port'] + ': ') + '; '.join(words))
    return ' | '.join(parts) or usage_reason(rc, err)


def main():
    spec = dict(BUS_ARGUMENT_SPEC)
    spec.update(
        remotes=dict(type='bool', default=False),
        controller_model=dict(type='str', choices=['ab', 'cd'], default='ab'),
        report=dict(type='path', default='nexalo-site-report.json'),
    )
    module = AnsibleModule(argument_spec=spec, supports_check_mode=True)
    check_bus_params(module)
    params = module.params

    report_path = None
    if not module.check_mode:
        report_path = params['report']
        if not os.path.isabs(report_path):
            report_path = os.path.join(params['chdir'], report_path)
    rc, out, err, argv, report = run_with_document(
        module, 'site', site_options(params, module.check_mode), report_path)

    summaries = bus_summaries(report, out, module.check_mode)
    # The exit status is the tool's verdict; a report that says a bus did not end verified
    # fails the task even if a tool of another version exited 0.
    failed = rc != 0 or any(bus['problems'] for bus in summaries)
    result = dict(
        changed=would_change(report),
        rc=rc,
        cmd=argv,
        report=report,
        report_path=report_path,
        counts=report_counts(report),
        buses=summaries,
        stdout_lines=out.splitlines(),
        stderr_lines=err.splitlines(),
    )
    if failed:
        module.fail_json(msg=failure_message(rc, err, summaries), **result)
    verdicts = [bus['verdict'] for bus in summaries if bus['verdict']]
    module.exit_json(msg=' | '.join(verdicts), **result)


if __name__ == '__main__':
    main()
