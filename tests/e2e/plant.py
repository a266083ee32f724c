"""Temporary plants for end-to-end runs of the built program."""

import json
import os
import shutil
import subprocess
import tempfile

PROGRAM = os.environ.get("CORVANE_CONFIG", "")
MDB = os.environ.get("MDB_TOOL", "")

STANDARD = [
    ("ID", "Long"), ("machine_type", "Text(50)"), ("type", "Long"),
    ("part", "Long"), ("var_name", "Text(100)"), ("category_id", "Long"),
    ("isBitArray", "Boolean"), ("offset_or_bitno", "Long"),
    ("text", "Text(255)"), ("page_name", "Text(50)"), ("abs_min", "Double"),
    ("abs_max", "Double"), ("min", "Double"), ("max", "Double"),
    ("pass", "Long"),
]

PATTERNS = [
    (1, "VISIWIN32", "###Var_Name", 1),
    (2, "VISIWINSTUDIO", "###Var_Name", 1),
    (3, "VISIWIN32", "M.###machine.###Var_Name", 2),
    (4, "VISIWINSTUDIO", "###Var_Name_###machine", 2),
]


def preset(id_, machine_type, part, var_name, offset, text="t",
           limits=(0.0, 10.0, 1.0, 9.0), pass_=1, category=10, bit=False,
           type_=1):
    """A PRESET_DEFS row in the standard column order."""
    return [id_, machine_type, type_, part, var_name, category, bit, offset,
            text, "Main", *limits, pass_]


def csv_cell(value):
    """None is an unquoted empty field (Null), "" a quoted one."""
    if value is None:
        return ""
    if isinstance(value, bool):
        return "true" if value else "false"
    text = str(value)
    if text == "" or any(c in text for c in ',"\r\n'):
        return '"' + text.replace('"', '""') + '"'
    return text


def csv_text(columns, rows):
    lines = [",".join(f"{name}:{kind}" for name, kind in columns)]
    lines += [",".join(csv_cell(v) for v in row) for row in rows]
    return "\n".join(lines) + "\n"


def make_mdb(path, tables):
    """tables: {name: (columns, rows)} -> a new database made by `mdb create`."""
    src = tempfile.mkdtemp(prefix="corvane-csv-")
    try:
        for name, (columns, rows) in tables.items():
            with open(os.path.join(src, name + ".csv"), "w", newline="",
                      encoding="utf-8") as f:
                f.write(csv_text(columns, rows))
        subprocess.run([MDB, "create", path, src], check=True,
                       capture_output=True)
    finally:
        shutil.rmtree(src)


def dump(path, table):
    out = subprocess.run([MDB, "dump", "--json", path, table], check=True,
                         capture_output=True, text=True).stdout
    return json.loads(out)["tables"][0]


def write_ini(path, sections):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="cp1252", newline="") as f:
        for section, entries in sections.items():
            f.write(f"[{section}]\r\n")
            for key, value in entries.items():
                f.write(f"{key}={value}\r\n")


class Plant:
    """base/parameter, base/Corvane (program, cfg, databases), base/backup."""

    def __init__(self, cfg=None, vwstudio=False, machines=("M1",)):
        self.dir = tempfile.mkdtemp(prefix="corvane-plant-")
        self.base = os.path.join(self.dir, "Hmi")
        self.component = os.path.join(self.base, "Corvane")
        self.backup = os.path.join(self.base, "backup")
        os.makedirs(self.component)
        os.makedirs(os.path.join(self.backup, "Corvane"))
        project = {"NumberOfMachines": str(len(machines))}
        if vwstudio:
            project["VWStudio"] = "true"
        ini = {"Project": project}
        for k, name in enumerate(machines, 1):
            ini[f"Machine{k}"] = {"MachineName": name}
        write_ini(os.path.join(self.base, "parameter", "Program.ini"), ini)
        write_ini(os.path.join(self.backup, "parameter", "program.ini"), ini)
        common = {"SaveAndRestore": self.backup}
        for k, name in enumerate(machines, 1):
            common[f"NameM{k}"] = name
        write_ini(os.path.join(self.base, "parameter", "hx3configuration.ini"),
                  {"Common": common})
        write_ini(self.cfg, {"Project": cfg if cfg is not None else
                             {"ValidMachines": "ALL", "ForMachine1": "true"}})
        self.program = os.path.join(self.component, "Corvane_Config")
        shutil.copy(PROGRAM, self.program)

    @property
    def cfg(self):
        return os.path.join(self.component, "Corvane.cfg")

    @property
    def template(self):
        return os.path.join(self.component, "Corvane_Source.mdb")

    @property
    def database(self):
        return os.path.join(self.component, "Corvane.mdb")

    @property
    def machine_copy(self):
        return os.path.join(self.backup, "Corvane", "Corvane.mdb")

    @property
    def error_log(self):
        return os.path.join(self.base, "HX3cfglog.txt")

    def make_template(self, rows, columns=STANDARD, patterns=PATTERNS):
        make_mdb(self.template, {
            "Source_DEFS": ([("ID", "Long"), ("System", "Text(50)"),
                             ("Var_Name", "Text(255)"), ("Part", "Long")],
                            patterns),
            "Source_PRESET_DEFS": (columns, rows),
            "PRESET_DEFS": (columns, []),
        })

    def make_component(self, rows, columns=STANDARD, path=None):
        make_mdb(path or self.database, {"PRESET_DEFS": (columns, rows)})

    def run(self, *args):
        return subprocess.run([self.program, *args], stdin=subprocess.DEVNULL,
                              capture_output=True, text=True,
                              cwd=self.dir, timeout=300)

    def rows(self, path=None):
        return dump(path or self.database, "PRESET_DEFS")["rows"]

    def cleanup(self):
        shutil.rmtree(self.dir, ignore_errors=True)


def mdbtools_rows(path, table):
    """The rows as mdbtools' mdb-json prints them (one object a line)."""
    out = subprocess.run(["mdb-json", path, table], check=True,
                         capture_output=True, text=True).stdout
    return [json.loads(line) for line in out.splitlines() if line.strip()]


def as_mdbtools(table):
    """Our dump in mdb-json's shape: Null cells left out, booleans as 0/1."""
    names = [c["name"] for c in table["columns"]]
    rows = []
    for row in table["rows"]:
        rows.append({n: (int(v) if isinstance(v, bool) else v)
                     for n, v in zip(names, row) if v is not None})
    return rows


JET4LINT = os.environ.get("JET4LINT", "")
if not JET4LINT:
    print("jet4lint.py not found: structural check skipped")


def lint(path):
    """The structural checker's verdict: its last line ("OK skipped" when
    the optional checker is not there)."""
    if not JET4LINT:
        return "OK skipped"
    out = subprocess.run(["python3", JET4LINT, path], capture_output=True,
                         text=True).stdout.strip().splitlines()
    return out[-1] if out else ""
