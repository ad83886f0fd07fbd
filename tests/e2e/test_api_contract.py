"""The API description www/openapi.json against the running service: it passes redocly's lint,
its examples follow its own schemas, and every answer of the client flows of api_flows.py
(monocular and binocular camera, every route) is one the document describes: a documented
path, method, HTTP status and content type, and a JSON body that validates against the
operation's schema with its members in the documented order."""

import json
import os
import shutil
import subprocess
import unittest

from jsonschema import Draft202012Validator, RefResolver

import api_flows
import ocutest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
DOCUMENT = os.path.join(ROOT, "www", "openapi.json")
REDOCLY_VERSION = "2.77.0"


def media_type(header):
    return (header or "").split(";")[0].strip().lower()


class Contract:
    """Checks answers against the document."""

    def __init__(self, document):
        self.document = document
        self.resolver = RefResolver.from_schema(document)
        self.operation = api_flows.OperationMatcher(document)

    def resolve(self, schema):
        while "$ref" in schema:
            schema = self.resolver.resolve(schema["$ref"])[1]
        return schema

    def errors(self, schema, instance):
        validator = Draft202012Validator(schema, resolver=self.resolver)
        return [f"{'/'.join(map(str, e.absolute_path)) or 'answer'}: {e.message}"
                for e in validator.iter_errors(instance)]

    def order_problems(self, schema, instance, where="answer"):
        """Members of objects that do not come in the order the schema lists them."""
        schema = self.resolve(schema)
        for key in ("oneOf", "anyOf"):
            if key in schema:
                match = next((s for s in schema[key] if not self.errors(s, instance)), None)
                return self.order_problems(match, instance, where) if match else []
        problems = []
        if isinstance(instance, dict) and "properties" in schema:
            expected = [name for name in schema["properties"] if name in instance]
            if expected != list(instance):
                problems.append(f"{where}: members {list(instance)}, documented {expected}")
            for name, value in instance.items():
                if name in schema["properties"]:
                    problems += self.order_problems(schema["properties"][name], value,
                                                    f"{where}.{name}")
        if isinstance(instance, list):
            prefix = schema.get("prefixItems", [])
            for i, value in enumerate(instance):
                inner = prefix[i] if i < len(prefix) else schema.get("items")
                if isinstance(inner, dict):
                    problems += self.order_problems(inner, value, f"{where}[{i}]")
        return problems

    def check_json(self, schema, value):
        return self.errors(schema, value) + self.order_problems(schema, value)

    def check(self, method, target, response):
        """What the document does not describe of an answer (empty when all is described)."""
        path = self.operation(method, target)
        if path is None:
            return [f"{method} {target}: no such operation"]
        responses = self.document["paths"][path][method.lower()]["responses"]
        described = responses.get(str(response.status))
        if described is None:
            return [f"{method} {target}: HTTP {response.status} not documented"]
        content = self.resolve(described).get("content", {})
        if not content:
            return [] if not response.body else [f"{method} {target}: a body where none is"]
        kind = media_type(response.header("content-type"))
        documented = {media_type(name): value for name, value in content.items()}
        if kind not in documented:
            return [f"{method} {target}: content type {kind} not documented"]
        if kind != "application/json":
            return []
        return [f"{method} {target}: {problem}"
                for problem in self.check_json(documented[kind]["schema"], response.json())]


def redocly():
    """The redocly command, installed with npm into the build tree once."""
    folder = os.path.join(os.path.dirname(ocutest.bin_dir()), "tools", "redocly")
    command = os.path.join(folder, "node_modules", ".bin", "redocly")
    package = os.path.join(folder, "node_modules", "@redocly", "cli", "package.json")
    if os.path.exists(package):
        with open(package) as info:
            if json.load(info).get("version") == REDOCLY_VERSION:
                return command
    if not shutil.which("node") or not shutil.which("npm"):
        raise AssertionError("redocly needs node (20.19 or newer) and npm: "
                             "scripts/setup-deps.sh --tests installs them")
    os.makedirs(folder, exist_ok=True)
    subprocess.run(["npm", "install", "--no-audit", "--no-fund", "--prefix", folder,
                    f"@redocly/cli@{REDOCLY_VERSION}"], check=True, stdout=subprocess.DEVNULL,
                   timeout=300)
    return command


class ApiContractTest(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        with open(DOCUMENT) as source:
            cls.document = json.load(source)
        cls.contract = Contract(cls.document)

    def operations(self):
        for path, methods in self.document["paths"].items():
            for method, operation in methods.items():
                yield path, method, operation

    def test_the_document_passes_redocly_lint(self):
        environment = dict(os.environ, REDOCLY_TELEMETRY="off",
                           REDOCLY_SUPPRESS_UPDATE_NOTICE="true")
        lint = subprocess.run([redocly(), "lint", "--format=json", DOCUMENT], env=environment,
                              capture_output=True, text=True, timeout=120)
        self.assertEqual(lint.returncode, 0, lint.stdout + lint.stderr)
        totals = json.loads(lint.stdout)["totals"]
        self.assertEqual((totals["errors"], totals["warnings"]), (0, 0), lint.stdout)

    def test_every_operation_has_examples_that_follow_its_schema(self):
        without = []
        for path, method, operation in self.operations():
            content = operation["responses"]["200"].get("content", {})
            json_answer = content.get("application/json", {})
            if json_answer and not json_answer.get("examples"):
                without.append((path, method))
            for name, example in json_answer.get("examples", {}).items():
                self.assertEqual(
                    self.contract.check_json(json_answer["schema"], example["value"]), [],
                    f"{method} {path} example {name}")
        self.assertEqual(without, [])

    def test_every_answer_of_the_flows_is_described(self):
        problems, answered = [], set()

        def observe(method, target, response):
            answered.add((self.contract.operation(method, target), method.lower()))
            problems.extend(self.contract.check(method, target, response))

        api_flows.run_all(observe)
        self.assertEqual(problems, [])
        # The flows reach every operation but the preflights, one of which they send.
        unanswered = [(path, method) for path, method, _ in self.operations()
                      if method != "options" and (path, method) not in answered]
        self.assertEqual(unanswered, [])
        self.assertIn(("/1.0/lock", "options"), answered)


if __name__ == "__main__":
    unittest.main()
