// The enroll endpoint: spends a code once for a new device key and answers the enrollment.
//
// Codes to accept come from the environment at start (VELTO_PEER_ENROLLMENT_CODES, separated by
// commas) or from POST /control/enrollment-codes. GET /control/devices lists what was enrolled.
import { devicesOf } from '../lib/devices.mjs';
import { sendJson } from '../lib/http.mjs';

const codePattern = /^[0-9A-HJKMNP-TV-Z]{8}$/;
const harnessKinds = new Set(['claude-code', 'codex', 'muse']);
const efforts = new Set(['low', 'medium', 'high', 'max']);

function isString(value) {
  return typeof value === 'string';
}

function hasExactly(object, required, optional = []) {
  if (object === null || typeof object !== 'object' || Array.isArray(object)) return false;
  const keys = Object.keys(object);
  return required.every((key) => keys.includes(key)) && keys.every((key) => required.includes(key) || optional.includes(key));
}

function isModel(model) {
  return (
    hasExactly(model, ['id', 'name', 'efforts', 'defaultEffort']) &&
    isString(model.id) &&
    isString(model.name) &&
    Array.isArray(model.efforts) &&
    model.efforts.every((effort) => efforts.has(effort)) &&
    (model.defaultEffort === null || efforts.has(model.defaultEffort))
  );
}

function isHarnessReport(report) {
  return (
    hasExactly(report, ['kind', 'version', 'signedIn'], ['models']) &&
    harnessKinds.has(report.kind) &&
    (report.version === null || isString(report.version)) &&
    typeof report.signedIn === 'boolean' &&
    (report.models === undefined || (Array.isArray(report.models) && report.models.every(isModel)))
  );
}

/** Why the body is not an enroll request of the device's contract, or undefined when it is one. */
function invalidity(request, json) {
  if (!(request.headers['content-type'] ?? '').startsWith('application/json')) return 'not JSON';
  if (!hasExactly(json, ['code', 'name', 'platform', 'appVersion', 'harnesses'])) return 'wrong keys';
  if (!isString(json.code) || !codePattern.test(json.code)) return `code ${JSON.stringify(json.code)}`;
  if (!isString(json.name) || json.name.length === 0) return 'no name';
  if (json.platform !== 'macos') return `platform ${JSON.stringify(json.platform)}`;
  if (!isString(json.appVersion) || json.appVersion.length === 0) return 'no appVersion';
  if (!Array.isArray(json.harnesses) || !json.harnesses.every(isHarnessReport)) return 'bad harnesses';
  return undefined;
}

/** A code to accept: its text alone, or with the organization and user it admits to. */
function offer(entry) {
  const code = isString(entry) ? entry : entry?.code;
  if (!isString(code) || !codePattern.test(code)) return undefined;
  return {
    code,
    organization: entry.organization ?? { id: `org-${code}`, name: `Organization ${code}` },
    user: entry.user ?? { login: 'device-user' },
  };
}

export function register(peer) {
  const devices = devicesOf(peer);
  /** code -> offer, for codes not yet spent. */
  const usable = new Map();
  const spent = new Set();
  for (const code of (process.env.VELTO_PEER_ENROLLMENT_CODES ?? '').split(',')) {
    const accepted = offer(code.trim());
    if (accepted) usable.set(accepted.code, accepted);
  }

  peer.route(
    'POST',
    '/api/devices/enroll',
    peer.signed(
      (request, response, { json, proof }) => {
        const invalid = invalidity(request, json);
        if (invalid !== undefined) {
          sendJson(response, 400, { code: 'DEVICES_INVALID_INPUT', error: invalid });
          return;
        }
        const accepted = usable.get(json.code);
        if (accepted === undefined) {
          sendJson(response, 400, {
            code: 'DEVICES_CODE_UNUSABLE',
            error: spent.has(json.code) ? 'the code was used' : 'no such code',
          });
          return;
        }
        // A key enrolled before keeps the code usable for another key.
        if (devices.withKey(proof.jkt) !== undefined) {
          sendJson(response, 409, { code: 'DEVICES_KEY_ENROLLED' });
          return;
        }
        usable.delete(json.code);
        spent.add(json.code);
        const device = devices.add({
          jkt: proof.jkt,
          code: json.code,
          organization: accepted.organization,
          user: accepted.user,
          request: json,
        });
        sendJson(response, 201, { deviceId: device.deviceId, organization: device.organization, user: device.user });
      },
      { invalidProofCode: 'DEVICES_INVALID_PROOF' },
    ),
  );

  // {"codes": ["7KQ2MX9D" | {"code", "organization"?, "user"?}, ...]}: codes the enroll endpoint accepts once.
  peer.control('POST', '/control/enrollment-codes', (request, response, { json }) => {
    const offers = Array.isArray(json?.codes) ? json.codes.map(offer) : [undefined];
    if (offers.some((accepted) => accepted === undefined)) {
      sendJson(response, 400, { error: 'codes must list 8-symbol codes, alone or as {"code", ...}' });
      return;
    }
    for (const accepted of offers) {
      usable.set(accepted.code, accepted);
      spent.delete(accepted.code);
    }
    sendJson(response, 200, { usableCodes: [...usable.keys()] });
  });

  peer.control('GET', '/control/devices', (request, response) => {
    const listed = [...devices.byId.values()].map(({ scopes, ...device }) => ({
      ...device,
      scopes: Object.fromEntries(scopes),
    }));
    sendJson(response, 200, { devices: listed, usableCodes: [...usable.keys()], spentCodes: [...spent] });
  });
}
