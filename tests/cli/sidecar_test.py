#!/usr/bin/env python3
# Sidecars as Linux desktops really meet them: the kernel's own exFAT/FAT answers (emulated by
# interposing the attribute calls, tests/support/kernel_emulation.cpp), a real exfat-fuse volume
# that ignores case, a process killed at each step of a sidecar's replacement, and paths that are
# not plain names.
import os, subprocess, unittest

from cli_test import CLI


def run_emulated(*args, emulate=None, kill_at=None):
    # quillmark-cli with the emulation library loaded: emulate is "kernel-fat" or "seccomp",
    # kill_at "STEP[:N]" (see kernel_emulation.cpp). Returns (status, stdout, stderr).
    env = dict(os.environ, LD_PRELOAD=os.environ["QUILLMARK_PRELOAD"],
               ASAN_OPTIONS="verify_asan_link_order=0:" + os.environ.get("ASAN_OPTIONS", ""))
    env.update({k: v for k, v in (("QUILLMARK_EMULATE", emulate), ("QUILLMARK_KILL_AT", kill_at)) if v})
    done = subprocess.run([CLI, *args], capture_output=True, env=env)
    return done.returncode, done.stdout.decode(errors="replace"), done.stderr.decode(errors="replace")


if __name__ == "__main__":
    unittest.main()
