#!/usr/bin/python3
"""Writes www/openapi.json, the OpenAPI 3.1 description of OcuService's HTTP API.

The routes, their parameters and the schemas of their answers are written down here. The
example answers are taken from the running service: the script starts OcuService with the
camera simulator (tests/e2e/ocutest.py), runs the client flows of tests/e2e/api_flows.py and
keeps, for every operation, the first answer of each status and message.

    scripts/openapi.py [BIN_DIR]      BIN_DIR: the built programs (default build/bin)

Every JSON answer is HTTP 200; its outcome is the "status" member. Each answer schema is a
oneOf of a success variant and an error variant whose members are listed in the order in
which the service writes them, and which allow no other member.
"""

import json
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DOCUMENT = os.path.join(ROOT, "www", "openapi.json")
sys.path.insert(0, os.path.join(ROOT, "tests", "e2e"))

# The order in which the service writes the members of an answer: the result's members, then
# the dictionary, then the identification's list.
MEMBER_ORDER = [
    "status", "message", "sessionId", "matched", "token", "tokenAuthentication", "badFields",
    "captureIds", "tokens", "userIds", "sensorData", "template", "userInfo", "userInfos",
    "quality", "cameraModality", "devices", "streamUrls", "streamDatas", "metadata",
    "deviceInfo", "identified",
]

# Statuses every handler can answer: an exception inside it answers failure, an allocation
# failure memoryAllocationFailed.
ALWAYS = ["failure", "memoryAllocationFailed"]
SESSION_CHECKS = ["badValue", "invalidId", "lockNotHeld", "lockHeldByAnother"]
CAPTURE_RUN = ["sensorBusy", "initializationNeeded", "configurationNeeded", "sensorFailure",
               "canceled"]
DOWNLOAD_CHECKS = ["badValue", "sensorBusy", "initializationNeeded", "configurationNeeded",
                   "invalidId", "invalidParameter", "sensorFailure"]
GALLERY_CHECKS = SESSION_CHECKS + ["sensorBusy", "initializationNeeded", "sensorFailure"]

STATUSES = [
    "success", "failure", "invalidId", "canceled", "canceledWithSensorFailure", "sensorFailure",
    "lockNotHeld", "lockHeldByAnother", "initializationNeeded", "configurationNeeded",
    "sensorBusy", "sensorTimeout", "unsupported", "badValue", "noSuchParamter",
    "preparingDownload", "nocapturing", "invalidParameter", "memoryAllocationFailed",
    "duplicatedEnrollment", "duplicatedToken",
]
IMAGE_FORMATS = ["image/raw", "image/jpeg", "image/jp2", "image/png", "image/vnd.vantrel.raw",
                 "image/vnd.vantrel.jp2"]
ISO_REVISIONS = ["ISO/IEC 19794-6:2005", "ISO/IEC 19794-6:2011"]
IMAGE_KINDS = ["KIND 1", "KIND 2", "KIND 3", "KIND 7", "KIND 7_1_5", "KIND 7_2_5", "KIND 7_3_5",
               "KIND 7_5_0"]
EYES = ["unknownIris", "rightIris", "leftIris", "bothIrises"]
PURPOSES = ["verification", "enrollment", "identification", "enrollmentV2",
            "liveEnrollBothEyes"]
UUID_PATTERN = "^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"
EXAMPLE_BASE64 = 64  # characters of a Base64 text kept in an example


def ref(name):
    return {"$ref": f"#/components/schemas/{name}"}


def closed(properties, required):
    """An object schema with these members in the service's order and no others."""
    ordered = {name: properties[name] for name in MEMBER_ORDER if name in properties}
    ordered.update({k: v for k, v in properties.items() if k not in ordered})
    return {"type": "object", "properties": ordered, "required": list(required),
            "additionalProperties": False}


def item(key, value=None, required=True, **extra):
    """A dictionary item: {"key", "value", ...}."""
    properties = {"key": {"const": key}}
    if value is not None:
        properties["value"] = value
    properties.update(extra)
    names = ["key"] + (["value"] if value is not None and required else [])
    return {"type": "object", "properties": properties, "required": names + list(extra),
            "additionalProperties": False}


