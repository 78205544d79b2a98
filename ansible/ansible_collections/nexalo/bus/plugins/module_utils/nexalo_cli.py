# -*- coding: utf-8 -*-
# Running nexalo-cli on the managed host: its global options from the module's, a command with
# a JSON document written to a file, and the tool's own words when it fails.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import os
import tempfile

# The options every module that reaches a bus takes (merged into its argument_spec).
BUS_ARGUMENT_SPEC = dict(
    port=dict(type='list', elements='str', required=True, aliases=['ports']),
    chdir=dict(type='path', required=True),
    baud=dict(type='int', choices=[1200, 2400, 4800, 9600, 19200, 38400, 57600]),
    min_timeout=dict(type='int'),
    extra_attempts=dict(type='int'),
    trusted_key=dict(type='path', no_log=False),
    cli=dict(type='str', default='nexalo-cli'),
)


def global_arguments(params):
    args = []
    for port in params['port']:
        args += ['--port', port]
    if params.get('baud') is not None:
        args += ['--baud', str(params['baud'])]
    if params.get('min_timeout') is not None:
        args += ['--min-timeout', str(params['min_timeout'])]
    if params.get('extra_attempts') is not None:
        args += ['--extra-attempts', str(params['extra_attempts'])]
    if params.get('trusted_key'):
        args += ['--trusted-key', params['trusted_key']]
    return args


def check_bus_params(module):
    params = module.params
    if not params['port']:
        module.fail_json(msg='port needs at least one port')
    extra = params.get('extra_attempts')
    if extra is not None and not 0 <= extra <= 5:
        module.fail_json(msg='extra_attempts is 0 to 5, not %d' % extra)
    if not os.path.isdir(params['chdir']):
        module.fail_json(msg='the working folder %s is not there' % params['chdir'])


def resolve_tool(module):
    tool = module.params['cli']
    if os.sep in tool:
        return tool
    return module.get_bin_path(tool, required=True)


def read_document(path):
    """The JSON document at path, or None when it is missing or is not JSON."""
    try:
        with open(path) as f:
            return json.load(f)
    except (IOError, OSError, ValueError):
        return None


def remove_previous(module, path):
    """Removes the document a run before this one left at path, so that what is read after the
    run is this run's or nothing."""
    try:
        os.unlink(path)
    except FileNotFoundError:
        pass
    except OSError as error:
        module.fail_json(msg='cannot remove the previous %s: %s' % (path, error))


def run_with_document(module, command, options, document_path=None):
    """Runs nexalo-cli COMMAND --json FILE in the working folder. Returns the exit status,
    standard output, standard error, the command line and the parsed document (None when the
    run wrote none: the file is removed first). Without document_path the document goes to a
    temporary file."""
    tool = resolve_tool(module)
    folder = module.params['chdir']
    temporary = None
    if document_path is None:
        handle, temporary = tempfile.mkstemp(prefix='nexalo-', suffix='.json')
        os.close(handle)
        document_path = temporary
    elif not os.path.isabs(document_path):
        document_path = os.path.join(folder, document_path)
    remove_previous(module, document_path)
    argv = [tool] + global_arguments(module.params) + [command] + options + ['--json',
                                                                           document_path]
    rc, out, err = module.run_command(argv, cwd=folder)
    document = read_document(document_path)
    if temporary and os.path.exists(temporary):
        os.unlink(temporary)
    return rc, out, err, argv, document


def closing_line(lines):
    """The last line with text: the tool's verdict on a run (or why it could not start)."""
    for line in reversed(lines):
        if line.strip():
            return line.strip()
    return None


def usage_reason(rc, err):
    """The one-line reason nexalo-cli gives on standard error for a usage error (exit 2)."""
    reason = closing_line(err.splitlines())
    return reason or 'nexalo-cli ended with exit status %d' % rc


def tool_words(rc, out, err, last=3):
    """What nexalo-cli said when it ended without its document: its last lines on standard
    error, else its last line on standard output."""
    said = [line.strip() for line in err.splitlines() if line.strip()][-last:]
    if said:
        return ' | '.join(said)
    return closing_line(out.splitlines()) or (
        'nexalo-cli ended with exit status %d and wrote nothing' % rc)
