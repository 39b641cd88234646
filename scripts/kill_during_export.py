#!/usr/bin/env python3
"""Kills korvan-cli at random moments of its export and checks what stays.

After every kill each netlist must be one of the two complete versions that
the two alternating designs produce; temporaries seen after a kill are
counted, and after one last complete run none may remain.

    python3 scripts/kill_during_export.py [KILLS] [path/to/korvan-cli]
"""
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

kills = int(sys.argv[1]) if len(sys.argv) > 1 else 600
root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
cli = sys.argv[2] if len(sys.argv) > 2 else os.path.join(root, "build", "src", "korvan-cli")
folders = ["GPLA_files", "ARD_files", "SPICE_files"]
# Same file names, other contents: only the loss resistance differs.
designs = [["--export", "--rm", "20"], ["--export", "--rm", "35"]]
temporary = re.compile(r"^\..+\.[0-9A-Za-z]{6}$")


def snapshot(folder):
    files, temps = {}, []
    for sub in folders:
        path = os.path.join(folder, sub)
        for name in sorted(os.listdir(path)) if os.path.isdir(path) else []:
            if temporary.match(name):
                temps.append(sub + "/" + name)
            else:
                with open(os.path.join(path, name), "rb") as f:
                    files[sub + "/" + name] = f.read()
    return files, temps


def run(folder, args):
    subprocess.run([cli] + args, cwd=folder, check=True, stdout=subprocess.DEVNULL)


work = tempfile.mkdtemp(prefix="korvan-kills-")
try:
    versions = []
    for args in designs:
        ref = tempfile.mkdtemp(dir=work)
        start = time.monotonic()
        run(ref, args)
        duration = time.monotonic() - start
        versions.append(snapshot(ref)[0])
    names = set(versions[0])
    assert names == set(versions[1]) and all(versions[0][n] != versions[1][n] for n in names)

    folder = os.path.join(work, "run")
    os.mkdir(folder)
    run(folder, designs[0])
    bad, seen, during = 0, set(), 0
    for i in range(kills):
        p = subprocess.Popen([cli] + designs[i % 2], cwd=folder, stdout=subprocess.DEVNULL)
        time.sleep(random.uniform(0, duration * 1.2))
        p.kill()
        p.wait()
        files, temps = snapshot(folder)
        seen.update(temps)
        during += p.returncode != 0
        for name in names:
            if files.get(name) not in (versions[0][name], versions[1][name]):
                bad += 1
                print("incomplete or wrong:", name, "after kill", i)
    run(folder, designs[0])
    files, left = snapshot(folder)
    print(f"{kills} kills ({during} while running, run time {duration * 1000:.0f} ms): "
          f"{bad} incomplete netlists, {len(seen)} distinct temporaries seen after kills, "
          f"{len(left)} left after the next complete run")
    sys.exit(1 if bad or left else 0)
finally:
    shutil.rmtree(work)