def descriptor(name, kind, default):
    return {"type": "object", "properties": {
        "name": {"const": name}, "type": {"const": kind}, "readOnly": {"const": True},
        "defaultValue": default},
        "required": ["name", "type", "readOnly", "defaultValue"], "additionalProperties": False}


def dictionary(*items):
    """A dictionary of exactly these items in this order."""
    return {"type": "array", "prefixItems": list(items), "items": False,
            "minItems": len(items)}


UINT = {"type": "integer", "minimum": 0, "maximum": 4294967295}
QUALITY_RANGE = {"type": "object", "properties": {
    "minimum": {"const": 0}, "maximum": {"const": 100},
    "minimumIsExclusive": {"const": True}, "maximumIsExclusive": {"const": True}},
    "required": ["minimum", "maximum", "minimumIsExclusive", "maximumIsExclusive"],
    "additionalProperties": False,
    "description": "Written exclusive at both ends, although 0 and 100 are accepted."}


def configuration_description():
    resolution = item("resolution", descriptor("resolution", "Resolution", {
        "type": "object", "properties": {"width": {"type": "number"},
                                         "height": {"type": "number"}, "unit": {"const": "pixel"}},
        "required": ["width", "height", "unit"], "additionalProperties": False}))
    qualities = [item(key, {"type": "integer", "minimum": 0, "maximum": 100}, range=QUALITY_RANGE)
                 for key in ("qualityStreaming", "qualitySample")]
    thresholds = [item("genuineThreshold", {"type": "number"}),
                  item("imposterThreshold", {"type": "number"}),
                  item("deduplicationEnroll", {"type": "boolean"})]
    choices = [item("imageFormat", descriptor("imageFormat", "String", {
                    "type": "array", "items": {"enum": IMAGE_FORMATS}})),
               item("biometricFormat", descriptor("biometricFormat", "String", {
                   "type": "array", "items": {"enum": ISO_REVISIONS}}))]
    # "resolution" once the camera reported its frame size; the three matching settings when
    # the camera's configuration record could be read.
    return {"anyOf": [dictionary(*head, *qualities, *middle, *choices)
                      for head in ([resolution], []) for middle in (thresholds, [])],
            "description": "The configuration: frame size (after initialization), qualities "
                           "with their range, matching settings (when the camera's "
                           "configuration can be read), the image and biometric formats."}


