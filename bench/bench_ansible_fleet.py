#!/usr/bin/env python3
"""A fleet of eight simulated sites brought up to date by the example playbook (nexalo.bus,
serial 4) against the same site runs done by nexalo-cli alone, four at a time.

Each site is a nexalo-sim process of its own serving its network over TCP at a paced 38400
baud, with the sample firmware files in its own working folder; every measurement starts from
fresh simulators, so every site has the same work to do. The playbook polls its background
site runs every POLL seconds, which bounds what it adds per batch.

Configured by CMake into the build's bench/ folder with the paths it needs (bench/run runs it).
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

CLI = '@NEXALO_CLI@'
SIM = '@NEXALO_SIM@'
SAMPLES = '@NEXALO_FW_SAMPLES_DIR@'
COLLECTION = '@NEXALO_ANSIBLE_DIR@'

sys.path.insert(0, '@NEXALO_ANSIBLE_TESTS_DIR@')
from sim_sites import copy_samples, served_address  # noqa: E402

SITES = 8
BATCH = 4
BAUD = 38400
POLL = 2

# A controller whose own firmware is current, with two terminals behind and one current: one
# "ALL units" upgrade of the controller's terminals (the site of bench_site_buses).
NETWORK = {'controllers': [{
    'la': '01', 'fixedAddress': '10000001', 'productId': 5, 'version': '4.20', 'terminals': [
        {'la': '01', 'fixedAddress': '20000101', 'productId': 3, 'version': '1.02'},
        {'la': '02', 'fixedAddress': '20000102', 'productId': 6, 'version': '2.00'},
        {'la': '03', 'fixedAddress': '20000103', 'productId': 20, 'version': '2.21'}]}]}


class Fleet:
    """Fresh simulators and working folders for every site."""

    def __init__(self, top, name):
        self.folders, self.ports, self.processes = [], [], []
        network = os.path.join(top, 'site.json')
        for site in range(SITES):
            folder = os.path.join(top, name, 'site%d' % (site + 1))
            os.makedirs(folder)
            copy_samples(SAMPLES, folder)
            process = subprocess.Popen([SIM, '--listen', 'tcp:0', '--baud', str(BAUD), network],
                                       stdout=subprocess.PIPE, text=True)
            self.processes.append(process)
            self.ports.append(served_address(process))
            self.folders.append(folder)
        if not all(self.ports):
            self.end()
            raise RuntimeError('a simulator did not start')

    def end(self):
        for process in self.processes:
            process.terminate()
        for process in self.processes:
            process.wait()


def cli_alone(fleet):
    """Wall seconds of the site runs, BATCH at a time; None when one did not succeed."""
    started = time.monotonic()
    for first in range(0, SITES, BATCH):
        runs = [subprocess.Popen([CLI, '--port', fleet.ports[i], 'site', '--json', 'site.json'],
                                 cwd=fleet.folders[i], stdout=subprocess.DEVNULL)
                for i in range(first, min(first + BATCH, SITES))]
        if any(run.wait() != 0 for run in runs):
            return None
    return time.monotonic() - started


def playbook(fleet, top):
    """Wall seconds of the example playbook over the fleet; None when it did not succeed."""
    hosts = dict(('site%d' % (i + 1), {'nexalo_port': fleet.ports[i],
                                       'nexalo_folder': fleet.folders[i]})
                 for i in range(SITES))
    inventory = os.path.join(top, 'inventory.yml')
    with open(inventory, 'w') as f:
        json.dump({'sites': {'hosts': hosts, 'vars': {
            'ansible_connection': 'local', 'ansible_python_interpreter': sys.executable,
            'nexalo_cli': CLI}}}, f)
    env = dict(os.environ, ANSIBLE_COLLECTIONS_PATH=COLLECTION, ANSIBLE_LOCAL_TEMP=top + '/tmp',
               ANSIBLE_ASYNC_DIR=top + '/async', ANSIBLE_RETRY_FILES_ENABLED='false', HOME=top)
    env.pop('ANSIBLE_CONFIG', None)
    argv = ['ansible-playbook', '-i', inventory, os.path.join(COLLECTION, 'examples', 'fleet.yml'),
            '-e', 'fleet_batch=%d' % BATCH, '-e', 'fleet_poll=%d' % POLL,
            '-e', 'fleet_reports=' + os.path.join(top, 'reports'), '-e', 'fleet_cli=' + CLI]
    started = time.monotonic()
    run = subprocess.run(argv, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         text=True)
    took = time.monotonic() - started
    if run.returncode != 0:
        print(run.stdout[-4000:])
        return None
    return took


def measure(top, name, how):
    fleet = Fleet(top, name)
    try:
        return how(fleet)
    finally:
        fleet.end()


def main():
    if not shutil.which('ansible-playbook'):
        print('ansible-playbook is not installed (Debian package ansible-core)')
        return 1
    top = tempfile.mkdtemp(prefix='nexalo-bench-fleet-')
    try:
        with open(os.path.join(top, 'site.json'), 'w') as f:
            json.dump(NETWORK, f)
        print('%d sites, each a controller with three terminals (two behind), %d baud, one '
              'simulator process per site; %d at a time; the playbook polls every %d s '
              '(goal: playbook / nexalo-cli alone <= 1.15)' % (SITES, BAUD, BATCH, POLL),
              flush=True)
        alone = measure(top, 'alone', cli_alone)
        print('nexalo-cli alone, %d at a time: %s s' % (BATCH, alone and '%.2f' % alone),
              flush=True)
        fleet = measure(top, 'playbook', lambda f: playbook(f, top))
        print('ansible-playbook, serial %d: %s s' % (BATCH, fleet and '%.2f' % fleet), flush=True)
        if alone is None or fleet is None:
            print('a site run did not succeed')
            return 1
        print('RATIO\tfleet of 8 sites: playbook (serial 4) / nexalo-cli alone\t%.3f\t<= 1.15'
              % (fleet / alone))
        return 0
    finally:
        shutil.rmtree(top, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main())
