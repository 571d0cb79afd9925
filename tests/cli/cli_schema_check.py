"""Checks the animation JSON against cli/animation.schema.json: the fixtures
that `movara export` reads, and what `movara import --json` writes for each
file exported from them. Exits 77 (skipped) without the jsonschema module."""
import json
import pathlib
import subprocess
import sys

try:
    import jsonschema
except ImportError:
    print("jsonschema is not installed; skipped")
    sys.exit(77)

program, schema_path, fixtures, scratch = sys.argv[1:5]
schema = json.loads(pathlib.Path(schema_path).read_text())
jsonschema.Draft202012Validator.check_schema(schema)
validator = jsonschema.Draft202012Validator(schema)
scratch_folder = pathlib.Path(scratch)
scratch_folder.mkdir(parents=True, exist_ok=True)

failures = []


def check(path):
    errors = list(validator.iter_errors(json.loads(pathlib.Path(path).read_text())))
    for error in errors:
        failures.append(f"{path}: {'/'.join(str(p) for p in error.absolute_path)}: {error.message}")


for fixture in sorted(pathlib.Path(fixtures).glob("*.json")):
    check(fixture)
    destination = scratch_folder / (fixture.stem + ".seq")
    exported = subprocess.run([program, "export", str(fixture), str(destination)],
                              capture_output=True, text=True)
    if exported.returncode != 0:
        continue  # fixtures of refused documents are schema-valid but do not export
    for seq_file in sorted(scratch_folder.glob(fixture.stem + "*.seq")):
        written = seq_file.with_suffix(".json")
        imported = subprocess.run([program, "import", str(seq_file), "--json", str(written)],
                                  capture_output=True, text=True)
        if imported.returncode != 0:
            failures.append(f"{seq_file}: import failed: {imported.stderr.strip()}")
            continue
        check(written)

for failure in failures:
    print(failure)
sys.exit(1 if failures else 0)