def schemas():
    base64 = {"type": "string", "contentEncoding": "base64",
              "pattern": "^[A-Za-z0-9+/]*={0,2}$"}
    return {
        "Uuid": {"type": "string", "pattern": UUID_PATTERN},
        "Base64": base64,
        "BadFields": {"type": "array", "minItems": 1, "items": {
            "enum": ["sessionId", "captureId", "userId", "token", "password",
                     "capturePurpose"]}},
        "Quality": {"type": "object", "properties": {
            "submodality": {"enum": EYES}, "totalScore": {"type": "integer"},
            "usableAreaScore": {"type": "integer"}, "lowerUsableAreaScore": {"const": -1}},
            "required": ["submodality", "totalScore", "usableAreaScore",
                         "lowerUsableAreaScore"], "additionalProperties": False},
        "Identified": {"type": "array", "items": {"type": "object", "properties": {
            "id": {"type": "string", "minLength": 1, "maxLength": 31},
            "distance": {"type": "number"}}, "required": ["distance"],
            "additionalProperties": False},
            "description": "The users nearer than the genuine threshold, nearest first."},
        "ServiceInfo": dictionary(
            item("sessionTimeout", UINT), item("lockStealingPreventionPeriod", UINT),
            item("livePreview", descriptor("livePreview", "Resource", {
                "type": "array", "minItems": 1, "maxItems": 1, "items": {
                    "type": "object", "properties": {
                        "uri": {"type": "string", "format": "uri"},
                        "contentType": {"const": "multipart/x-mixed-replace"},
                        "relationship": {"const": "livePreview"}},
                    "required": ["uri", "contentType", "relationship"],
                    "additionalProperties": False}}))),
        "ConfigurationDescription": configuration_description(),
        "DeviceInfo": dictionary(
            item("productID", {"type": "integer"}),
            item("productName", {"type": "string"}, required=False),
            item("isBinocular", {"enum": [0, 1]}),
            item("serialNumber", {"type": "string"}, required=False),
            *(item(key, UINT) for key in ("propertyFlag", "kernelVersion", "kernelRevision",
                                          "deviceFeatures"))),
        "GalleryCounts": dictionary(*(item(key, UINT) for key in (
            "usedIds", "maxIds", "usedTemplates", "maxTemplates", "maxTemplatesPerId"))),
        "TemplateInfo": dictionary(*(item(key, UINT) for key in (
            "templateVersion", "creatorVersion", "leftIrisCount", "rightIrisCount",
            "unknownIrisCount", "totalIrisCount"))),
        "ImageMetadata": dictionary(
            item("imageFormat", {"enum": IMAGE_FORMATS + ISO_REVISIONS}),
            item("submodality", {"enum": EYES})),
        "TemplateMetadata": dictionary(item("submodality", {"enum": EYES})),
        "Configuration": {"type": "object", "required": ["configuration"], "properties": {
            "configuration": {"type": "object", "required": ["item"], "properties": {
                "item": {"type": "array", "items": {"type": "object", "required": ["key", "value"],
                                                    "properties": {"key": {"type": "string"},
                                                                   "value": {}}}}}}},
            "description": "Items deduplicationEnroll (boolean), genuineThreshold and "
                           "imposterThreshold (numbers written with a fraction or exponent: "
                           "1 is refused, 1.0 taken), qualityStreaming and qualitySample "
                           "(integers 0 to 100). Other keys are ignored; the first item of a "
                           "key counts."},
        "DownloadParams": {"type": "object", "required": ["params"], "properties": {
            "params": {"type": "object", "required": ["imageFormat", "encodingQuality"],
                       "properties": {
                           "imageFormat": {"enum": IMAGE_FORMATS},
                           "imageKind": {"enum": IMAGE_KINDS, "default": "KIND 1",
                                         "description": "An unknown kind means KIND 1."},
                           "isoRevision": {"enum": ISO_REVISIONS + ["none"], "default": "none",
                                           "description": "An ISO/IEC 19794-6 record of this "
                                                          "revision (formats image/raw and "
                                                          "image/jp2 only); 2005 takes kind 1 "
                                                          "whatever imageKind says."},
                           "encodingQuality": {"type": "integer", "minimum": 1,
                                               "maximum": 100}}}}},
        "AdminConfig": {"type": "object", "required": ["config"], "properties": {
            "config": {"type": "object", "required": ["tokenAuthentication"], "properties": {
                "tokenAuthentication": {"type": "boolean"}}}}},
        "RegisterBody": {"type": "object", "properties": {"token": {"type": "string"}},
                         "description": "The access token, needed while the token check is on."},
    }


def answer(errors, success=None, required=()):
    """The schema of a JSON answer: success with the members `success`, if any (those in
    `required` always present), or one of the statuses `errors` (and those every handler can answer) with
    its message and, for a refused parameter, the bad fields."""
    statuses = [s for s in STATUSES if s in set(errors) | set(ALWAYS)]
    error = closed({"status": {"enum": statuses}, "message": {"type": "string"},
                    "badFields": ref("BadFields")}, ["status", "message"])
    return {"oneOf": [closed({"status": {"const": "success"}, **(success or {})},
                             ["status", *required]), error]}


def parameter(name, schema, description, required=True):
    return {"name": name, "in": "query", "required": required, "schema": schema,
            "description": description}


SESSION = {"$ref": "#/components/parameters/session_id"}
CAPTURE = {"$ref": "#/components/parameters/capture_id"}
USER = {"$ref": "#/components/parameters/user_id"}
TOKEN = {"$ref": "#/components/parameters/token_id"}


