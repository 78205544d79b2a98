# -*- coding: utf-8 -*-
# Filters for a fleet summary made on the control machine from the site reports fetched there.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible_collections.nexalo.bus.plugins.module_utils.site_report import (
    bus_problems, buses_of, report_counts)


def site_counts(report):
    """The counts of a site report by unit result, as the module site returns them."""
    return report_counts(report)


def site_summary_line(report, site):
    """One line for a site: 'SITE: upgraded 2, up to date 1, failed 0' and what went wrong."""
    if report is None:
        return '%s: not visited' % site
    counts = report_counts(report)
    line = '%s: upgraded %d, up to date %d, failed %d' % (
        site, counts['upgraded'], counts['up_to_date'], counts['failed'])
    problems = []
    for bus in buses_of(report):
        problems += bus_problems(bus)
    if problems:
        line += ' (%s)' % '; '.join(problems)
    return line


class FilterModule(object):
    def filters(self):
        return {'site_counts': site_counts, 'site_summary_line': site_summary_line}
