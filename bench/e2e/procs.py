"""The end-to-end helpers moved to tests/e2e/. A benchmark here that imports one of them finds
this module first: it puts tests/e2e/ first on the import path and hands over to the real procs
there, so that the other helpers (pty_board, steps, remote_real_e2e) are found there too."""
import importlib
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
del sys.modules[__name__]
sys.modules[__name__] = importlib.import_module(__name__)
