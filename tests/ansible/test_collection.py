#!/usr/bin/env python3
"""The collection nexalo.bus and its example playbook against three simulated sites.

Each site is an ansible_sim_site process (the simulator's TCP server, which can also say what
every unit's flash holds) on a free local port, with the sample firmware files in a working
folder of its own; the inventory reaches the sites with the local connection. The runs follow
one another as a fleet's visits would:

1. check mode plans every site, says each plan's summary and each unit's versions before and
   after (--diff), and changes no unit and nothing on the control machine;
2. a real run, two sites a batch, the failing site first: it fails with the tool's verdict,
   its batch partner comes up to date, and the second batch is never started;
3. a newer terminal file at one site, then a real run of the whole fleet: the two good sites
   come up to date (flash equal to the files), the failing site fails again, the diff shows
   the new version;
4. the good sites again: nothing changed anywhere (changed=0 in the recap), no difference
   since the last visit.

Ad hoc runs in between: the survey in check mode writes no inventory; a run that writes no
report (a usage error, a key file that is not there) fails with the tool's words and leaves no
earlier report to be taken for its own.

Exit status 77 (skipped) when ansible-playbook is not installed.
"""

import argparse
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

from hang_report import run_bounded
from sim_sites import copy_samples, served_address

SKIPPED = 77
# A playbook here takes well under a minute; one that takes this long is hung, and what it
# waits on is reported before it is ended.
PLAYBOOK_LIMIT_S = 180

SITES = {
    # The failing site comes first, so that it shares the first batch of two.
    'site-bad': {
        'controllers': [{
            'name': 'controller', 'la': '01', 'fixedAddress': '10000003', 'productId': 5,
            'version': '4.20',
            'terminals': [{
                'name': 'failing', 'la': '01', 'fixedAddress': '20000301', 'productId': 3,
                'version': '1.02',
                'faults': {'eraseFault': {'sector': 1, 'code': 5, 'always': True}}}]}]},
    'site-a': {
        'controllers': [{
            'name': 'controller', 'la': '01', 'fixedAddress': '10000001', 'productId': 5,
            'version': '4.20',
            'terminals': [{'name': 'behind', 'la': '01', 'fixedAddress': '20000101',
                           'productId': 3, 'version': '1.02'}]}]},
    'site-b': {
        'controllers': [{
            'name': 'controller', 'la': '01', 'fixedAddress': '10000002', 'productId': 5,
            'version': '4.20',
            'terminals': [{'name': 'behind', 'la': '02', 'fixedAddress': '20000202',
                           'productId': 6, 'version': '2.01'}]}]},
}

# The unit behind at each site: its address, fixed address and version.
BEHIND = {'site-bad': ('0101', '20000301', '1.02'), 'site-a': ('0101', '20000101', '1.02'),
          'site-b': ('0102', '20000202', '2.01')}

failures = []


def check(condition, what):
    print(('ok    ' if condition else 'FAIL  ') + what, flush=True)
    if not condition:
        failures.append(what)
    return condition


class Site:
    """One simulated site: its working folder and its simulator process."""

    def __init__(self, name, network, top, helper, samples):
        self.name = name
        self.folder = os.path.join(top, name)
        os.makedirs(self.folder)
        copy_samples(samples, self.folder)
        network_file = os.path.join(top, name + '.json')
        with open(network_file, 'w') as f:
            json.dump(network, f)
        self.process = subprocess.Popen([helper, network_file, self.folder],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True)
        self.port = served_address(self.process)
        if not self.port:
            raise RuntimeError('%s: the simulator did not start' % name)

    def units(self):
        """Every unit by name: flashChanged, enteredUpgradeMode, holdsItsFile."""
        self.process.stdin.write('state\n')
        self.process.stdin.flush()
        state = json.loads(self.process.stdout.readline())
        return dict((unit['name'], unit) for unit in state['units'])

    def end(self):
        if self.process.poll() is None:
            self.process.stdin.close()
            try:
                self.process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


