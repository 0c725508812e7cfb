// The unsigned nonce endpoint.
import { sendJson } from '../lib/http.mjs';

export function register(peer) {
  peer.route('POST', '/api/devices/nonce', (request, response) => {
    peer.stats.nonceRequests += 1;
    if (request.headers.dpop !== undefined) peer.stats.signedNonceRequests += 1;
    const nonce = peer.issueNonce();
    const { nonceDelivery, nonceStatus } = peer.config;
    const headers = nonceDelivery === 'body' ? {} : { 'DPoP-Nonce': nonce };
    const body = nonceDelivery === 'header' ? {} : { nonce };
    sendJson(response, nonceStatus, body, headers);
  });
}
