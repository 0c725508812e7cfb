// The command-line login endpoint: a short-lived login of the velto command for the device whose
// enrolled key signs the request. The body must be exactly "{}". An unknown key gets a 401
// "DEVICES_UNKNOWN_DEVICE", a device revoked through POST /control/revoke a 401 "DEVICES_REVOKED";
// replies queued through POST /control/session-replies are played first, in order.
import { randomBytes } from 'node:crypto';

import { devicesOf } from '../lib/devices.mjs';
import { sendJson } from '../lib/http.mjs';

/** The organization's slug: given with its code, else made from its id. */
function slugOf(organization) {
  return organization.slug ?? organization.id.toLowerCase().replace(/[^a-z0-9]+/g, '-');
}

export function register(peer) {
  const devices = devicesOf(peer);
  /** Scripted answers: {status, body} with body any JSON value, or {status, raw} sent as text. */
  const replies = [];
  /** Every login issued: {deviceId, token, expiresAt}. */
  const issued = [];

  peer.route(
    'POST',
    '/api/devices/session',
    peer.signed((request, response, { body, proof }) => {
      const scripted = replies.shift();
      if (scripted !== undefined) {
        if (scripted.raw !== undefined) {
          response.writeHead(scripted.status, { 'Content-Length': Buffer.byteLength(scripted.raw) });
          response.end(scripted.raw);
        } else {
          sendJson(response, scripted.status, scripted.body ?? {});
        }
        return;
      }
      const isJson = (request.headers['content-type'] ?? '').startsWith('application/json');
      if (!isJson || body.toString('utf8') !== '{}') {
        sendJson(response, 400, { code: 'DEVICES_INVALID_INPUT' });
        return;
      }
      const device = devices.withKey(proof.jkt);
      if (device === undefined) {
        sendJson(response, 401, { code: 'DEVICES_UNKNOWN_DEVICE' });
        return;
      }
      if (device.revoked) {
        sendJson(response, 401, { code: 'DEVICES_REVOKED' });
        return;
      }
      const login = {
        deviceId: device.deviceId,
        token: `vlt_${randomBytes(12).toString('hex')}`,
        expiresAt: new Date(Date.now() + 1200 * 1000).toISOString(),
      };
      issued.push(login);
      sendJson(response, 200, {
        token: login.token,
        expiresAt: login.expiresAt,
        organization: { name: device.organization.name, slug: slugOf(device.organization), id: device.organization.id },
      });
    }),
  );

  // {"deviceId"}: the device is revoked from now on.
  peer.control('POST', '/control/revoke', (request, response, { json }) => {
    const device = devices.byId.get(json?.deviceId);
    if (device === undefined) {
      sendJson(response, 404, { error: 'no such device' });
      return;
    }
    device.revoked = true;
    sendJson(response, 200, {});
  });

  // {"replies": [{"status", "body"?} | {"status", "raw"}, ...]}: the next session requests get these.
  peer.control('POST', '/control/session-replies', (request, response, { json }) => {
    const queued = json?.replies;
    if (!Array.isArray(queued) || !queued.every((reply) => Number.isInteger(reply?.status))) {
      sendJson(response, 400, { error: 'replies must list objects with an integer status' });
      return;
    }
    replies.push(...queued);
    sendJson(response, 200, { pendingReplies: replies.length });
  });

  peer.control('GET', '/control/sessions', (request, response) => {
    sendJson(response, 200, { sessions: issued, pendingReplies: replies.length });
  });
}
