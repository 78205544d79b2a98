"""What the collection's test and the fleet benchmark both do to set up a simulated site: its
working folder with the sample firmware files, and the address its simulator serves."""

import os
import shutil


def copy_samples(samples, folder):
    """The sample files that samples.txt in the samples folder lists, copied into folder."""
    with open(os.path.join(samples, 'samples.txt')) as listing:
        for line in listing:
            if line.strip() and not line.startswith('#'):
                name = line.split('\t')[0]
                shutil.copy(os.path.join(samples, name), os.path.join(folder, name))


def served_address(process):
    """The tcp:// address a simulator started with its output piped prints first; None when
    it printed something else or nothing."""
    address = process.stdout.readline().strip()
    return address if address.startswith('tcp://') else None
