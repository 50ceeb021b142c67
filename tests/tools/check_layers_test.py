#!/usr/bin/env python3
"""tools/check-layers on a planted tree: an include that points up is named
(a test of a layer counts as that layer), one that points down is not; the
checkout itself passes."""
import os
import subprocess
import sys
import tempfile

checker, checkout = sys.argv[1], sys.argv[2]


def run(root):
    return subprocess.run([sys.executable, checker, root], capture_output=True, text=True)


with tempfile.TemporaryDirectory() as root:
    planted = {
        "src/setup/Planted.cpp": '#include "setup/Planted.h"\n#include "profile/Profile.h"\n#include "pages/UDBFrameUnit.h"\n',
        "src/gui/Widget.cpp": '#include "sys/TextUtils.h"\n  #  include "dialog/Dlg_Settings.h"\n',
        "src/pages/Page.cpp": '#include "dialog/CommonSettringFrame.h"\n#include "gui/Form.h"\n',
        "tests/profile/PlantedTest.cpp": '#include "support/TestFiles.h"\n#include "setup/AnswerFile.h"\n',
    }
    for name, text in planted.items():
        os.makedirs(os.path.dirname(os.path.join(root, name)), exist_ok=True)
        with open(os.path.join(root, name), "w") as f:
            f.write(text)
    result = run(root)
    faults = [line for line in result.stdout.splitlines() if "may not include" in line]
    expected = ["src/gui/Widget.cpp:2", "src/setup/Planted.cpp:3", "tests/profile/PlantedTest.cpp:2"]
    found = sorted(line.split(": ")[1] for line in faults)
    if result.returncode == 0 or found != expected:
        sys.exit(f"planted tree: exit {result.returncode}, named {found}, expected {expected}\n{result.stdout}")

result = run(checkout)
if result.returncode != 0:
    sys.exit("the checkout has includes that point up:\n" + result.stdout)
print("check-layers names exactly the planted upward includes and passes the checkout")
