// The device scope endpoints: read one device's scopes, answer one scope. Only the device itself,
// proven by its enrolled key, may read or answer them; any other gets a 401.
import { devicesOf } from '../lib/devices.mjs';
import { sendJson } from '../lib/http.mjs';

const scopeNames = ['reviews', 'sre-questions', 'sre-investigations', 'sre-reach'];

function record(device) {
  return {
    deviceId: device.deviceId,
    scopes: scopeNames.map((scope) => {
      const state = device.scopes.get(scope) ?? { isHeld: false };
      return { scope, isAllowed: true, ...state };
    }),
  };
}

export function register(peer) {
  const devices = devicesOf(peer);

  function provenDevice(response, params, proof) {
    const device = devices.provenBy(params.deviceId, proof.jkt);
    if (device === undefined) sendJson(response, 401, { code: 'DEVICES_UNKNOWN_DEVICE' });
    return device;
  }

  peer.route(
    'GET',
    '/api/devices/:deviceId/scopes',
    peer.signed((request, response, { params, proof }) => {
      const device = provenDevice(response, params, proof);
      if (device !== undefined) sendJson(response, 200, record(device));
    }),
  );

  peer.route(
    'PUT',
    '/api/devices/:deviceId/scopes/:scope',
    peer.signed((request, response, { params, json, proof }) => {
      const device = provenDevice(response, params, proof);
      if (device === undefined) return;
      if (!scopeNames.includes(params.scope)) {
        sendJson(response, 404, { code: 'DEVICES_UNKNOWN_SCOPE' });
        return;
      }
      const isJson = (request.headers['content-type'] ?? '').startsWith('application/json');
      const keys = json !== null && typeof json === 'object' ? Object.keys(json) : [];
      if (!isJson || keys.length !== 1 || typeof json.isGranted !== 'boolean') {
        sendJson(response, 400, { code: 'DEVICES_INVALID_INPUT' });
        return;
      }
      const previous = device.scopes.get(params.scope);
      device.scopes.set(
        params.scope,
        json.isGranted
          ? { isHeld: true, grantedAt: previous?.isHeld ? previous.grantedAt : new Date().toISOString() }
          : { isHeld: false },
      );
      sendJson(response, 200, record(device));
    }),
  );
}