def parameters():
    raw = " Taken as written: the service does not percent-decode query values."
    return {
        "session_id": parameter("session_id", ref("Uuid"), "The session that holds the sensor "
                                "lock (36 characters; hexadecimal digits of either case)."),
        "capture_id": parameter("capture_id", ref("Uuid"),
                                "A capture identifier of the last capture."),
        "user_id": parameter("user_id", {"type": "string", "pattern": "^[^-]{1,31}$"},
                             "1 to 31 characters without '-'; the camera takes only letters "
                             "and digits." + raw),
        "token_id": parameter("token_id", {"type": "string", "minLength": 1, "maxLength": 8192},
                              "The token, 1 to 8192 bytes." + raw),
    }


def json_body(schema_name, required=True):
    return {"required": required, "content": {"application/json": {"schema": ref(schema_name)}}}


def operation(tag, summary, schema, params=(), body=None, description=None, admin=False):
    op = {"tags": [tag], "summary": summary, "parameters": list(params),
          "responses": {"200": {"description": "The result; its outcome is \"status\".",
                                "content": {"application/json": {"schema": schema}}},
                        "400": {"$ref": "#/components/responses/BadRequest"}}}
    if description:
        op["description"] = description
    if body:
        op["requestBody"] = body
    if admin:
        op["security"] = [{"adminDigest": []}]
        op["responses"]["401"] = {"$ref": "#/components/responses/Unauthorized"}
    else:
        op["security"] = []
    return op


def stream_operation(name, location):
    index = "the second eye of a binocular camera" if name == "stream2" else (
        "the first eye of a binocular camera" if name == "stream1" else
        "the camera's only (or first) eye")
    op = operation("preview", f"Live preview {name}{location}", answer(["failure"]),
                   description=f"The frames of the running capture for {index}, one JPEG per "
                               "part, until the capture ends (then the closing boundary "
                               "\"--vantrel--\"). When no capture runs (\"No capturing is going "
                               "on.\") or three listeners are there already (\"No more "
                               "streaming clients allowed.\"), a JSON result instead.")
    op["responses"]["200"]["content"] = {
        "multipart/x-mixed-replace; boundary=vantrel": {
            "schema": {"type": "string", "contentMediaType": "image/jpeg"}},
        **op["responses"]["200"]["content"]}
    return op


def preflight(path):
    return {"tags": ["cors"], "summary": f"CORS preflight of {path}", "security": [],
            "parameters": [
                {"name": "Origin", "in": "header", "required": False,
                 "schema": {"type": "string"}},
                {"name": "Access-Control-Request-Method", "in": "header", "required": False,
                 "schema": {"type": "string"}}],
            "responses": {"200": {"description": "No body; Access-Control-Allow-Origin and "
                                                 "-Methods echo the two request headers, "
                                                 "-Headers is \"accept, content-type\"."},
                          "400": {"$ref": "#/components/responses/BadRequest"}}}


