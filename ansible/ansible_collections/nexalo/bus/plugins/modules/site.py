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
  - The tool decides. The task succeeds only when C(nexalo-cli) exits 0 and its report's
    C(outcome) is C(completed); its message is the tool's verdict line (with several buses,
    each bus's). When the tool wrote no report (a usage error, a key file that cannot be
    read), the task fails with what the tool said. The previous report is removed before the
    run, so a report read afterwards is always this run's.
  - C(changed) is true when the run wrote to a unit (a unit upgraded, failed, left in its boot
    loader or not verified); a run with nothing to do changes nothing.
  - In check mode it runs C(nexalo-cli site --plan). The buses are surveyed and planned, and
    nothing that changes a unit is sent. The message is the plan's summary (the units it
    would upgrade, the units refused and why); C(changed) says whether a real run would
    upgrade a unit.
  - With C(--diff), each unit's version before and after the run (in check mode, the version
    of the file it would be upgraded to).
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
        I(chdir). A report already there is removed before the run. Check mode does not touch
        it, so the last real run's report stays for the next comparison.
    type: path
    default: nexalo-site-report.json
extends_documentation_fragment:
  - nexalo.bus.cli_options
notes:
  - Supports check mode and diff mode. Runs well under C(async), since a site run can outlast
    an SSH session.
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
  description: True when the run wrote to a unit; in check mode, when a real run would.
  returned: always
  type: bool
msg:
  description:
    - The tool's verdict line from the report's C(outcome) (with several buses, each bus's,
      after its port); when the task failed, followed by what the tool said on standard error.
      In check mode, the plan's summary. When no report was written, the tool's own words.
  returned: always
  type: str
rc:
  description: Exit status of nexalo-cli (0 done, 1 failed, 2 usage).
  returned: always
  type: int
outcome:
  description: The run's outcome as the report gives it (kind, reason, verdict).
  returned: when nexalo-cli wrote a report
  type: dict
  sample: {"kind": "failed", "reason": "not every planned unit verified",
           "verdict": "Site not up to date: 1 planned unit(s) failed or not verified."}
report:
  description: The site report as nexalo-cli wrote it (buses, each with its units).
  returned: when nexalo-cli wrote one
  type: dict
report_path:
  description: Where this run's report is on the managed host (none in check mode, and none
    when the run wrote no report).
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
  description: Per bus its port, whether it opened, how it ended, its outcome and its counts.
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
    BUS_ARGUMENT_SPEC, check_bus_params, run_with_document, tool_words)
from ansible_collections.nexalo.bus.plugins.module_utils.site_report import (
    buses_of, count_results, outcome_of, report_counts, unit_versions, units_of, would_change,
    wrote_a_unit)


def site_options(params, check_mode):
    options = []
    if check_mode:
        options.append('--plan')
    if params['remotes']:
        options.append('--remotes')
    options += ['--controller-model', params['controller_model']]
    return options


def bus_summaries(report):
    summaries = []
    for bus in buses_of(report):
        kind, verdict = outcome_of(bus)
        summaries.append(dict(
            port=bus.get('port', '?'),
            opened=bus.get('opened'),
            end=bus.get('end'),
            reason=bus.get('reason'),
            verified=bus.get('verified'),
            passes=bus.get('passes'),
            outcome=kind,
            verdict=verdict,
            counts=count_results(units_of(bus)),
        ))
    return summaries


def verdicts(report, summaries):
    """The tool's verdict: the run's for one bus, each bus's after its port for several."""
    if len(summaries) <= 1:
        return outcome_of(report)[1] or ''
    return ' | '.join('[%s] %s' % (bus['port'], bus['verdict']) for bus in summaries)


def failure_message(verdict, err):
    said = [line.strip() for line in err.splitlines() if line.strip()]
    return ' | '.join([verdict] + [line for line in said if line != verdict])


def diff_of(report, check_mode):
    before, after = unit_versions(report, planned=check_mode)
    return dict(before=before, after=after, before_header='units before the run',
                after_header='units as planned' if check_mode else 'units after the run')


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

    summaries = bus_summaries(report)
    kind = outcome_of(report)[0]
    result = dict(
        changed=False,
        rc=rc,
        cmd=argv,
        report=report,
        report_path=report_path if report is not None else None,
        outcome=report.get('outcome') if isinstance(report, dict) else None,
        counts=report_counts(report),
        buses=summaries,
        stdout_lines=out.splitlines(),
        stderr_lines=err.splitlines(),
    )
    if report is None:
        module.fail_json(msg=tool_words(rc, out, err), **result)
    if kind is None:
        module.fail_json(msg='the report of %s carries no outcome; this module needs a '
                             'nexalo-cli whose site report does' % argv[0], **result)
    result['changed'] = would_change(report) if module.check_mode else wrote_a_unit(report)
    if module._diff:
        result['diff'] = diff_of(report, module.check_mode)
    verdict = verdicts(report, summaries)
    # The exit status and the outcome are made from one value; should they ever disagree, the
    # task fails rather than choose.
    if rc != 0 or kind != 'completed':
        module.fail_json(msg=failure_message(verdict, err), **result)
    module.exit_json(msg=verdict, **result)


if __name__ == '__main__':
    main()
