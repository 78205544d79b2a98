# -*- coding: utf-8 -*-
# What a site report (nexalo-cli site --json) says, summed up for Ansible: the counts of unit
# results and the buses that did not end well. Shared by the module site and the filter
# site_counts, so a fleet summary counts exactly as the module does.
#
# Readers ignore fields they do not know, and read the fields a report may lack (a bus's "end",
# "reason" and "verified", a unit's "reason") only when they are there.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

# A unit result that means its upgrade did not take.
FAILED_RESULTS = ('failed', 'refused', 'left in boot loader', 'not verified')

# Count names, one per unit result the report can give.
COUNTED_RESULTS = {
    'upgraded': 'upgraded',
    'up to date': 'up_to_date',
    'not reachable': 'not_reachable',
    'on request': 'on_request',
    'no file': 'no_file',
    'not done': 'not_done',
    'planned': 'planned',
}


def buses_of(report):
    if not isinstance(report, dict) or not isinstance(report.get('buses'), list):
        return []
    return [bus for bus in report['buses'] if isinstance(bus, dict)]


def units_of(bus):
    units = bus.get('units')
    return [unit for unit in units if isinstance(unit, dict)] if isinstance(units, list) else []


def count_results(units):
    counts = dict((name, 0) for name in COUNTED_RESULTS.values())
    counts['failed'] = 0
    for unit in units:
        result = unit.get('result')
        if result in FAILED_RESULTS:
            counts['failed'] += 1
        elif result in COUNTED_RESULTS:
            counts[COUNTED_RESULTS[result]] += 1
    return counts


def report_counts(report):
    units = []
    for bus in buses_of(report):
        units.extend(units_of(bus))
    return count_results(units)


def unit_problem(unit):
    """'0101 failed: Erase Error 05' for a unit whose upgrade did not take, else None."""
    result = unit.get('result')
    if result not in FAILED_RESULTS and result != 'not done':
        return None
    text = '%s %s' % (unit.get('address', '?'), result)
    if unit.get('reason'):
        text += ': %s' % unit['reason']
    return text


def bus_problems(bus, plan=False):
    """What went wrong on a bus, in the report's own words; empty when nothing did. A plan
    has no verifying survey, so it is not held against one."""
    problems = []
    if bus.get('opened') is False:
        problems.append('the port did not open')
    end = bus.get('end')
    if end not in (None, 'completed'):
        problems.append(end + (': %s' % bus['reason'] if bus.get('reason') else ''))
    elif bus.get('stopped') is True:
        problems.append('stopped')
    for unit in units_of(bus):
        problem = unit_problem(unit)
        if problem:
            problems.append(problem)
    # A bus with nothing to upgrade has nothing to verify: the tool says "nothing to upgrade",
    # not "verified", and exits 0 unless a unit is left in its boot loader (counted above).
    planned_any = any(unit.get('action') == 'upgrade' for unit in units_of(bus))
    if bus.get('verified') is False and not plan and planned_any and not problems:
        problems.append('not verified')
    return problems


# A unit result that says the run wrote to the unit: it was asked into upgrade mode and its
# procedure ran, whatever came of it. Refused, not done and the rest were never touched.
WRITTEN_RESULTS = ('upgraded', 'failed', 'left in boot loader', 'not verified')


def wrote_a_unit(report):
    """True when the run touched a unit of any bus."""
    return any(unit.get('result') in WRITTEN_RESULTS
               for bus in buses_of(report) for unit in units_of(bus))


def would_change(report):
    """True when a plan would upgrade a unit."""
    return any(unit.get('result') == 'planned' and unit.get('action') == 'upgrade'
               for bus in buses_of(report) for unit in units_of(bus))


def outcome_of(document):
    """The outcome the tool gave a run or a bus: (kind, verdict); (None, None) when the report
    has none (a tool older than the outcome)."""
    outcome = document.get('outcome') if isinstance(document, dict) else None
    if not isinstance(outcome, dict):
        return None, None
    return outcome.get('kind'), outcome.get('verdict')


def unit_versions(report, planned):
    """Each unit's version before and after, one line each ('[COM1] 0101 20000101: 1.02'), as
    two texts for Ansible's diff. A plan's after is the file's version of each unit it would
    upgrade."""
    before, after = [], []
    for bus in buses_of(report):
        for unit in units_of(bus):
            name = '[%s] %s %s' % (bus.get('port', '?'), unit.get('address', '?'),
                                   unit.get('fixedAddress', '?'))
            was = 'boot loader' if unit.get('inUpgradeMode') else unit.get('before') or 'unknown'
            if planned:
                upgrade = unit.get('action') == 'upgrade' and unit.get('result') == 'planned'
                now = (unit.get('fileVersion') or 'its file') if upgrade else was
            else:
                now = unit.get('after') or (
                    'boot loader' if unit.get('result') == 'left in boot loader' else 'not read')
            before.append('%s: %s\n' % (name, was))
            after.append('%s: %s\n' % (name, now))
    return ''.join(before), ''.join(after)