def paths():
    session_only = answer(SESSION_CHECKS)
    capture_ids = {"type": "array", "minItems": 1, "maxItems": 2, "items": ref("Uuid")}
    p = {}

    def add(path, method, op):
        p.setdefault(path, {})[method] = op

    add("/1.0/register", "post", operation(
        "session", "Register a session",
        answer(["failure"], {"sessionId": ref("Uuid")}, ["sessionId"]),
        body=json_body("RegisterBody", required=False),
        description="Failure \"Access token required!\" or \"Invalid access token!\" while the "
                    "token check is on; failure when 30 sessions are alive."))
    add("/1.0/register", "delete", operation(
        "session", "Unregister a session", answer(["badValue", "sensorBusy"]), [SESSION],
        description="Success also for an unknown session; sensorBusy while the session holds "
                    "the lock and the sensor is busy."))
    add("/1.0/lock", "post", operation("session", "Take the sensor lock",
                                       answer(["badValue", "invalidId", "lockHeldByAnother"]),
                                       [SESSION]))
    add("/1.0/lock", "put", operation("session", "Steal the sensor lock",
                                      answer(["badValue", "invalidId"]), [SESSION],
                                      description="Failure within 30 s of the last steal."))
    add("/1.0/lock", "delete", operation("session", "Release the sensor lock",
                                         answer(["badValue", "invalidId", "lockHeldByAnother"]),
                                         [SESSION]))
    add("/1.0/info", "get", operation(
        "sensor", "Service information", answer(["unsupported"], {
            "metadata": ref("ServiceInfo")}, ["metadata"]),
        description="Session time-out, lock-stealing prevention period and the address of the "
                    "live preview. No session needed."))
    add("/1.0/initialize", "post", operation(
        "sensor", "Initialize the sensor", answer(
            SESSION_CHECKS + ["sensorBusy", "sensorFailure"],
            {"cameraModality": {"enum": ["monocular", "binocular", "unknown"]},
             "streamUrls": {"type": "array", "minItems": 1, "maxItems": 2,
                            "items": {"enum": ["stream", "stream1", "stream2"]}}},
            ["cameraModality", "streamUrls"]), [SESSION],
        description="Failure \"Sensor not found.\" or \"Sensor access denied.\" when no camera "
                    "can be opened. The stream names are the live previews of this camera."))
    add("/1.0/initialize", "delete", operation(
        "sensor", "Uninitialize the sensor", answer(SESSION_CHECKS + ["sensorBusy"]), [SESSION]))
    add("/1.0/configure", "get", operation(
        "sensor", "Read the configuration", answer(
            SESSION_CHECKS + ["sensorBusy", "initializationNeeded"],
            {"metadata": ref("ConfigurationDescription")}, ["metadata"]), [SESSION]))
    add("/1.0/configure", "post", operation(
        "sensor", "Configure the sensor", answer(
            SESSION_CHECKS + ["invalidParameter", "sensorBusy", "initializationNeeded",
                              "sensorFailure"]), [SESSION], json_body("Configuration"),
        description="invalidParameter for a missing item or one of the wrong type, badValue "
                    "for a quality outside 0 to 100."))
    add("/1.0/deviceinfo", "get", operation(
        "sensor", "Device information", answer(
            SESSION_CHECKS + ["sensorBusy", "initializationNeeded", "sensorFailure"],
            {"deviceInfo": ref("DeviceInfo")}, ["deviceInfo"]), [SESSION]))
    add("/1.0/camera/scan", "get", operation(
        "sensor", "Scan for cameras", answer(
            SESSION_CHECKS + ["sensorBusy", "sensorFailure"],
            {"devices": {"type": "array", "minItems": 1, "items": {"type": "string"}}}),
        [SESSION], description="sensorFailure before the first initialization."))
    add("/1.0/capture", "post", operation(
        "capture", "Capture", answer(SESSION_CHECKS + CAPTURE_RUN,
                                     {"captureIds": capture_ids}, ["captureIds"]),
        [SESSION, parameter("cap_purpose", {"enum": PURPOSES, "default": "enrollment"},
                            "The purpose (validated only); another text answers badValue.",
                            required=False)],
        description="Waits for the end of the capture. One identifier per eye, the right eye "
                    "first. Failure \"No qualified sample.\" when the camera found no image."))
    add("/1.0/cancel", "post", operation(
        "capture", "Cancel the running capture", session_only, [SESSION],
        description="Success also when no capture runs; the capture's request answers "
                    "canceled."))
    add("/1.0/samplequality", "get", operation(
        "capture", "Sample quality of a capture", answer(
            DOWNLOAD_CHECKS, {"quality": ref("Quality")}, ["quality"]), [CAPTURE]))
    add("/1.0/getstream", "get", operation(
        "preview", "Preview snapshot", answer(
            SESSION_CHECKS + ["sensorBusy", "initializationNeeded", "configurationNeeded",
                              "nocapturing", "invalidParameter", "sensorFailure"],
            {"streamDatas": {"type": "array", "maxItems": 2, "items": ref("Base64")}},
            ["streamDatas"]), [SESSION],
        description="The current preview images of the running capture as Base64 JPEG."))
    image = {"sensorData": ref("Base64"), "metadata": ref("ImageMetadata")}
    add("/1.0/download/image", "get", operation(
        "download", "Download the image as JPEG", answer(DOWNLOAD_CHECKS, image,
                                                        ["sensorData", "metadata"]), [CAPTURE],
        description="The uncropped image (kind 1) as JPEG at the configured sample quality."))
    add("/1.0/download/image", "post", operation(
        "download", "Download the image in a format", answer(
            DOWNLOAD_CHECKS, image, ["sensorData", "metadata"]), [CAPTURE],
        json_body("DownloadParams"),
        description="Failure \"Invalid download parameters.\" for an unknown format or a "
                    "missing quality; invalidParameter for a combination the camera refuses. "
                    "For an ISO record the metadata's imageFormat is the revision."))
    add("/1.0/download/template", "get", operation(
        "download", "Download the template", answer(
            DOWNLOAD_CHECKS, {"template": ref("Base64"), "metadata": ref("TemplateMetadata")},
            ["template", "metadata"]), [CAPTURE],
        description="The capture's template; submodality bothIrises for a binocular capture."))
    user_checks = SESSION_CHECKS + ["sensorBusy"]
    add("/1.0/enroll", "post", operation(
        "biometrics", "Enroll the last capture", answer(
            user_checks + ["initializationNeeded", "configurationNeeded", "sensorFailure",
                           "duplicatedEnrollment"]), [SESSION, USER],
        description="Failure \"Cannot enroll more to this userId.\"; invalidId \"Invalid "
                    "userId.\" for an identifier the camera refuses; duplicatedEnrollment when "
                    "deduplication is on and the iris is enrolled already."))
    add("/1.0/verifycapture", "post", operation(
        "biometrics", "Capture and verify", answer(
            user_checks + CAPTURE_RUN,
            {"matched": {"type": "boolean"}, "captureIds": capture_ids},
            ["matched", "captureIds"]), [SESSION, USER],
        description="Matched when the distance to the user's templates is below the genuine "
                    "threshold. invalidId \"User ID does not exist.\" for a user not "
                    "enrolled."))
    add("/1.0/identifycapture", "post", operation(
        "biometrics", "Capture and identify", answer(
            SESSION_CHECKS + CAPTURE_RUN,
            {"captureIds": capture_ids, "identified": ref("Identified")},
            ["captureIds", "identified"]), [SESSION]))
    add("/1.0/gallery", "get", operation(
        "gallery", "Gallery counts", answer(GALLERY_CHECKS, {"metadata": ref("GalleryCounts")},
                                            ["metadata"]), [SESSION],
        description="An empty gallery answers zero counts."))
    add("/1.0/users/id", "get", operation(
        "gallery", "Enrolled users", answer(GALLERY_CHECKS, {"userIds": {
            "type": "array", "items": {"type": "string"}}}, ["userIds"]), [SESSION]))
    add("/1.0/users/info", "get", operation(
        "gallery", "User records (not kept)", answer(SESSION_CHECKS + ["unsupported"]),
        [SESSION], description="This service keeps no user records: unsupported."))
    add("/1.0/users", "delete", operation(
        "gallery", "Delete every user", answer(GALLERY_CHECKS), [SESSION]))
    add("/1.0/user/templateinfo", "get", operation(
        "gallery", "Template information of a user", answer(
            GALLERY_CHECKS, {"metadata": ref("TemplateInfo")}, ["metadata"]), [SESSION, USER],
        description="invalidId \"User ID does not exist.\" for a user not enrolled."))
    add("/1.0/user/info", "get", operation(
        "gallery", "User record (not kept)", answer(SESSION_CHECKS + ["unsupported"]),
        [SESSION, USER], description="This service keeps no user records: unsupported."))
    add("/1.0/user", "post", operation(
        "gallery", "Store a user record (not kept)", answer(SESSION_CHECKS + ["unsupported"]),
        [SESSION, USER], description="This service keeps no user records: unsupported; the "
                                     "body is not read."))
    add("/1.0/user", "delete", operation(
        "gallery", "Delete a user", answer(GALLERY_CHECKS), [SESSION, USER],
        description="Success also for a user not enrolled."))
    for name in ("stream", "stream1", "stream2"):
        add(f"/1.0/{name}", "get", stream_operation(name, ""))
        add(f"/{name}", "get", stream_operation(name, " (root address)"))
    add("/1.0/{command}", "get", operation(
        "other", "Any other command", answer(["unsupported"]), [
            {"name": "command", "in": "path", "required": True, "schema": {"type": "string"}}],
        description="A GET under /1.0/ that no route above takes."))
    add("/1.0/{command}", "post", operation(
        "other", "Any other command", answer(["unsupported"]), [
            {"name": "command", "in": "path", "required": True, "schema": {"type": "string"}}],
        description="A POST under /1.0/ that no route above takes."))
    # A route's own path, or a method it does not take there, answers unsupported once the
    # route's checks passed.
    for path, method, params, checks, tag in (
            ("/1.0/download", "get", [CAPTURE], ["badValue"], "download"),
            ("/1.0/download", "post", [CAPTURE], ["badValue"], "download"),
            ("/1.0/download/template", "post", [CAPTURE], ["badValue"], "download"),
            ("/1.0/camera", "get", [SESSION], SESSION_CHECKS, "sensor"),
            ("/1.0/users", "get", [SESSION], SESSION_CHECKS, "gallery"),
            ("/1.0/user", "get", [SESSION], SESSION_CHECKS, "gallery"),
            ("/1.0/admin/token", "get", [], [], "administration")):
        add(path, method, operation(tag, f"{method.upper()} {path}: unsupported",
                                    answer(checks + ["unsupported"]), params,
                                    admin=path.startswith("/1.0/admin/"),
                                    description="Answers unsupported after the checks of the "
                                                "route's parameters."))
    add("/1.0/admin/token/generate", "get", operation(
        "administration", "Generate a token", answer([], {"token": ref("Uuid")}, ["token"]),
        admin=True, description="A fresh random token text; it is not stored."))
    add("/1.0/admin/token", "post", operation(
        "administration", "Accept a token", answer(["badValue", "duplicatedToken"]), [TOKEN],
        admin=True, description="duplicatedToken also when the token file cannot be saved."))
    add("/1.0/admin/token", "delete", operation(
        "administration", "Stop accepting a token", answer(["badValue"]), [TOKEN], admin=True,
        description="Success also for an unknown token; failure when the token file cannot be "
                    "saved."))
    add("/1.0/admin/tokens", "get", operation(
        "administration", "Accepted tokens", answer([], {"tokens": {
            "type": "array", "items": {"type": "string"}}}, ["tokens"]), admin=True))
    add("/1.0/admin/config", "get", operation(
        "administration", "Token check switch", answer(["unsupported"], {
            "tokenAuthentication": {"type": "boolean"}}, ["tokenAuthentication"]), admin=True))
    add("/1.0/admin/config", "post", operation(
        "administration", "Switch the token check", answer(["unsupported"]), admin=True,
        body=json_body("AdminConfig"),
        description="unsupported for a body that is not such a document; failure when the "
                    "token file cannot be saved."))
    add("/1.0/admin/password", "post", operation(
        "administration", "Set the administration password", answer(["badValue"]), [
            parameter("new_password", {"type": "string", "minLength": 1},
                      "The new password. Taken as written: not percent-decoded.")],
        admin=True, description="badValue \"Password must be not empty!\"; failure \"Updating "
                                "password failed!\". The next request must use it."))
    for path, methods in p.items():
        words = path.replace("{", "").replace("}", "").split("/")[1:]
        words = words[1:] if words[0] == "1.0" else ["root", *words]
        name = "".join(word[:1].upper() + word[1:] for word in words)
        for method, op in methods.items():
            op["operationId"] = method + name
        if not path.startswith("/1.0/admin/") and "{" not in path:
            methods["options"] = {**preflight(path), "operationId": "options" + name}
    return p


