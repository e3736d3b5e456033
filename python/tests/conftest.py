"""Every test runs offscreen with its settings in temporary folders, the module taken from the
build (PYTHONPATH) and this build's plotyra-cli (PLOTYRA_CLI)."""
import os
import shutil
import subprocess
import tempfile

import numpy as np
import pytest

_settings = tempfile.mkdtemp(prefix="plotyra-pytest-")
for name in ("XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"):
    os.environ[name] = os.path.join(_settings, name.lower())
    os.makedirs(os.environ[name], mode=0o700)

SOURCE = os.environ.get("PLOTYRA_SOURCE",
                        os.path.join(os.path.dirname(__file__), os.pardir, os.pardir))
EXAMPLES = os.path.join(SOURCE, "examples")


def pytest_configure(config):
    config.addinivalue_line("markers", "display: needs a display (runs under xvfb-run)")


def pytest_unconfigure(config):
    shutil.rmtree(_settings, ignore_errors=True)


def example(name):
    return os.path.join(EXAMPLES, name)


def cli(*args):
    """plotyra-cli of this build; its exit status and what it said on stderr."""
    program = os.environ.get("PLOTYRA_CLI")
    if not program:
        pytest.skip("PLOTYRA_CLI is not set")
    r = subprocess.run([program, *map(str, args)], capture_output=True, text=True)
    return r.returncode, r.stderr


def read(path):
    with open(path, "rb") as f:
        return f.read()


@pytest.fixture
def wave():
    """A small surface with its coordinates: one hill, one valley."""
    x = np.linspace(-3, 3, 41)
    z = np.linspace(-2, 2, 31)
    return np.sin(x)[None, :] * np.cos(z)[:, None], x, z
