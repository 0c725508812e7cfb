// The organization photo endpoint: the picture of the organization whose enrolled key signs the
// request, with its ETag; If-None-Match naming that ETag gets a 304. Pictures are set per organization
// through POST /control/organization-photo.
import { createHash } from 'node:crypto';

import { devicesOf } from '../lib/devices.mjs';
import { sendJson } from '../lib/http.mjs';

/** Whether If-None-Match names the ETag: "*", or the tag in its list, compared weakly (RFC 9110). */
function namesETag(asked, etag) {
  if (asked === undefined) return false;
  const opaque = (tag) => tag.trim().replace(/^W\//, '');
  return asked.trim() === '*' || asked.split(',').some((tag) => opaque(tag) === opaque(etag));
}

export function register(peer) {
  const devices = devicesOf(peer);
  /** organization id -> { data: Buffer, contentType, etag } */
  const photos = new Map();

  peer.route(
    'GET',
    '/api/devices/organization-photo',
    peer.signed((request, response, { proof }) => {
      const device = devices.withKey(proof.jkt);
      if (device === undefined) {
        sendJson(response, 401, { code: 'DEVICES_UNKNOWN_DEVICE' });
        return;
      }
      const photo = photos.get(device.organization.id);
      if (photo === undefined) {
        sendJson(response, 404, { code: 'DEVICES_NO_PHOTO' });
        return;
      }
      const headers = photo.etag === null ? {} : { ETag: photo.etag };
      if (photo.etag !== null && namesETag(request.headers['if-none-match'], photo.etag)) {
        response.writeHead(304, headers);
        response.end();
        return;
      }
      response.writeHead(200, { 'Content-Type': photo.contentType, 'Content-Length': photo.data.length, ...headers });
      response.end(photo.data);
    }),
  );

  // {"organizationId", "data": base64 (either alphabet), "contentType"?, "etag"?}: the organization's picture. The
  // content type (default "image/png") and the ETag (default a quoted digest of the data; null for
  // none) are sent as given. {"organizationId", "data": null} removes the picture.
  peer.control('POST', '/control/organization-photo', (request, response, { json }) => {
    if (typeof json?.organizationId !== 'string') {
      sendJson(response, 400, { error: 'organizationId must be text' });
      return;
    }
    if (json.data === null) {
      photos.delete(json.organizationId);
      sendJson(response, 200, {});
      return;
    }
    if (typeof json.data !== 'string') {
      sendJson(response, 400, { error: 'data must be base64 text or null' });
      return;
    }
    const data = Buffer.from(json.data, 'base64');
    const etag =
      json.etag === undefined ? `"${createHash('sha256').update(data).digest('hex').slice(0, 16)}"` : json.etag;
    photos.set(json.organizationId, { data, contentType: json.contentType ?? 'image/png', etag });
    sendJson(response, 200, { etag });
  });
}