class Fleet:
    def __init__(self, args, top):
        self.args = args
        self.top = top
        self.reports = os.path.join(top, 'reports')
        self.sites = {}
        self.outputs = []
        self.inventory = os.path.join(top, 'inventory.yml')

    def start(self):
        for name, network in SITES.items():
            self.sites[name] = Site(name, network, self.top, self.args.sim_site,
                                    self.args.samples)
        hosts = dict((name, {'nexalo_port': site.port, 'nexalo_folder': site.folder})
                     for name, site in self.sites.items())
        inventory = {'sites': {'hosts': hosts, 'vars': {
            'ansible_connection': 'local',
            'ansible_python_interpreter': sys.executable,
            'nexalo_cli': self.args.cli}}}
        with open(self.inventory, 'w') as f:
            json.dump(inventory, f, indent=1)  # JSON is YAML

    def end(self):
        for site in self.sites.values():
            site.end()

    def playbook(self, *options, batch=4):
        argv = ['ansible-playbook', '-i', self.inventory, self.args.playbook,
                '-e', 'fleet_reports=' + self.reports, '-e', 'fleet_batch=%d' % batch,
                '-e', 'fleet_poll=1', '-e', 'fleet_cli=' + self.args.cli] + list(options)
        # Each run's outcomes only: a site the run does not reach has none.
        if os.path.exists(os.path.join(self.reports, 'outcomes.json')):
            os.unlink(os.path.join(self.reports, 'outcomes.json'))
        started = time.monotonic()
        run = run_bounded(argv, ansible_environment(self.args, self.top), PLAYBOOK_LIMIT_S,
                          self.top)
        print('  ansible-playbook %s: exit %d, %.1f s' % (' '.join(options), run.returncode,
                                                          time.monotonic() - started))
        self.outputs.append(run.stdout)
        return run

    def read(self, *path):
        full = os.path.join(self.reports, *path)
        if not os.path.exists(full):
            return None
        with open(full) as f:
            return json.load(f) if full.endswith('.json') else f.read()

    def outcome(self, name):
        """What the module returned for the site in the last run; None when not visited."""
        return (self.read('outcomes.json') or {}).get(name)

    def latest(self, name):
        """The report of the site's latest visit, fetched to the control machine."""
        visits = os.path.join(self.reports, name, 'visits')
        if not os.path.isdir(visits) or not os.listdir(visits):
            return None
        return self.read(name, 'visits', sorted(os.listdir(visits))[-1])

    def summary(self):
        text = self.read('summary.txt') or ''
        return dict(line.split(': ', 1) for line in text.splitlines() if ': ' in line)


def ansible_environment(args, top):
    env = dict(os.environ)
    env.update(ANSIBLE_COLLECTIONS_PATH=args.collection, ANSIBLE_LOCAL_TEMP=top + '/tmp',
               ANSIBLE_REMOTE_TEMP=top + '/tmp', ANSIBLE_ASYNC_DIR=top + '/async',
               ANSIBLE_RETRY_FILES_ENABLED='false', ANSIBLE_NOCOLOR='1',
               ANSIBLE_HOST_KEY_CHECKING='false', HOME=top)
    env.pop('ANSIBLE_CONFIG', None)
    return env


def check_report_reading(args):
    """Reports as nexalo-cli writes them, with and without the fields a bus's end adds."""
    sys.path.insert(0, args.collection)
    from ansible_collections.nexalo.bus.plugins.module_utils import site_report
    unit = {'address': '0101', 'action': 'upgrade'}
    older = {'buses': [{'port': 'COM1', 'opened': True, 'stopped': False, 'units': [
        dict(unit, result='upgraded'), dict(unit, address='0102', result='failed'),
        dict(unit, address='0103', result='up to date')]}]}
    check(site_report.report_counts(older)['failed'] == 1 and
          site_report.bus_problems(older['buses'][0]) == ['0102 failed'],
          'report without end/reason: counts and the failed unit')
    lost = {'buses': [{'port': 'COM1', 'opened': True, 'end': 'line lost',
                       'reason': 'Serial line lost: Input/output error', 'verified': False,
                       'passes': 1, 'units': [
                           dict(unit, result='left in boot loader',
                                reason='stopped during its pages', inUpgradeMode=True),
                           dict(unit, address='0102', result='refused',
                                reason='does not match SHA256SUMS'),
                           dict(unit, address='0103', result='not verified')]}]}
    check(site_report.report_counts(lost)['failed'] == 3,
          'report with a bus end: left in boot loader, refused and not verified count failed')
    check(site_report.bus_problems(lost['buses'][0])[:2] ==
          ['line lost: Serial line lost: Input/output error',
           '0101 left in boot loader: stopped during its pages'],
          'report with a bus end: the end, its reason and each unit\'s reason')
    plan = {'buses': [{'port': 'COM1', 'opened': True, 'end': 'completed', 'verified': False,
                       'units': [dict(unit, result='planned')]}]}
    check(site_report.bus_problems(plan['buses'][0], plan=True) == [] and
          site_report.would_change(plan) and not site_report.wrote_a_unit(plan),
          'a plan is not held against a verifying survey and would change its unit')
    written = [dict(unit, result=result) for result in
               ('upgraded', 'failed', 'left in boot loader', 'not verified')]
    untouched_units = [dict(unit, result=result) for result in
                       ('refused', 'not done', 'up to date', 'no file', 'on request')]
    check(all(site_report.wrote_a_unit({'buses': [{'units': [one]}]}) for one in written) and
          not site_report.wrote_a_unit({'buses': [{'units': untouched_units}]}),
          'a run changed its site when it wrote to a unit, whatever came of it, and only then')
    nothing = {'buses': [{'port': 'COM1', 'opened': True, 'end': 'completed', 'verified': False,
                          'units': [dict(unit, action='up to date', result='up to date')]}]}
    behind = {'buses': [{'port': 'COM1', 'opened': True, 'end': 'completed', 'verified': False,
                         'units': [dict(unit, result='upgraded')]}]}
    check(site_report.bus_problems(nothing['buses'][0]) == [] and
          site_report.bus_problems(behind['buses'][0]) == ['not verified'],
          'nothing to upgrade is not held against a verifying survey; an upgraded bus is')


