"""Running a command that must end within a limit, and, when it does not, saying what hung.

A playbook that hangs would otherwise hold the test until ctest's own time-out and leave
nothing to read. Past the limit, every process of the test (each names the test's folder on
its command line: the playbook's modules, nexalo-cli, the simulated sites) is listed with its
state and what it waits in, with every thread's stack where gdb is installed; then the
command and the processes it left (a module Ansible runs in the background is not its child)
are ended, the simulated sites excepted.
"""

import os
import shutil
import signal
import subprocess
import threading


def processes_naming(marker):
    """pid -> command line, for every process but this one whose command line holds marker."""
    found = {}
    for entry in os.listdir('/proc'):
        if not entry.isdigit() or int(entry) == os.getpid():
            continue
        try:
            with open('/proc/%s/cmdline' % entry, 'rb') as f:
                cmdline = f.read().replace(b'\0', b' ').decode(errors='replace').strip()
        except OSError:
            continue
        if marker in cmdline:
            found[int(entry)] = cmdline
    return found


def proc_text(pid, name):
    try:
        with open('/proc/%d/%s' % (pid, name)) as f:
            return f.read().strip()
    except OSError:
        return '?'


def thread_stacks(pid):
    if not shutil.which('gdb'):
        return '    (gdb is not installed: no stacks)'
    try:
        run = subprocess.run(['gdb', '-p', str(pid), '-batch', '-nx', '-ex',
                              'thread apply all bt 30'], stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, text=True, timeout=60)
    except subprocess.TimeoutExpired:
        return '    (gdb did not end within 60 s)'
    lines = [line for line in run.stdout.splitlines()
             if line.startswith(('Thread ', '#'))]
    return '\n'.join('    ' + line for line in lines)


def describe(processes):
    text = []
    for pid, cmdline in sorted(processes.items()):
        state = proc_text(pid, 'stat').split(') ')[-1].split(' ')[:2]
        text.append('pid %d (parent %s, state %s, waits in %s): %s' % (
            pid, state[1] if len(state) > 1 else '?', state[0], proc_text(pid, 'wchan'),
            cmdline))
        if not os.path.basename(cmdline.split(' ')[0]).startswith(('python', 'ansible')):
            text.append(thread_stacks(pid))
    return '\n'.join(text)


def end_all(process, marker, spare):
    try:
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    for pid, cmdline in processes_naming(marker).items():
        if spare not in cmdline:
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass


def background_jobs(folder):
    """What Ansible's background jobs under folder/async have written so far."""
    jobs = os.path.join(folder, 'async')
    if not os.path.isdir(jobs):
        return ''
    text = []
    for name in sorted(os.listdir(jobs)):
        with open(os.path.join(jobs, name), errors='replace') as f:
            text.append('job %s: %s' % (name, f.read(300).strip()))
    return '\n'.join(text)


def run_bounded(argv, env, limit_s, marker, spare='ansible_sim_site'):
    """Runs argv (output and errors together) like subprocess.run. Past limit_s seconds it
    prints what every process naming marker waits on, ends them (those naming spare
    excepted) and returns exit status -9, the output read so far followed by that report."""
    process = subprocess.Popen(argv, env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               text=True, start_new_session=True)
    lines = []
    reader = threading.Thread(target=lambda: lines.extend(process.stdout), daemon=True)
    reader.start()
    try:
        process.wait(timeout=limit_s)
        reader.join()
        return subprocess.CompletedProcess(argv, process.returncode, ''.join(lines))
    except subprocess.TimeoutExpired:
        report = 'HUNG after %d s: %s\n%s\n%s' % (limit_s, ' '.join(argv),
                                                 describe(processes_naming(marker)),
                                                 background_jobs(marker))
        print(report, flush=True)
        end_all(process, marker, spare)
        process.wait()
        reader.join(timeout=10)  # a process the marker misses may still hold the pipe
        return subprocess.CompletedProcess(argv, -9, ''.join(lines) + '\n' + report)
