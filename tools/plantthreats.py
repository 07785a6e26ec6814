#!/usr/bin/python3
"""Plants files and registry entries that the built-in signature database
(resources/definitions/definitions.src) detects into a Wine prefix, and
takes them away again, so that scans of that prefix have something to find.

    plantthreats.py plant  [PREFIX]    (default: build/run-prefix)
    plantthreats.py remove [PREFIX]
    plantthreats.py list   [PREFIX]    what it plants, and whether it is there

Everything planted is harmless: small text files and registry values under
made-up names. The prefix must exist (run the program in it once); the
registry is changed with the prefix's own "wine regedit", so Wine must be
installed. The hosts file gets one marked line, which remove takes out.
"""

import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
HOSTS_MARK = "# planted by plantthreats.py"
HOSTS_LINE = "127.0.0.1 search.harrowdial.example " + HOSTS_MARK

# (folder under the user's profile or drive C:, file name, content)
def planted_files(user, temp):
    roaming = os.path.join("users", user, "AppData", "Roaming")
    return [
        (roaming, "gbagent.exe", b"Cleanwarden planted test file: Glimmerbug\r\n"),
        (roaming, "fernweb.exe", b"Cleanwarden planted test file: Fernweb helper\r\n"),
        (os.path.join(roaming, "Glimmerbug"), "gbdrop.exe", b"Cleanwarden planted test file: Glimmerbug dropper\r\n"),
        (temp, "glimmerbug_0153.tmp", b"Cleanwarden planted test file: Glimmerbug\r\n"),
        (os.path.join("windows", "system32"), "qkhook.dll", b"QUILLKEY\0 planted test file\r\n"),
        (os.path.join("users", user, "Cookies"), "planted@tumbleclick.example.txt",
         b"planted\ntrue\ntumbleclick.example/\n"),
    ]

REG_PLANT = r"""REGEDIT4

[HKEY_LOCAL_MACHINE\SOFTWARE\Glimmerbug]
"Campaign"="planted"

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]
"GlimmerbugAgent"="C:\\users\\{user}\\AppData\\Roaming\\gbagent.exe"

[HKEY_CURRENT_USER\Software\Fernweb]
"Installed"="planted"

[HKEY_LOCAL_MACHINE\SOFTWARE\Quillkey]
"Installed"="1"

"""

REG_REMOVE = r"""REGEDIT4

[-HKEY_LOCAL_MACHINE\SOFTWARE\Glimmerbug]

[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run]
"GlimmerbugAgent"=-

[-HKEY_CURRENT_USER\Software\Fernweb]

[-HKEY_LOCAL_MACHINE\SOFTWARE\Quillkey]

"""


def fail(text):
    sys.stderr.write("plantthreats: %s\n" % text)
    sys.exit(1)


def prefix_user(drive_c):
    users = os.path.join(drive_c, "users")
    names = [n for n in sorted(os.listdir(users)) if n.lower() != "public"] if os.path.isdir(users) else []
    if not names:
        fail("no user profile in %s: run a program in the prefix first" % users)
    return names[0]


def temp_folder(prefix, user):
    """The user's TEMP of the prefix (Wine versions differ), under drive_c."""
    try:
        with open(os.path.join(prefix, "user.reg"), encoding="latin-1") as f:
            for line in f:
                if line.startswith('"TEMP"="C:'):
                    value = line.split("=", 1)[1].strip().strip('"').replace("\\\\", "\\")
                    return os.path.join(*value[3:].split("\\"))
    except OSError:
        pass
    return os.path.join("users", user, "Temp")


def inside(drive_c, path):
    """The real path stays inside the prefix (profile folders may be links
    to the Linux home: those are not written)."""
    real = os.path.realpath(path)
    return real == os.path.realpath(drive_c) or real.startswith(os.path.realpath(drive_c) + os.sep)


def regedit(prefix, text):
    env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all")
    with tempfile.NamedTemporaryFile("w", suffix=".reg", delete=False, newline="\r\n") as f:
        f.write(text)
        name = f.name
    try:
        result = subprocess.run(["wine", "regedit", "/S", name], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if result.returncode != 0:
            fail("wine regedit failed (%d)" % result.returncode)
    finally:
        os.unlink(name)


def hosts_path(drive_c):
    return os.path.join(drive_c, "windows", "system32", "drivers", "etc", "hosts")


def read_hosts(drive_c):
    try:
        with open(hosts_path(drive_c), "rb") as f:
            return f.read().decode("latin-1")
    except FileNotFoundError:
        return ""


def write_hosts(drive_c, text):
    path = hosts_path(drive_c)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    # Replaced whole: a temporary file moved over the old one.
    temp = path + ".planting"
    with open(temp, "wb") as f:
        f.write(text.encode("latin-1"))
    os.replace(temp, path)


def plant(prefix, drive_c, user, temp):
    for folder, name, content in planted_files(user, temp):
        target_folder = os.path.join(drive_c, folder)
        os.makedirs(target_folder, exist_ok=True)
        if not inside(drive_c, target_folder):
            print("skipped (outside the prefix): %s" % os.path.join(folder, name))
            continue
        with open(os.path.join(target_folder, name), "wb") as f:
            f.write(content)
        print("file  C:\\%s" % os.path.join(folder, name).replace("/", "\\"))
    hosts = read_hosts(drive_c)
    if HOSTS_MARK not in hosts:
        if hosts and not hosts.endswith("\n"):
            hosts += "\r\n"
        write_hosts(drive_c, hosts + HOSTS_LINE + "\r\n")
    print("hosts %s" % HOSTS_LINE)
    regedit(prefix, REG_PLANT.replace("{user}", user))
    print("registry: HKLM\\SOFTWARE\\Glimmerbug, HKLM\\SOFTWARE\\Quillkey, HKCU\\Software\\Fernweb, "
          "HKCU\\...\\Run GlimmerbugAgent")


def remove(prefix, drive_c, user, temp):
    for folder, name, _ in planted_files(user, temp):
        path = os.path.join(drive_c, folder, name)
        if os.path.isfile(path) and inside(drive_c, path):
            os.unlink(path)
            print("removed C:\\%s" % os.path.join(folder, name).replace("/", "\\"))
    hosts = read_hosts(drive_c)
    if HOSTS_MARK in hosts:
        kept = [line for line in hosts.splitlines(True) if HOSTS_MARK not in line]
        write_hosts(drive_c, "".join(kept))
        print("removed the hosts line")
    regedit(prefix, REG_REMOVE)
    print("removed the registry entries")


def show(drive_c, user, temp):
    for folder, name, _ in planted_files(user, temp):
        there = os.path.isfile(os.path.join(drive_c, folder, name))
        print("%-8s C:\\%s" % ("planted" if there else "absent", os.path.join(folder, name).replace("/", "\\")))
    print("%-8s hosts line" % ("planted" if HOSTS_MARK in read_hosts(drive_c) else "absent"))


def main(argv):
    if len(argv) < 2 or argv[1] not in ("plant", "remove", "list"):
        sys.stderr.write(__doc__)
        return 2
    prefix = os.path.abspath(argv[2] if len(argv) > 2 else os.path.join(ROOT, "build", "run-prefix"))
    drive_c = os.path.join(prefix, "drive_c")
    if not os.path.isdir(drive_c):
        fail("%s is not a Wine prefix (no drive_c)" % prefix)
    user = prefix_user(drive_c)
    temp = temp_folder(prefix, user)
    if argv[1] == "plant":
        plant(prefix, drive_c, user, temp)
    elif argv[1] == "remove":
        remove(prefix, drive_c, user, temp)
    else:
        show(drive_c, user, temp)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