def check_documentation(args, top):
    env = ansible_environment(args, top)
    # The options both modules pass on to nexalo-cli come from the collection's doc fragment.
    shared = ['extra_attempts', 'min_timeout', 'baud']
    for module, words in (('nexalo.bus.site', ['check mode', 'controller_model', 'report'] + shared),
                          ('nexalo.bus.survey', ['inventory', 'always false'] + shared)):
        doc = subprocess.run(['ansible-doc', module], env=env, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, text=True)
        check(doc.returncode == 0 and all(w in doc.stdout for w in words),
              'ansible-doc %s shows its documentation' % module)
        if doc.returncode != 0:
            print(doc.stdout)
    example = os.path.join(os.path.dirname(args.playbook), 'inventory.yml')
    syntax = subprocess.run(['ansible-playbook', '--syntax-check', '-i', example, args.playbook],
                            env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    check(syntax.returncode == 0, 'ansible-playbook --syntax-check of the example')
    if syntax.returncode != 0:
        print(syntax.stdout)


def untouched(site, units=None):
    state = site.units()
    return all(not unit['flashChanged'] and not unit['enteredUpgradeMode']
               for name, unit in state.items() if units is None or name in units)


def recap(output, field):
    """Each host's count of field (changed, failed) in the recap of a playbook's output."""
    return dict((match.group(1), int(match.group(2))) for match in
                re.finditer(r'^(\S+)\s+: ok=\d+.*?\b%s=(\d+)' % field, output, re.MULTILINE))


def check_plan(fleet):
    run = fleet.playbook('--check', '--diff')
    check(run.returncode == 0, 'check mode: the playbook succeeds')
    changed, failed = recap(run.stdout, 'changed'), recap(run.stdout, 'failed')
    for name, site in fleet.sites.items():
        address, fixed, version = BEHIND[name]
        check(changed.get(name) == 1 and failed.get(name) == 0,
              'check mode: %s would change (a unit is behind) and does not fail' % name)
        # The fleet summary shows each site's message: the tool's summary of its plan.
        plan = '"%s: Plan (%s): would upgrade 1: %s."' % (name, site.port, address)
        check(plan in run.stdout, 'check mode: %s says its plan\'s summary' % name)
        unit = '[%s] %s %s: ' % (site.port, address, fixed)
        check('\n-%s%s\n' % (unit, version) in run.stdout and
              '\n+%s2.21\n' % unit in run.stdout,
              'check mode: --diff shows %s\'s unit before and as planned' % name)
        check(untouched(site), 'check mode: no unit of %s entered upgrade mode or changed flash'
              % name)
    check(not os.path.exists(fleet.reports),
          'check mode: nothing written on the control machine')
    return run


def ad_hoc(fleet, module, arguments, name, check_mode=True):
    """Runs module on site-a ad hoc, in check mode unless told; its result, as Ansible's tree
    keeps it."""
    tree = os.path.join(fleet.top, name)
    run = run_bounded(['ansible', 'site-a', '-i', fleet.inventory, '-m', module,
                       '-a', arguments, '--tree', tree] + (['--check'] if check_mode else []),
                      ansible_environment(fleet.args, fleet.top), PLAYBOOK_LIMIT_S, fleet.top)
    fleet.outputs.append(run.stdout)
    if not os.path.exists(os.path.join(tree, 'site-a')):
        return run, {}
    with open(os.path.join(tree, 'site-a')) as f:
        return run, json.load(f)


def closed_port():
    with socket.socket() as s:
        s.bind(('127.0.0.1', 0))
        return s.getsockname()[1]


def check_failures_in_the_tools_words(fleet):
    folder = 'chdir={{ nexalo_folder }} cli={{ nexalo_cli }}'
    # Ansible's tree leaves out "failed": the ad hoc run's exit status says it.
    run, usage = ad_hoc(fleet, 'nexalo.bus.site',
                        'port={{ nexalo_port }} min_timeout=-5 ' + folder, 'usage')
    check(run.returncode != 0 and usage.get('rc') == 2 and
          usage.get('msg', '').startswith('nexalo-cli: --min-timeout'),
          'usage error: the tool\'s one-line reason (%s)' % usage.get('msg'))
    run, closed = ad_hoc(fleet, 'nexalo.bus.site',
                         'port=tcp://127.0.0.1:%d %s' % (closed_port(), folder), 'closed')
    check(run.returncode != 0 and closed.get('rc') == 1 and
          closed.get('msg', '').startswith('Site not verified (tcp://') and
          'connection refused' in closed.get('msg', ''),
          'a port that does not open: the tool\'s verdict and reason (%s)' % closed.get('msg'))
    # A real run that writes no report: the one an earlier run left is not taken for its own.
    folder_of_a = fleet.sites['site-a'].folder
    stale = os.path.join(folder_of_a, 'nexalo-site-report.json')
    with open(stale, 'w') as f:
        json.dump({'outcome': {'kind': 'completed', 'verdict': 'an earlier run'}, 'buses': []}, f)
    run, keyless = ad_hoc(fleet, 'nexalo.bus.site',
                          'port={{ nexalo_port }} trusted_key=%s/absent.pub %s'
                          % (folder_of_a, folder), 'keyless', check_mode=False)
    check(run.returncode != 0 and keyless.get('rc') == 2 and
          'absent.pub' in keyless.get('msg', '') and keyless.get('report') is None and
          keyless.get('report_path') is None and keyless.get('changed') is False and
          not os.path.exists(stale),
          'no report written: the tool\'s words, no earlier report (%s)' % keyless.get('msg'))
    check(untouched(fleet.sites['site-a']), 'no report written: no unit of site-a touched')


def check_survey(fleet):
    # Read only, so it runs in check mode as it would otherwise.
    run, result = ad_hoc(fleet, 'nexalo.bus.survey',
                         'port={{ nexalo_port }} chdir={{ nexalo_folder }} cli={{ nexalo_cli }} '
                         'inventory=inventory.json', 'survey')
    controllers = (result.get('inventory') or {}).get('controllers') or [{}]
    terminals = controllers[0].get('terminals') or [{}]
    check(run.returncode == 0 and result.get('changed') is False and result.get('units') == 2,
          'survey: site-a reads two units, changed false')
    check(terminals[0].get('fixedAddress') == '20000101' and terminals[0].get('version') == '1.02',
          'survey: the inventory holds the terminal behind and its version')
    check(untouched(fleet.sites['site-a']), 'survey: no unit of site-a changed')
    check(not os.path.exists(os.path.join(fleet.sites['site-a'].folder, 'inventory.json')),
          'survey: check mode writes no inventory file')


def check_stopped_rollout(fleet):
    run = fleet.playbook(batch=2)
    check(run.returncode != 0, 'first batch: the failing site fails the playbook')
    bad = fleet.outcome('site-bad') or {}
    report = fleet.latest('site-bad') or {'buses': [{'units': [{}, {}]}]}
    failing = report['buses'][0]['units'][1]
    verdict = (report.get('outcome') or {}).get('verdict') or 'no verdict'
    check(bad.get('failed') is True and bad.get('msg', '').startswith(verdict) and
          'not up to date' in verdict,
          'first batch: site-bad fails with the tool\'s verdict (%s)' % bad.get('msg'))
    check(failing.get('result') == 'failed' and bad.get('changed') is True,
          'first batch: site-bad\'s unit failed, written to (changed)')
    a = fleet.outcome('site-a') or {}
    check(a.get('changed') is True and a.get('counts', {}).get('upgraded') == 1,
          'first batch: site-a, in the same batch, upgraded its terminal')
    state = fleet.sites['site-a'].units()
    check(state['behind']['holdsItsFile'] is True, 'first batch: site-a terminal flash = file')
    check(not state['controller']['enteredUpgradeMode'] and
          not state['controller']['flashChanged'],
          'first batch: site-a current controller never in upgrade mode')
    check(fleet.outcome('site-b') is None and untouched(fleet.sites['site-b']),
          'max_fail_percentage: the second batch (site-b) never started')
    summary = fleet.summary()
    check(summary.get('site-b') == 'not visited', 'summary: site-b not visited')
    check(summary.get('site-a') == 'upgraded 1, up to date 1, failed 0',
          'summary: site-a (%s)' % summary.get('site-a'))
    check((summary.get('site-bad') or '').startswith('upgraded 0, up to date 1, failed 1 (0101 '),
          'summary: site-bad (%s)' % summary.get('site-bad'))


def check_fleet_run(fleet):
    newer = os.path.join(fleet.sites['site-a'].folder, 'Terminal-K2.hex')
    subprocess.run([fleet.args.fwgen, '--format', 'hex', '--version', '2.30', '--size', '20480',
                    '--seed', '7', newer], check=True, stdout=subprocess.DEVNULL, timeout=60)
    run = fleet.playbook(batch=4)
    check(run.returncode != 0, 'whole fleet: the failing site still fails the playbook')
    outcomes = dict((name, fleet.outcome(name) or {}) for name in fleet.sites)
    check(outcomes['site-b'].get('changed') is True and outcomes['site-b'].get('failed') is False,
          'whole fleet: site-b upgraded')
    check(outcomes['site-a'].get('changed') is True, 'whole fleet: site-a takes its newer file')
    # Its unit, left in its boot loader by the failed erase, is written to again.
    check(outcomes['site-bad'].get('failed') is True and
          outcomes['site-bad'].get('changed') is True,
          'whole fleet: site-bad fails again')
    for name in ('site-a', 'site-b'):
        state = fleet.sites[name].units()
        check(state['behind']['holdsItsFile'] is True,
              'whole fleet: %s terminal flash = its file' % name)
        check(not state['controller']['enteredUpgradeMode'],
              'whole fleet: %s controller never in upgrade mode' % name)
    check((fleet.read('site-a', 'diff.txt') or '').strip() == '20000101 version: 2.21 -> 2.30',
          'diff: site-a against its previous visit (%r)' % fleet.read('site-a', 'diff.txt'))
    check(fleet.read('site-bad', 'diff.txt') == '', 'diff: site-bad unchanged since its visit')
    check(fleet.read('site-b', 'diff.txt') is None, 'diff: site-b has no previous visit')
    summary = fleet.summary()
    check(summary.get('site-b') == 'upgraded 1, up to date 1, failed 0',
          'summary: site-b (%s)' % summary.get('site-b'))


def check_nothing_left(fleet):
    run = fleet.playbook('--limit', 'site-a,site-b')
    check(run.returncode == 0, 'second visit of the good sites succeeds')
    for name in ('site-a', 'site-b'):
        outcome = fleet.outcome(name) or {}
        check(outcome.get('changed') is False and outcome.get('failed') is False,
              'second visit: %s changed nothing' % name)
        check(fleet.read(name, 'diff.txt') == '', 'second visit: %s no difference' % name)
    summary = fleet.summary()
    check(summary.get('site-a') == 'upgraded 0, up to date 2, failed 0' and
          summary.get('site-bad') == 'not visited',
          'summary of the second visit (%s)' % summary)
    changed = recap(run.stdout, 'changed')
    check(changed.get('site-a') == 0 and changed.get('site-b') == 0,
          'second visit: changed=0 in the recap (%s)' % changed)
    return run


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--cli', required=True)
    parser.add_argument('--sim-site', required=True)
    parser.add_argument('--samples', required=True)
    parser.add_argument('--collection', required=True)
    args = parser.parse_args()
    args.playbook = os.path.join(args.collection, 'examples', 'fleet.yml')
    args.fwgen = os.path.join(args.samples, 'nexalo-fwgen')
    if not shutil.which('ansible-playbook'):
        print('ansible-playbook is not installed (Debian package ansible-core): skipped')
        return SKIPPED

    top = tempfile.mkdtemp(prefix='nexalo-ansible-')
    fleet = Fleet(args, top)
    try:
        check_report_reading(args)
        check_documentation(args, top)
        fleet.start()
        check_plan(fleet)
        check_survey(fleet)
        check_failures_in_the_tools_words(fleet)
        check_stopped_rollout(fleet)
        check_fleet_run(fleet)
        check_nothing_left(fleet)
    finally:
        fleet.end()
    if failures:
        for output in fleet.outputs:
            print(output[-5000:])
        print('%d check(s) failed; the fleet is kept in %s' % (len(failures), top))
        return 1
    shutil.rmtree(top, ignore_errors=True)
    return 0


if __name__ == '__main__':
    sys.exit(main())