def document(examples):
    doc = {
        "openapi": "3.1.0",
        "info": {
            "title": "OcuService",
            "version": "1.0",
            "summary": "An iris camera over HTTP, with a JSON protocol in the style of "
                       "WS-Biometric Devices.",
            "description": "Every JSON answer is HTTP 200 with the outcome in \"status\"; a "
                           "failure carries \"message\" and, for a refused parameter, "
                           "\"badFields\". Members come in the order the schemas list them. "
                           "Query values are taken as written, never percent-decoded. A client "
                           "registers a session, takes the sensor lock, initializes and "
                           "configures the sensor and captures; downloads need only the capture "
                           "identifier. One sensor operation runs at a time: another one "
                           "answers sensorBusy at once. Examples are answers of the service "
                           "with the camera simulator; Base64 texts in them are cut to "
                           f"{EXAMPLE_BASE64} characters.",
            "license": {"name": "Proprietary", "identifier": "LicenseRef-Proprietary"},
        },
        "servers": [{"url": "{scheme}://{host}", "description": "The service's address",
                     "variables": {
                         "scheme": {"enum": ["http", "https"], "default": "http"},
                         "host": {"default": "localhost:8081",
                                  "description": "Host and port; by default 8081 serves HTTP, "
                                                 "4444 HTTPS."}}}],
        "tags": [
            {"name": "session", "description": "Sessions and the sensor lock."},
            {"name": "sensor", "description": "Initialization, configuration, information."},
            {"name": "capture", "description": "Captures, cancel and sample quality."},
            {"name": "preview", "description": "The live preview of a running capture."},
            {"name": "download", "description": "Images, ISO records and templates."},
            {"name": "biometrics", "description": "Enrollment, verification, identification."},
            {"name": "gallery", "description": "The camera's gallery of enrolled users."},
            {"name": "administration", "description": "Access tokens and the password; "
                                                      "HTTP digest authentication."},
            {"name": "cors", "description": "Preflight answers for browsers."},
            {"name": "other", "description": "What no route takes."},
        ],
        "paths": paths(),
        "components": {
            "schemas": schemas(),
            "parameters": parameters(),
            "responses": {"BadRequest": {
                "description": "The web server's own answer to a request it cannot read: a "
                               "malformed request line or header, or request line and headers "
                               "above 64 KiB.",
                "content": {"text/plain": {"schema": {"type": "string"}}}},
                "Unauthorized": {
                "description": "Digest credentials missing or wrong (also when no password "
                               "file exists); WWW-Authenticate carries a fresh challenge.",
                "headers": {"WWW-Authenticate": {"schema": {"type": "string"}}}}},
            "securitySchemes": {"adminDigest": {
                "type": "http", "scheme": "digest",
                "description": "User admin in the configured realm (default "
                               "\"administration\"), qop auth, MD5."}},
        },
    }
    for (path, method), found in examples.items():
        content = doc["paths"][path][method]["responses"]["200"]["content"]["application/json"]
        content["examples"] = found
    return doc


BASE64_MEMBERS = ("sensorData", "template", "streamDatas")


def shorten(answer):
    """The answer with its Base64 texts cut to EXAMPLE_BASE64 characters."""
    def cut(value):
        return [cut(v) for v in value] if isinstance(value, list) else value[:EXAMPLE_BASE64]
    return {k: cut(v) if k in BASE64_MEMBERS else v for k, v in answer.items()}


class ExampleRecorder:
    """Keeps the first answer of each status and message for every operation."""

    def __init__(self, doc):
        import api_flows
        self.operation = api_flows.OperationMatcher(doc)
        self.examples = {}

    def __call__(self, method, target, response):
        if "json" not in (response.header("content-type") or ""):
            return
        path = self.operation(method, target)
        value = response.json()
        found = self.examples.setdefault((path, method.lower()), {})
        outcome = (value["status"], value.get("message"))
        if outcome in [(e["value"]["status"], e["value"].get("message")) for e in found.values()]:
            return
        name = value["status"] if value["status"] not in found else f"{value['status']}{len(found)}"
        found[name] = {"summary": value.get("message", value["status"]), "value": shorten(value)}


def main():
    import api_flows
    os.environ.setdefault("OCU_BIN_DIR", sys.argv[1] if len(sys.argv) > 1 else
                          os.path.join(ROOT, "build", "bin"))
    recorder = ExampleRecorder(document({}))
    api_flows.run_all(recorder)
    with open(DOCUMENT, "w") as out:
        json.dump(document(recorder.examples), out, indent=1, ensure_ascii=False)
        out.write("\n")
    count = sum(len(found) for found in recorder.examples.values())
    print(f"Wrote {DOCUMENT} with {count} example answers")


if __name__ == "__main__":
    main()
